#include "tests/effects/effects_fixture.h"

#include <doctest.h>

namespace effects_test {

const char* const kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char* const kDesktopKey = "Control Panel\\Desktop";

std::string EffectsGuard::LogAdded() const {
    return testing::ReadFileBytes(LogPath());
}

TestWindow::TestWindow(const char* className, const char* title, bool visible) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing = {};
    if (!GetClassInfoA(instance, className, &existing)) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        REQUIRE(RegisterClassA(&wc) != 0);
    }
    hwnd_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, className, title, WS_POPUP, 10, 10, 120, 80, nullptr,
                                nullptr, instance, nullptr));
    REQUIRE(hwnd_);
    if (visible) ShowWindow(hwnd_.get(), SW_SHOWNOACTIVATE);
}

int Alpha(HWND hwnd) {
    return testing::LayeredAlpha(hwnd);
}

bool IsLayered(HWND hwnd) {
    return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

bool IsTopmost(HWND hwnd) {
    return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

LayeredStyleRestorer::LayeredStyleRestorer(HWND hwnd)
    : hwnd_(hwnd), exStyle_(GetWindowLongA(hwnd, GWL_EXSTYLE)) {}

LayeredStyleRestorer::~LayeredStyleRestorer() {
    if (hwnd_ != nullptr) SetWindowLongA(hwnd_, GWL_EXSTYLE, exStyle_);
}

bool PumpEachTick(const std::function<void()>& afterTick, const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) afterTick(); // a window-less timer ticked
    }
    return true;
}

} // namespace effects_test
