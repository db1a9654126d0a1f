#include "core/window.h"
#include "core/app_error.h"

namespace tsln {

Window::~Window() {
    if (hwnd_ != nullptr) {
        // The object goes first: detach it so that late messages reach DefWindowProc, then destroy.
        HWND hwnd = hwnd_;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

bool Window::Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent) {
    WNDCLASSEXA existing = {sizeof existing};
    if (!GetClassInfoExA(instance, className, &existing)) {
        WNDCLASSEXA wc = {sizeof wc};
        wc.lpfnWndProc = &Window::WndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        wc.lpszClassName = className;
        if (!RegisterClassExA(&wc)) return false;
    }
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, nullptr, instance,
                           this) != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK Window::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        HandleFailure(self->FailureSource(), kSilent);
        result = DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        try {
            self->OnDestroyed();
        } catch (...) {
            HandleFailure(self->FailureSource(), kSilent);
        }
    }
    return result;
}

void DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void EventsBetweenItems::operator()() {
    const DWORD now = GetTickCount();
    if (first_ || now - last_ >= interval_) {
        first_ = false;
        DoEvents();
        last_ = GetTickCount();
    }
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace tsln
