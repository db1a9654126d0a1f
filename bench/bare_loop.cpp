// The baselines of bench_agent_idle: a program that does nothing but keep one hidden window and run its
// message loop, built as the program is; built with TSLN_TICK_MS (bench_ticking_loop), a timer of that
// period wakes the loop and does nothing: the platform's own cost of a poll. WM_CLOSE ends it.
#include <windows.h>

namespace {
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TslnBareLoop";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "TslnBareLoop", "bare loop", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
#ifdef TSLN_TICK_MS
    if (!SetTimer(window, 1, TSLN_TICK_MS, nullptr)) return 1;
#endif
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
