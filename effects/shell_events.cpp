#include "effects/shell_events.h"
#include "core/app_error.h"

#include <utility>
#include <vector>

namespace tsln {

namespace {
struct HookEntry {
    HWINEVENTHOOK hook;
    ShellEventHook* owner;
};

// The hooks of the program and their objects, used on the thread that made them: the platform's
// callback has no place for a pointer of ours.
std::vector<HookEntry>& Hooks() {
    static std::vector<HookEntry> hooks;
    return hooks;
}

void CALLBACK EventCallback(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    try {
        // Only windows themselves: not their carets, cursors, scroll bars or other parts.
        if (hwnd == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF) return;
        for (const HookEntry& entry : Hooks()) {
            if (entry.hook == hook) {
                entry.owner->Deliver(event, hwnd);
                return;
            }
        }
    } catch (...) {
        // Nothing may escape into the platform's dispatch.
    }
}
} // namespace

bool ShellWindowOfClass(HWND hwnd, ShellWindowKind& kind) {
    char name[32] = {};
    if (GetClassNameA(hwnd, name, sizeof name) == 0) return false;
    if (lstrcmpiA(name, "DV2ControlHost") == 0 || lstrcmpiA(name, "BaseBar") == 0) {
        kind = ShellWindowKind::StartMenu;
        return true;
    }
    if (lstrcmpiA(name, "Shell_TrayWnd") == 0) {
        kind = ShellWindowKind::Taskbar;
        return true;
    }
    return false;
}

ShellEventHook::ShellEventHook() : thread_(GetCurrentThreadId()) {
    Hooks().reserve(Hooks().size() + 1); // the entry below can then not fail after the hook exists
    // Shown windows only: a new Start menu or taskbar always shows itself, and every event is a wake-up.
    hook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, &EventCallback, 0, 0,
                            WINEVENT_OUTOFCONTEXT);
    if (hook_ == nullptr) throw Win32Failure(GetLastError(), __LINE__);
    Hooks().push_back({hook_, this});
}

ShellEventHook::~ShellEventHook() {
    UnhookWinEvent(hook_);
    std::vector<HookEntry>& hooks = Hooks();
    for (size_t i = 0; i < hooks.size(); ++i) {
        if (hooks[i].owner == this) {
            hooks.erase(hooks.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
}

void ShellEventHook::Probe() {
    // Far off the screen, without size, never activated and out of the task list. It lives, hidden, until
    // its show comes back or the probe ends: its handle can name no other window meanwhile.
    probe_.reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", "", WS_POPUP, -32000, -32000,
                                 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!probe_) throw Win32Failure(GetLastError(), __LINE__);
    ShowWindow(probe_.get(), SW_SHOWNA);
    ShowWindow(probe_.get(), SW_HIDE);
}

void ShellEventHook::Deliver(DWORD event, HWND hwnd) {
    // Out-of-context events come to the hooking thread; anything else is no business of this object.
    if (GetCurrentThreadId() != thread_) return;
    if (event != EVENT_OBJECT_SHOW) return;
    if (probe_ && hwnd == probe_.get()) {
        probe_.reset();
        // Copies: a handler may release this object, and with it the handlers.
        std::function<void()> handler = ProbeReturned;
        if (handler) handler();
        return;
    }
    ShellWindowKind kind;
    if (!ShellWindowOfClass(hwnd, kind)) return;
    std::function<void(HWND, ShellWindowKind)> handler = Shown;
    if (handler) handler(hwnd, kind);
}

} // namespace tsln
