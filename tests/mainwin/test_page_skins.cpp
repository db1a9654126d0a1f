// The skins page of the main window, clicked as the user clicks it: another skin previewed and applied
// (by its button and by Enter in the list), and the options that act at once, sound and on-top.
#include "tests/mainwin/mainwin_fixture.h"

#include <doctest.h>
#include <vector>

using namespace mainwin_test;

namespace {
void ClickControl(const tsln::Control& control) {
    RECT rect = {};
    GetWindowRect(control.hwnd(), &rect);
    LeftClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

// The window's outline as the platform holds it.
std::vector<char> Outline(HWND window) {
    tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
    const HRGN handle = static_cast<HRGN>(region.get());
    if (GetWindowRgn(window, handle) == ERROR) return {};
    std::vector<char> data(GetRegionData(handle, 0, nullptr));
    GetRegionData(handle, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    return data;
}

bool TopMost(HWND window) {
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}
} // namespace

TEST_CASE("the skins page applies another skin and switches sound and on-top at once, not while loading") {
    InProcessMain app;
    // A second skin: the manager lists the folder when the window first shows.
    tsln::frmMain::Unload();
    REQUIRE(CopyFileA((testing::DistDir() + "\\SKINS\\Ember.csk").c_str(), (app.skins / "Ember.csk").c_str(),
                      FALSE));
    app.Open();
    tsln::frmMain& window = *app.window;
    tsln::SkinsPage& page = window.SkinsTab();

    const long menuFrame = window.CurrentFrame();
    const bool soundBefore = window.swfSKIN().SoundOn();
    REQUIRE(app.Run("tab", "4"));
    REQUIRE(app.ShownPage() == 4);
    // Filling the page switched nothing: the movie only opened the page, the window stays as it was.
    CHECK(window.CurrentFrame() == menuFrame + 4);
    CHECK(window.swfSKIN().SoundOn() == soundBefore);
    CHECK_FALSE(TopMost(app.main));
    CHECK(page.cboLista().Text() == "Test Main");
    CHECK_FALSE(page.cmdApply().Enabled());

    // The other skin is previewed, then applied by its button: outline and colours change.
    const std::vector<char> outline = Outline(app.main);
    const COLORREF colour = window.cSKIN()->NormalControl();
    page.cboLista().SetText("Ember");
    CHECK(page.lblDescription().Text().find("Name: Ember") == 0);
    REQUIRE(page.cmdApply().Enabled());
    ClickControl(page.cmdApply());
    REQUIRE(
        testing::PumpUntil([&] { return window.cSKIN()->Skin() == "Ember" && IsWindowEnabled(app.main); }));
    CHECK(Outline(app.main) != outline);
    CHECK(window.cSKIN()->NormalControl() != colour);
    CHECK(page.Panel().Visible());
    CHECK_FALSE(page.cmdApply().Enabled());

    // Enter in the list presses Apply: the test skin comes back.
    page.cboLista().SetText("Test Main");
    REQUIRE(page.cmdApply().Enabled());
    SetFocus(page.cboLista().hwnd());
    SendMessageA(page.cboLista().hwnd(), WM_KEYUP, VK_DELETE, 0xC0000001); // nothing on this page
    CHECK(window.cSKIN()->Skin() == "Ember");
    SendMessageA(page.cboLista().hwnd(), WM_KEYUP, VK_RETURN, 0xC0000001);
    CHECK(window.cSKIN()->Skin() == "Test Main");
    CHECK(Outline(app.main) == outline);
    CHECK(window.cSKIN()->NormalControl() == colour);

    // Sound: the movie visits its sound frame (53 ahead to switch on, 52 to switch off; the test skin
    // keeps its switch only there) and comes back; the setting follows.
    tsln::CheckBox& sound = page.chkProgram(3);
    const long pageFrame = window.CurrentFrame();
    for (int round = 0; round < 2; ++round) {
        const bool on = !sound.Value();
        ClickControl(sound);
        REQUIRE(testing::PumpUntil([&] { return sound.Value() == on; }));
        CHECK(window.swfSKIN().SoundOn() == on);
        CHECK(window.CurrentFrame() == pageFrame);
        CHECK(window.Settings().Sound() == (on ? 1 : 0));
    }

    // On-top at once, and stored.
    tsln::CheckBox& onTop = page.chkProgram(2);
    ClickControl(onTop);
    REQUIRE(testing::PumpUntil([&] { return onTop.Value(); }));
    CHECK(TopMost(app.main));
    CHECK(window.Settings().OnTOP() == 1);
    ClickControl(onTop);
    REQUIRE(testing::PumpUntil([&] { return !onTop.Value(); }));
    CHECK_FALSE(TopMost(app.main));
    CHECK(window.Settings().OnTOP() == 0);

    // The options that are only stored wait for "ok".
    tsln::CheckBox& shadow = page.chkProgram(1);
    const uint8_t stored = window.Settings().Interface_Shadow();
    ClickControl(shadow);
    REQUIRE(testing::PumpUntil([&] { return shadow.Value() != (stored != 0); }));
    CHECK(window.Settings().Interface_Shadow() == stored);
    REQUIRE(app.Run("ok"));
    CHECK(window.Settings().Interface_Shadow() == (stored != 0 ? 0 : 1));
}
