// A thin base for the program's windows: `this` lives in GWLP_USERDATA from WM_NCCREATE to WM_NCDESTROY,
// and every message goes through one virtual handler inside a catch-all.
#pragma once
#include <windows.h>
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

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class once per process (the class name is the key) and creates the window.
    bool Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD exStyle,
                int x, int y, int width, int height, HWND parent);

    // The window's message handler; the default passes everything on.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The report source used when a message handler fails ("Tessaline.frmX.WindowProc").
    virtual const char* FailureSource() const = 0;
    // Called after WM_NCDESTROY, once the window is gone.
    virtual void OnDestroyed() {}

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

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
