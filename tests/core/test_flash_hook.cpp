// The movie's input filter on the real player: the sample movie shown by the player component in a real
// window, real mouse and key messages posted to it. What gets through is seen by a recorder that sits
// directly below the filter, in front of the player's own procedure.
#include "core/flash_hook.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/error_report.h"
#include "shellutil/movie_player.h"
#include "tests/support/test_support.h"

#include <doctest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using tsln::FlashMenu;
using tsln::FlashOldProc;
using tsln::FlashWnd;

namespace {

// The sample movie (tests/movie/sample): its menu at frame 6 has a "tab" "3" button around stage point
// 65,95; the player shows the 320 x 200 stage at its own size here.
const char* const kSample = TSLN_MOVIE_SAMPLE;

// A top-level window that counts the context-menu requests reaching it (a child's unhandled right click
// ends up here).
int gContextMenus = 0;
LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONTEXTMENU) {
        ++gContextMenus;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

tsln::unique_hwnd MakeWindow(const char* className, HWND parent, int width, int height) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
    tsln::unique_hwnd hwnd(CreateWindowExA(0, className, "filter test", style, 0, 0, width, height, parent,
                                           nullptr, wc.hInstance, nullptr));
    REQUIRE(hwnd);
    return hwnd;
}

// The messages that reached the player's window past the filter.
std::vector<UINT> gReached;
WNDPROC gPlayerProc = nullptr;
LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    gReached.push_back(message);
    return CallWindowProcA(gPlayerProc, hwnd, message, wParam, lParam);
}

// A player showing the sample's menu inside `parent`, its window recorded.
struct Movie {
    explicit Movie(HWND parent) {
        player.FSCommand = [this](const std::string& command, const std::string& args) {
            commands.emplace_back(command, args);
        };
        player.SetMovie(kSample);
        player.Place(parent, 0, 0, 320, 200);
        REQUIRE(player.GotoFrame(6));
        window = player.PlayerWindow();
        REQUIRE(window != nullptr);
        gPlayerProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecorderProc)));
        REQUIRE(reinterpret_cast<LONG_PTR>(gPlayerProc) != 0);
        gReached.clear();
    }
    LONG_PTR Proc() const { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

    tsln::MoviePlayer player;
    HWND window = nullptr;
    std::vector<std::pair<std::string, std::string>> commands;
};

// Posts the message, as the mouse or keyboard would, and lets it be handled; true when it reached the
// player.
int TimesReached(UINT message) {
    int times = 0;
    for (UINT reached : gReached)
        if (reached == message) ++times;
    return times;
}

bool Reaches(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = MAKELPARAM(40, 40)) {
    gReached.clear();
    PostMessageA(window, message, wParam, lParam);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return TimesReached(message) > 0;
}

