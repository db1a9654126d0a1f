#include "core/window.h"
#include "core/app_error.h"

namespace tsln {

namespace {
const char kTargetProp[] = "Tessaline.Target";

// The child that a notification speaks of, or nullptr.
HWND NotifyingChild(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam); // null for menus and accelerators
    case WM_NOTIFY:
        return lParam != 0 ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM:
        return lParam != 0 ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}
} // namespace

void BindReflectedTarget(HWND child, ReflectedTarget* target) {
    if (target != nullptr)
        SetPropA(child, kTargetProp, reinterpret_cast<HANDLE>(target));
    else
        RemovePropA(child, kTargetProp);
}

ReflectedTarget* FindReflectedTarget(HWND child) {
    return child != nullptr ? reinterpret_cast<ReflectedTarget*>(GetPropA(child, kTargetProp)) : nullptr;
}

bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    ReflectedTarget* target = FindReflectedTarget(NotifyingChild(message, wParam, lParam));
    return target != nullptr && target->OnReflected(message, wParam, lParam, result);
}

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
        if (!ReflectToChild(message, wParam, lParam, result)) result = self->HandleMessage(message, wParam, lParam);
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
