#include "core/window.h"
#include "core/app_error.h"

#include <utility>

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
    case WM_DRAWITEM: {
        // A menu's item names a menu, not a window.
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return item != nullptr && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
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

struct Window::ModalState {
    HWND owner = nullptr;
    bool reenableOwner = false; // the owner was enabled before the loop
    bool ended = false;
    int result = 0;
};

Window::~Window() {
    if (modal_ != nullptr) LeaveModal();
    if (hwnd_ != nullptr) {
        HWND hwnd = hwnd_;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

void DestroyThenDelete::operator()(Window* window) const noexcept {
    // A reset of the same owner from OnDestroyed while the window goes finds the object already marked.
    if (window == nullptr || window->deleting_) return;
    window->deleting_ = true;
    if (window->hwnd_ != nullptr) DestroyWindow(window->hwnd_);
    // A handler of the window is still running (a nested message loop, a box, a walk that lets messages
    // through): the object goes when that handler returns.
    if (window->depth_ > 0) {
        window->deleteLater_ = true;
        return;
    }
    delete window;
}

bool Window::Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent, const WindowClassOptions& options) {
    WNDCLASSEXA existing = {sizeof existing};
    if (!GetClassInfoExA(instance, className, &existing)) {
        WNDCLASSEXA wc = {sizeof wc};
        wc.style = options.style;
        wc.lpfnWndProc = &Window::WndProc;
        wc.hInstance = instance;
        wc.hCursor = options.cursor != nullptr ? LoadCursorA(nullptr, options.cursor) : nullptr;
        wc.hbrBackground = options.background;
        wc.hIcon = options.icon != nullptr ? LoadIconA(instance, options.icon) : nullptr;
        wc.lpszClassName = className;
        if (!RegisterClassExA(&wc)) return false;
    }
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, nullptr, instance,
                           this) != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

int Window::RunModal(HWND owner) {
    if (hwnd_ == nullptr || modal_ != nullptr) return 0;
    // Everything the loop needs after the window has gone lives here: the object may be deleted with it.
    ModalState state;
    state.owner = owner;
    if (owner != nullptr) state.reenableOwner = !EnableWindow(owner, FALSE);
    modal_ = &state;
    ShowWindow(hwnd_, SW_SHOW);
    MSG msg;
    while (!state.ended) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            LeaveModal(); // the window is still there: it did not end the loop itself
            break;
        }
        // The window is still there: the loop has not ended.
        bool handled = false;
        try {
            handled = PreTranslateMessage(msg);
        } catch (...) {
            HandleFailure(FailureSource(), kSilent);
        }
        if (handled) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (owner != nullptr && IsWindow(owner)) SetActiveWindow(owner);
    return state.result;
}

void Window::EndModal(int result) {
    if (modal_ == nullptr) return;
    modal_->result = result;
    LeaveModal();
    if (hwnd_ != nullptr) ShowWindow(hwnd_, SW_HIDE);
}

void Window::LeaveModal() {
    ModalState* state = std::exchange(modal_, nullptr);
    state->ended = true;
    if (state->reenableOwner && IsWindow(state->owner)) EnableWindow(state->owner, TRUE);
}

namespace {
// The messages after which a modal window is going: about to hide, or being destroyed.
bool EndsModal(UINT message, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING)
        return (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0;
    return message == WM_DESTROY || message == WM_NCDESTROY;
}
} // namespace

LRESULT CALLBACK Window::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);

    // Before the window hides, so that the system can activate the owner.
    if (self->modal_ != nullptr && EndsModal(message, lParam)) self->LeaveModal();

    LRESULT result = 0;
    ++self->depth_;
    try {
        if (!ReflectToChild(message, wParam, lParam, result))
            result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        HandleFailure(self->FailureSource(), kSilent);
        result = DefWindowProcA(hwnd, message, wParam, lParam);
    }
    --self->depth_;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->destroyedLater_ = true;
    }
    // The window may have gone inside a handler that is still on the stack (a close that arrived during
    // a nested message loop): the object is released only once its outermost handler has returned.
    if (self->depth_ == 0 && self->destroyedLater_) {
        self->destroyedLater_ = false;
        // OnDestroyed may delete the object: the source is read first, and nothing touches it after.
        const bool deleteLater = self->deleteLater_;
        const char* source = self->FailureSource();
        Guarded(source, kSilent, [self] { self->OnDestroyed(); });
        if (deleteLater) delete self;
    } else if (self->depth_ == 0 && self->deleteLater_ && self->hwnd_ == nullptr) {
        delete self;
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
