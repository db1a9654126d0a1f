// The real Tessaline.exe started by the user: its main window, driven by real mouse clicks on the skin's
// movie, as another process sees it.
#include "core/unique_any.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "tools/driver/driver.h"

#include <doctest.h>
#include <algorithm>
#include <vector>

using namespace mainwin_test;

namespace {
bool HasPopupMenu(DWORD pid) {
    HWND menu = tsdriver::FindWindowOf(pid, "#32768");
    return menu != nullptr && IsWindowVisible(menu);
}
} // namespace

TEST_CASE("a start by the user opens the skinned, layered main window, which the movie's buttons drive") {
    StartedExe app;
    CHECK(testing::WindowText(app.main) == "Quillfen - Tessaline");
    CHECK((GetWindowLongA(app.main, GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
    CHECK(HasRegion(app.main));
    CHECK(testing::ClassOf(app.player).rfind("ATL:", 0) == 0);
    CHECK(app.process.FindAgent() != nullptr);
    CHECK(ShownPages(app.main) == 0);

    // "tab" opens its page, "ok" closes it.
    app.Click("tab", "3");
    CHECK(testing::WaitFor([&] { return ShownCaption(app.main, "no wallpaper"); }));
    CHECK(ShownPages(app.main) == 1);
    app.Click("ok");
    CHECK(testing::WaitFor([&] { return ShownPages(app.main) == 0; }));

    // A right click and a key press on the movie reach nothing: the next left click is the first to act.
    RightClickAt(ButtonPoint(app.player, "tab", "1"));
    PostMessageA(app.player, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(app.player, WM_KEYUP, VK_RETURN, 0xC0000001);
    app.Click("tab", "2");
    CHECK(testing::WaitFor([&] { return ShownCaption(app.main, "reset LogonUI to default"); }));
    CHECK_FALSE(ShownCaption(app.main, "  Add Visual Styles Support   "));
    CHECK_FALSE(HasPopupMenu(app.process.Id()));
    CHECK(ShownPages(app.main) == 1);
    app.Click("ok");
    CHECK(testing::WaitFor([&] { return ShownPages(app.main) == 0; }));

    // "minimize" fades the window out; it goes, and the agent keeps the program running in the tray.
    std::vector<int> alphas;
    app.Click("bar", "minimize");
    CHECK(testing::WaitFor(
        [&] {
            if (!IsWindow(app.main)) return true;
            const int alpha = LayeredAlpha(app.main);
            if (alphas.empty() || alphas.back() != alpha) alphas.push_back(alpha);
            return false;
        },
        10000));
    REQUIRE_FALSE(alphas.empty());
    CHECK(*std::min_element(alphas.begin(), alphas.end()) < 230);
    CHECK(std::is_sorted(alphas.rbegin(), alphas.rend())); // only ever falling
    CHECK(app.process.FindMain() == nullptr);
    CHECK(app.process.Running());
    const HWND agent = app.process.FindAgent();
    REQUIRE(agent != nullptr);

    // The icon is back in the tray; a left-button release on it (the tray's callback carries the mouse
    // message) brings a new main window, and its first activation fades it in again.
    CHECK(testing::WaitFor([&] { return testing::IconInTray(agent); }));
    PostMessageA(agent, WM_MOUSEMOVE, 1, WM_LBUTTONUP);
    HWND reopened = nullptr;
    REQUIRE(testing::WaitFor([&] { return (reopened = app.process.FindMain()) != nullptr; }, 30000));
    CHECK(testing::WaitFor([&] { return LayeredAlpha(reopened) == 230 && IsWindowEnabled(reopened); }));
    CHECK(HasRegion(reopened));
    CHECK_FALSE(testing::IconInTray(agent));
    CHECK(app.process.CloseAgent(20000));
    CHECK(app.process.ExitCode() == 0);
}

TEST_CASE("close asks with the skinned box: Cancel leaves everything as it was, OK ends the program") {
    StartedExe app;
    app.Click("tab", "4");
    CHECK(testing::WaitFor([&] { return ShownPages(app.main) == 1; }));

    app.Click("bar", "close");
    HWND box = testing::WaitForDialog(app.process.Id(), "Tessaline");
    REQUIRE(box != nullptr);
    CHECK(testing::ClassOf(box) == "TessalineMsgBox");
    const testing::BoxInfo info = testing::ReadBox(box);
    CHECK(info.text == "You want to close\r\nTessaline?");
    CHECK(info.buttons == "OK Cancel");
    CHECK(testing::Press(box, IDCANCEL));
    CHECK(testing::WaitFor([&] { return LayeredAlpha(app.main) == 230; }));
    CHECK(app.process.Running());
    CHECK(IsWindowVisible(app.main));
    CHECK(ShownPages(app.main) == 1);

    app.Click("bar", "close");
    box = testing::WaitForDialog(app.process.Id(), "Tessaline");
    REQUIRE(box != nullptr);
    CHECK(testing::Press(box, IDOK));
    CHECK(app.process.WaitExit(20000));
    CHECK(app.process.ExitCode() == 0);
}
