// A thin base for the program's windows: `this` lives in GWLP_USERDATA from WM_NCCREATE to WM_NCDESTROY,
// and every message goes through one virtual handler inside a catch-all.
#pragma once
#include <windows.h>
#include <memory>
#include <string>

namespace tsln {

// The object of a child control: it receives the notifications that its parent window gets on its behalf
// (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM, WM_HSCROLL, WM_VSCROLL), so that forms bind handlers
// to control objects and never switch on control ids.
class ReflectedTarget {
public:
    // Returns true when it handled the notification; `result` is then the parent's answer.
    virtual bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

protected:
    ~ReflectedTarget() = default;
};

// Binds a child window to its object (nullptr unbinds), and finds it again.
void BindReflectedTarget(HWND child, ReflectedTarget* target);
ReflectedTarget* FindReflectedTarget(HWND child);
// Hands a parent's notification to the object of the child that sent it; false when it is no such
// notification, the child has no object, or the object left it unhandled.
bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The class a window is registered with: once per process under its name, by the first window of it.
struct WindowClassOptions {
    LPCSTR icon = MAKEINTRESOURCEA(1); // an icon resource of the instance; null: none
    LPCSTR cursor = IDC_ARROW;         // a system cursor; null: the window sets its own
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); // null: the window paints all of it
    UINT style = 0;                                                  // CS_DBLCLKS, CS_DROPSHADOW...
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Only a fallback: an object deleted while its window lives (not through unique_window) can no longer
    // receive the window's last messages, so it detaches them before destroying the window.
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

    // The modal loop of the dialogs: shows the window, disables `owner` (null: none) and runs the thread's
    // messages, so timers keep ticking, until the window is hidden (EndModal hides it) or destroyed. The
    // owner is enabled again before the window goes, so that activation returns to it, and then
    // activated. Returns the result given to EndModal, 0 otherwise. A WM_QUIT ends the loop and is posted
    // again for the loop outside. The object may be gone when this returns (a form that unloads itself).
    int RunModal(HWND owner);
    // Ends RunModal with `result` and hides the window.
    void EndModal(int result);
    bool IsModal() const { return modal_ != nullptr; }

protected:
    // Registers the class once per process (the class name is the key) and creates the window.
    bool Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD exStyle,
                int x, int y, int width, int height, HWND parent, const WindowClassOptions& options = {});

    // The window's message handler; the default passes everything on. Each handler with a failure source
    // of its own is one Guarded call (core/app_error.h) around its body.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // RunModal's look at each message before it is dispatched (a dialog's keys); true when it was
    // handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& msg) { return false; }
    // The safety net's report source (a fixed text), for a failure that escapes every handler's own.
    virtual const char* FailureSource() const = 0;
    // Called after WM_NCDESTROY, once the window is gone. A form drops its program-wide reference here;
    // that may delete the object, so nothing may touch it afterwards.
    virtual void OnDestroyed() {}

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }

private:
    friend struct DestroyThenDelete;
    struct ModalState;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Enables the owner again and lets RunModal return.
    void LeaveModal();

    HWND hwnd_ = nullptr;
    ModalState* modal_ = nullptr;
    bool deleting_ = false;
    int depth_ = 0;               // this window's handlers on the stack
    bool destroyedLater_ = false; // gone while a handler ran: OnDestroyed when the outermost returns
    bool deleteLater_ = false;    // released while a handler ran: deleted when the outermost returns
};

// Releases a window object the sound way round: its window is destroyed first, while the whole object
// still receives WM_DESTROY, and the object is deleted once the window is gone. Resetting the owner from
// OnDestroyed while this runs is harmless.
struct DestroyThenDelete {
    void operator()(Window* window) const noexcept;
};

// The owner of a form: the program-wide references to forms are of this kind.
template <typename T>
using unique_window = std::unique_ptr<T, DestroyThenDelete>;

// Lets the messages already queued for this thread run, then returns.
void DoEvents();

// For long loops: lets queued messages run between items, at the first item and then at most every
// `intervalMs` (a look at the queue costs far more than a typical item).
class EventsBetweenItems {
public:
    explicit EventsBetweenItems(unsigned long intervalMs = 15) : interval_(intervalMs) {}
    void operator()();

private:
    unsigned long interval_;
    unsigned long last_ = 0;
    bool first_ = true;
};

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

} // namespace tsln
