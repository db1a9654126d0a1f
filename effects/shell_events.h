// Learning from the system that a shell window appeared, instead of looking for it: one out-of-context
// window-event hook for windows shown in every process. The system queues the events to
// the thread that hooked them, so the handlers run from that thread's message loop, like its timers;
// nothing is injected into other processes and no thread is added.
#pragma once
#include "core/unique_any.h"

#include <windows.h>
#include <cstdint>
#include <functional>

namespace tsln {

// The shell's windows the events are filtered to.
enum class ShellWindowKind { StartMenu, Taskbar };

// The kind of a shell window by its class: either Start menu style's class, or the taskbar's; false for
// any other window.
bool ShellWindowOfClass(HWND hwnd, ShellWindowKind& kind);

// Not copyable nor movable: the platform's callback finds the object by its hook.
class ShellEventHook {
public:
    // Hooks the events; raises a platform failure when the system refuses the hook.
    ShellEventHook();
    ~ShellEventHook();
    ShellEventHook(const ShellEventHook&) = delete;
    ShellEventHook& operator=(const ShellEventHook&) = delete;

    // Shows and hides a window of this thread that nobody sees: a system that reports shown windows
    // raises ProbeReturned soon after, through the message loop.
    void Probe();
    // The probe's window goes; a show of it that still comes is ignored.
    void EndProbe() { probe_.reset(); }

    // A Start menu or taskbar window was shown (its handle and kind).
    std::function<void(HWND, ShellWindowKind)> Shown;
    // The probe's own show came back.
    std::function<void()> ProbeReturned;

    // Called by the platform callback only.
    void Deliver(DWORD event, HWND hwnd);

private:
    HWINEVENTHOOK hook_ = nullptr;
    DWORD thread_ = 0;
    unique_hwnd probe_; // the probe's window while its show may still come back
};

} // namespace tsln
