// The skins page of the main window, clicked as the user clicks it: another skin previewed and applied
// (by its button and by Enter in the list), and the options that act at once, sound and on-top.
#include "tests/mainwin/mainwin_fixture.h"

#include <doctest.h>
#include <vector>

using namespace mainwin_test;

namespace {

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
    ClickOn(page.cmdApply().hwnd());
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
        ClickOn(sound.hwnd());
        REQUIRE(testing::PumpUntil([&] { return sound.Value() == on; }));
        CHECK(window.swfSKIN().SoundOn() == on);
        CHECK(window.CurrentFrame() == pageFrame);
        CHECK(window.Settings().Sound() == (on ? 1 : 0));
    }

    // On-top at once, and stored.
    tsln::CheckBox& onTop = page.chkProgram(2);
    ClickOn(onTop.hwnd());
    REQUIRE(testing::PumpUntil([&] { return onTop.Value(); }));
    CHECK(TopMost(app.main));
    CHECK(window.Settings().OnTOP() == 1);
    ClickOn(onTop.hwnd());
    REQUIRE(testing::PumpUntil([&] { return !onTop.Value(); }));
    CHECK_FALSE(TopMost(app.main));
    CHECK(window.Settings().OnTOP() == 0);

    // The options that are only stored wait for "ok".
    tsln::CheckBox& shadow = page.chkProgram(1);
    const uint8_t stored = window.Settings().Interface_Shadow();
    ClickOn(shadow.hwnd());
    REQUIRE(testing::PumpUntil([&] { return shadow.Value() != (stored != 0); }));
    CHECK(window.Settings().Interface_Shadow() == stored);
    REQUIRE(app.Run("ok"));
    CHECK(window.Settings().Interface_Shadow() == (stored != 0 ? 0 : 1));
}

namespace {
struct Found {
    std::string className, caption;
    HWND window = nullptr;
};

BOOL CALLBACK FindShown(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    if (!IsWindowVisible(child) || testing::ClassOf(child) != found->className) return TRUE;
    if (!found->caption.empty() && testing::WindowText(child) != found->caption) return TRUE;
    found->window = child;
    return FALSE;
}

// A shown control of the main window by class (and caption).
HWND Shown(HWND main, const std::string& className, const std::string& caption = {}) {
    Found found{className, caption};
    EnumChildWindows(main, &FindShown, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

// Chooses the list's line above (or below) the shown one with the keys, and confirms it with Enter.
void ChooseWithKeys(HWND list, WORD arrow) {
    ClickOn(list); // drops the list down
    PressKey(arrow);
    PressKey(VK_RETURN);
}
} // namespace

TEST_CASE("the real program: Enter in the skin list applies the chosen skin; on-top and sound at once") {
    StartedExe app;
    app.Click("tab", "4");
    HWND onTop = nullptr;
    REQUIRE(testing::WaitFor([&] { return (onTop = Shown(app.main, "Button", "keep Tessaline on top")); }));
    tsln::clsSetari settings;

    // On-top: the window stood on top (the stored setting); a click takes it down, and stores that.
    CHECK(TopMost(app.main));
    ClickOn(onTop);
    CHECK(testing::WaitFor([&] { return !TopMost(app.main) && settings.OnTOP() == 0; }));
    ClickOn(onTop);
    CHECK(testing::WaitFor([&] { return TopMost(app.main) && settings.OnTOP() == 1; }));

    // Sound: stored at once.
    const uint8_t sound = settings.Sound();
    ClickOn(Shown(app.main, "Button", "sound on/off"));
    CHECK(testing::WaitFor([&] { return settings.Sound() == (sound != 0 ? 0 : 1); }));

    // The line above the test skin is the shipped Ember: Enter applies it, and the outline changes.
    HWND list = Shown(app.main, "ComboBox");
    REQUIRE(list != nullptr);
    const std::vector<char> outline = Outline(app.main);
    ChooseWithKeys(list, VK_UP);
    CHECK(testing::WaitFor(
        [&] { return testing::WindowText(list) == "Ember" && Outline(app.main) != outline; }));
    CHECK(testing::WaitFor([&] { return IsWindowEnabled(app.main) && ShownPages(app.main) == 1; }));
    ChooseWithKeys(list, VK_DOWN);
    CHECK(testing::WaitFor(
        [&] { return testing::WindowText(list) == "Test Main" && Outline(app.main) == outline; }));
}
