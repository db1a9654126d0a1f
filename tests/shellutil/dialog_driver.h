// Drives this process's own modal dialogs from a second thread while the test's thread sits in the
// dialog call, and makes sure no dialog outlives the test.
#pragma once
#include "core/unique_any.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace shelltest {

// The visible dialogs (class #32770) of this process.
std::vector<HWND> OwnDialogs();
std::string WindowText(HWND window);
std::string ClassOf(HWND window);

// Waits for the dialog captioned `caption`, runs `action` on it, then waits for it to go. Past the
// deadline, or once stopped with a dialog still up, it cancels every dialog of this process until
// none is left.
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

// Waits (on the driver's thread) until `done` holds, at most `limitMs`; says whether it held.
bool WaitUntil(const std::function<bool()>& done, DWORD limitMs = 10000);
// Another visible dialog of this process than `except` (a message box over it), waiting for it.
HWND WaitForOtherDialog(HWND except, DWORD limitMs = 10000);

// Actions on the file-open dialog.
HWND FileNameEdit(HWND dialog);
void TypeFileName(HWND dialog, const std::string& text);
void Press(HWND dialog, int id);

} // namespace shelltest
