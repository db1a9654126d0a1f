// The movie's command table and the window's life on a real main window in this process: the real
// player, skin manager, effects and registry.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "tests/support/shell_calls.h"
#include "ui/main/frm_main.h"

#include <doctest.h>

using namespace mainwin_test;
using tsln::frmMain;

namespace {
const char* const kSource = "Debug Information:\r\nTessaline.frmMain.swfSKIN_FSCommand";

} // namespace

TEST_CASE("the first activation skins the window, places the pages and fades it in") {
    InProcessMain app;
    CHECK(testing::WindowText(app.main) == frmMain::kCaption);
    CHECK(HasRegion(app.main));
    CHECK(app.window->cSKIN() != nullptr);
    CHECK(app.window->cSKIN()->Skin() == "Test Main");
    CHECK(app.window->RTop() == 600);
    CHECK(app.window->RLeft() == 300);
    CHECK(app.window->picTabs(5).Left() == 300);
    CHECK(app.window->picTabs(5).Top() == 600);
    CHECK(app.window->picTabs(5).Width() == frmMain::kPageWidth);
    CHECK(app.window->picTabs(5).Height() == frmMain::kPageHeight);
    CHECK(app.ShownPage() == -1);
    CHECK(app.window->swfSKIN().CurrentFrame() == 6); // the menu, where the movie rests
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("commands are compared in lower case, arguments exactly; every finished command moves the focus") {
    InProcessMain app;
    CHECK(app.Run("TAB", "3"));
    CHECK(app.window->CurrentTab() == 3);
    CHECK(app.ShownPage() == 3);
    CHECK(app.window->cWL() != nullptr);
    CHECK(app.window->swfSKIN().CurrentFrame() == 10); // four frames on
    CHECK(app.Run("ok"));
    CHECK(app.ShownPage() == -1);
    CHECK(app.window->cWL() == nullptr); // released, its list saved

    const long frame = app.window->swfSKIN().CurrentFrame();
    CHECK(app.Run("bar", "Move")); // not "move": nothing but the focus
    CHECK(app.Run("preload", "anything"));
    CHECK(app.Run("unknown"));
    CHECK(app.Run("bar", "other"));
    CHECK(app.ShownPage() == -1);
    CHECK(app.window->swfSKIN().CurrentFrame() == frame);
    CHECK(app.window->Closing() == false);
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("a page that is no number or has no panel is reported, and the focus stays") {
    InProcessMain app;
    CHECK(app.Run("tab", "1"));
    CHECK_FALSE(app.Run("tab", "x"));
    CHECK(app.window->CurrentTab() == 1);
    CHECK(app.ShownPage() == 1);
    REQUIRE(app.boxes.Seen().size() == 1);
    CHECK(app.boxes.Seen()[0].title == "Program error Tessaline");
    CHECK(app.boxes.Seen()[0].text.find("Type mismatch") != std::string::npos);
    CHECK(app.boxes.Seen()[0].text.find(kSource) != std::string::npos);

    // A page without a panel keeps its number: the next "ok" fails the same way.
    CHECK_FALSE(app.Run("tab", "7"));
    CHECK(app.window->CurrentTab() == 7);
    CHECK_FALSE(app.Run("ok"));
    REQUIRE(app.boxes.Seen().size() == 3);
    CHECK(app.boxes.Seen()[2].text.find(kSource) != std::string::npos);
    CHECK(app.ShownPage() == 1);
}

TEST_CASE(
    "pages: the collection lives while its page is open, the skin manager stays, the settings go both ways") {
    InProcessMain app;
    tsln::clsSetari settings;
    settings.SetInterface_Shadow(1);
    settings.SetTranspLevel(100);

    CHECK(app.Run("tab", "2"));
    REQUIRE(app.window->cWL() != nullptr);
    CHECK(app.window->cWL()->Kind() == tsln::tType::Logons);
    CHECK(app.Run("ok"));
    CHECK(app.window->cWL() == nullptr);

    tsln::clsSkins* skins = app.window->cSKIN();
    CHECK(app.Run("tab", "4"));
    CHECK(app.window->chkProgram(1).Value()); // filled from the settings
    app.window->chkProgram(1).SetValue(false);
    CHECK(app.Run("ok"));
    CHECK(app.window->cSKIN() == skins);
    CHECK(settings.Interface_Shadow() == 0); // stored back

    CHECK(app.Run("tab", "0"));
    CHECK(app.window->LevelVAL() == 100);
    app.window->SetLevelVAL(230);
    CHECK(app.Run("ok"));
    CHECK(settings.TranspLevel() == 230);
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("links open the open page's link on the vendor's site; page 0 has none") {
    InProcessMain app;
    testing::ShellCalls calls;
    CHECK(app.Run("tab", "0"));
    CHECK(app.Run("links")); // nothing to open
    CHECK(app.Run("tab", "3"));
    CHECK(app.Run("links"));
    const std::string call = calls.Next();
    CHECK(call.find("/cgi-bin/linkcount/to.cgi?l=TSLN_wallpapers") != std::string::npos);
    CHECK(frmMain::LinkOf(1) ==
          frmMain::LinkOf(3).substr(0, frmMain::LinkOf(3).find("?")) + "?l=TSLN_themes");
    CHECK(frmMain::LinkOf(5).substr(frmMain::LinkOf(5).find("?")) == "?l=TSLN_downloads");
    CHECK(frmMain::LinkOf(0).empty());
    CHECK(frmMain::LinkOf(6).empty());
}

namespace {
int gAlphaAtDestroy = -1;
HWND gWatched = nullptr;
LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == gWatched && message->message == WM_DESTROY)
        gAlphaAtDestroy = LayeredAlpha(gWatched);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

TEST_CASE("minimize fades the window down to 10 and only then unloads it; reopening activates it again") {
    InProcessMain app;
    tsln::clsSkins* first = app.window->cSKIN();
    gWatched = app.main;
    gAlphaAtDestroy = -1;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchDestroy, nullptr, GetCurrentThreadId());
    REQUIRE(hook != nullptr);
    auto unhook = tsln::make_scope_exit([&] { UnhookWindowsHookEx(hook); });

    // The fading window takes no input, so the focus step is refused, and that is ignored.
    app.Run("bar", "minimize");
    CHECK(app.window->Closing());
    CHECK(IsWindow(app.main)); // still fading
    CHECK(testing::PumpUntil([&] { return frmMain::Instance() == nullptr; }));
    CHECK(gAlphaAtDestroy == 10);
    CHECK_FALSE(IsWindow(app.main));
    tsln::clsSetari settings;
    CHECK(settings.Skin() == "Test_Main"); // stored by the released skin manager

    app.Open();
    CHECK(app.window->Activated());
    CHECK(app.window->cSKIN() != nullptr);
    (void)first;
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("minimize with the help window open closes it first") {
    InProcessMain app;
    const std::string previous = tsln::HelpFile();
    auto restore = tsln::make_scope_exit([&] { tsln::SetHelpFile(previous); });
    const std::string manual = testing::DistDir() + "\\help.chm";
    REQUIRE(tsln::FileExists(manual));
    tsln::SetHelpFile(manual);

    CHECK(app.Run("bar", "help"));
    HWND help = FindWindowA("HH Parent", nullptr);
    REQUIRE(help != nullptr);
    app.Run("bar", "minimize");
    CHECK(testing::PumpUntil([&] { return !IsWindow(help); }));
    CHECK(testing::PumpUntil([&] { return frmMain::Instance() == nullptr; }));
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("close asks over the main window; Cancel leaves everything, and no activation runs again") {
    InProcessMain app(IDCANCEL);
    CHECK(app.Run("tab", "5"));
    tsln::clsSkins* skins = app.window->cSKIN();
    CHECK(app.Run("bar", "close"));
    REQUIRE(app.boxes.Seen().size() == 1);
    CHECK(testing::ClassOf(app.boxes.Seen()[0].hwnd) == ""); // the box has gone
    CHECK(app.boxes.Seen()[0].text == "You want to close\r\nTessaline?");
    CHECK(app.boxes.Seen()[0].buttons == "OK Cancel");
    CHECK(frmMain::Instance() == app.window);
    CHECK(app.window->cSKIN() == skins);
    CHECK(app.window->cSKIN()->Form() == app.window); // handed back by the box
    CHECK(app.ShownPage() == 5);
    CHECK(testing::PumpUntil([&] { return LayeredAlpha(app.main) == 230; }));
    CHECK_FALSE(app.window->Closing());
}
