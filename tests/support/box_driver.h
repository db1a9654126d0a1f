// Finds, reads and answers dialogs and message boxes (class #32770, and the program's own skinned box
// "TessalineMsgBox") from outside the thread that shows
// them: the tests drive their own process's boxes from a second thread, tools/driver those of the real
// program. Every wait is for a condition; its limit is a safety net against a hang, never a measurement.
#pragma once
#include "core/unique_any.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace testing {

struct BoxInfo {
    HWND hwnd = nullptr;
    std::string title;
    std::string text;
    std::string icon;    // "error", "information", "warning", "question", "none" or "unknown"
    std::string buttons; // the buttons it shows, in this order: "OK", "Cancel", "Yes", "No" ("Yes No")
};

// Looks at `done` every few milliseconds until it holds; false when it still does not after `limitMs`.
// Messages other threads send to this thread's windows are answered meanwhile; posted ones stay queued
// (PumpUntil dispatches them too, for a thread whose windows must go on working).
bool WaitFor(const std::function<bool()>& done, DWORD limitMs = 10000);

// The visible dialogs of a process, in the order of the window list (the topmost first); the skinned box
// among them unless `withSkinned` is false.
std::vector<HWND> DialogsOf(DWORD pid, bool withSkinned = true);
std::vector<HWND> OwnDialogs();
// The first visible dialog of a process, or null.
HWND FindBoxOf(DWORD pid, bool withSkinned = true);
// Waits for a visible dialog of the process captioned `caption` (any caption when empty) other than
// `except`; null when none showed within the limit.
HWND WaitForDialog(DWORD pid, const std::string& caption, HWND except = nullptr, DWORD limitMs = 10000);

std::string WindowText(HWND window);
std::string ClassOf(HWND window);
// The text of the item selected in a tree view of any process; empty when none is.
std::string SelectedTreeText(HWND tree);
// Sends `message` with `text` copied where the window's process can read it as the lParam.
LRESULT SendWithText(HWND window, UINT message, WPARAM wParam, const std::string& text);

// A message box's title, text, icon and buttons. The icon is recognised by what the box shows on screen,
// so this waits until the box has drawn one of the known icons ("unknown" when it never does); the
// skinned box shows none.
BoxInfo ReadBox(HWND box);
// Clicks a dialog's button (its command id: IDOK, IDYES...) without waiting; on the skinned box the
// button of that caption, and IDCANCEL without a Cancel button closes it.
void Click(HWND dialog, int id);
// Clicks, then waits until the box has gone (closed or hidden); false when it is still up past the limit.
bool Press(HWND box, int id, DWORD limitMs = 10000);

// Answers every box this process shows (only the platform's without `withSkinned`), from a second
// thread: reads each, then presses `button`.
class BoxWatcher {
public:
    explicit BoxWatcher(int button = IDOK, bool withSkinned = true);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    // The boxes seen so far.
    std::vector<BoxInfo> Seen();

private:
    static DWORD WINAPI Thread(void* self);
    int button_;
    bool withSkinned_;
    volatile LONG stop_ = 0;
    CRITICAL_SECTION lock_;
    std::vector<BoxInfo> seen_;
    tsln::unique_handle thread_;
};

// Waits, on a second thread, for this process's dialog captioned `caption`, runs `action` on it, then
// waits for it to go. Past the deadline, or once finished with a dialog still up, it cancels every
// dialog of this process until none is left.
class DialogDriver {
public:
    using Action = std::function<void(HWND dialog)>;
    DialogDriver(std::string caption, Action action, DWORD deadlineMs = 20000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Ends the thread; call after the dialog call returned. The results below are read after it.
    void Finish();
    bool Found() const { return found_; }
    // The action ran to its end without a failure.
    bool Acted() const { return acted_; }
    // The driver had to cancel a dialog that the action left open.
    bool ForcedClose() const { return forced_; }
    const std::string& Failure() const { return failure_; }

private:
    static DWORD WINAPI Thread(void* self);
    void Run();
    void CancelAll();

    std::string caption_;
    Action action_;
    DWORD deadlineMs_;
    volatile LONG stop_ = 0;
    bool found_ = false;
    bool acted_ = false;
    bool forced_ = false;
    std::string failure_;
    tsln::unique_handle thread_;
};

} // namespace testing