void LeftClick(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageA(window, WM_MOUSEMOVE, 0, at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

// While it lives, failure reports go to a fresh log.
class ScratchLog {
public:
    ScratchLog() : old_(tsln::AppFolder()) { tsln::SetAppFolder(folder_.Path() + "\\"); }
    ~ScratchLog() { tsln::SetAppFolder(old_); }
    std::string Text() const { return testing::ReadFileBytes(tsln::LogFilePath()); }

private:
    testing::TempDir folder_{"filter"};
    std::string old_;
};

} // namespace

TEST_CASE("the filter keeps right clicks and key presses from the movie and lets everything else through") {
    testing::ComScope com;
    ScratchLog log;
    tsln::unique_hwnd main = MakeWindow("TslnFilterTestMain", nullptr, 400, 300);
    // The player is a grandchild, after a window of another class: descendants are searched.
    tsln::unique_hwnd label(CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main.get(),
                                            nullptr, GetModuleHandleA(nullptr), nullptr));
    tsln::unique_hwnd page = MakeWindow("TslnFilterTestPage", main.get(), 320, 200);
    Movie movie(page.get());
    const LONG_PTR recorder = movie.Proc();

    // Unfiltered, a right click reaches the player and asks for a context menu.
    gContextMenus = 0;
    CHECK(Reaches(movie.window, WM_RBUTTONDOWN, MK_RBUTTON));
    CHECK(Reaches(movie.window, WM_RBUTTONUP));
    CHECK(gContextMenus == 1);
    CHECK(Reaches(movie.window, WM_KEYDOWN, VK_SPACE));

    FlashMenu(main.get(), false);
    CHECK(FlashWnd() == movie.window);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == recorder);
    CHECK(movie.Proc() != recorder);

    gContextMenus = 0;
    CHECK_FALSE(Reaches(movie.window, WM_RBUTTONDOWN, MK_RBUTTON));
    CHECK_FALSE(Reaches(movie.window, WM_RBUTTONUP));
    CHECK_FALSE(Reaches(movie.window, WM_KEYDOWN, VK_SPACE));
    CHECK_FALSE(Reaches(movie.window, WM_KEYDOWN, VK_RETURN));
    CHECK(gContextMenus == 0);
    // Key releases, characters and the left button still pass.
    CHECK(Reaches(movie.window, WM_KEYUP, VK_SPACE));
    CHECK(Reaches(movie.window, WM_CHAR, ' '));
    CHECK(Reaches(movie.window, WM_MOUSEMOVE));
    LeftClick(movie.window, 65, 95);
    REQUIRE(testing::PumpUntil([&] { return !movie.commands.empty(); }));
    CHECK(movie.commands[0] == std::make_pair(std::string("tab"), std::string("3")));

    // A second install on the same window changes nothing: the filter passes each message on once.
    const LONG_PTR filtered = movie.Proc();
    FlashMenu(main.get(), false);
    CHECK(movie.Proc() == filtered);
    CHECK(FlashWnd() == movie.window);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == recorder);
    CHECK(Reaches(movie.window, WM_KEYUP, VK_SPACE));
    CHECK(TimesReached(WM_KEYUP) == 1);
    CHECK_FALSE(Reaches(movie.window, WM_RBUTTONUP));

    // Removing it puts the player's procedure back; a second removal does nothing.
    FlashMenu(nullptr, true);
    CHECK(movie.Proc() == recorder);
    CHECK(FlashWnd() == nullptr);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == 0);
    CHECK(Reaches(movie.window, WM_RBUTTONUP));
    CHECK(Reaches(movie.window, WM_KEYDOWN, VK_SPACE));
    FlashMenu(nullptr, true);
    CHECK(movie.Proc() == recorder);

    // After a removal the window can be filtered again.
    FlashMenu(main.get(), false);
    CHECK(FlashWnd() == movie.window);
    CHECK_FALSE(Reaches(movie.window, WM_KEYDOWN, VK_SPACE));
    FlashMenu(nullptr, true);
    CHECK(log.Text().empty());
}

TEST_CASE("without a player window nothing is filtered, and a removal without an install changes nothing") {
    ScratchLog log;
    tsln::unique_hwnd main = MakeWindow("TslnFilterTestMain", nullptr, 200, 100);
    tsln::unique_hwnd child = MakeWindow("TslnFilterTestPage", main.get(), 100, 50);
    const LONG_PTR before = GetWindowLongPtrA(child.get(), GWLP_WNDPROC);
    FlashMenu(nullptr, true);
    FlashMenu(main.get(), false);
    CHECK(FlashWnd() == nullptr);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == 0);
    CHECK(GetWindowLongPtrA(child.get(), GWLP_WNDPROC) == before);
    FlashMenu(nullptr, true);
    CHECK(GetWindowLongPtrA(child.get(), GWLP_WNDPROC) == before);
    CHECK(log.Text().empty());
}

TEST_CASE("a player window that dies takes its filter along, and the next one is filtered afresh") {
    testing::ComScope com;
    tsln::unique_hwnd first = MakeWindow("TslnFilterTestMain", nullptr, 400, 300);
    auto movie = std::make_unique<Movie>(first.get());
    FlashMenu(first.get(), false);
    REQUIRE(FlashWnd() == movie->window);

    // The main window closes: its player window goes with it, and so does the record of the filter.
    first.reset();
    CHECK(FlashWnd() == nullptr);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == 0);
    movie.reset();

    // The window opened next gets a player window of its own, which is filtered like the first.
    tsln::unique_hwnd second = MakeWindow("TslnFilterTestMain", nullptr, 400, 300);
    Movie again(second.get());
    const LONG_PTR recorder = again.Proc();
    FlashMenu(second.get(), false);
    CHECK(FlashWnd() == again.window);
    CHECK(reinterpret_cast<LONG_PTR>(FlashOldProc()) == recorder);
    CHECK_FALSE(Reaches(again.window, WM_RBUTTONDOWN, MK_RBUTTON));
    CHECK(Reaches(again.window, WM_KEYUP, VK_SPACE));
    FlashMenu(nullptr, true);
    CHECK(again.Proc() == recorder);
}
