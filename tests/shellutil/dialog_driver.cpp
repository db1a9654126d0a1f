#include "tests/shellutil/dialog_driver.h"

#include <stdexcept>

namespace shelltest {

namespace {
constexpr DWORD kStep = 50;
// The file-name box of the file-open dialog: a combo box on the newer layout, an edit on the older.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

HWND FindDialog(const std::string& caption) {
    for (HWND dialog : OwnDialogs())
        if (WindowText(dialog) == caption) return dialog;
    return nullptr;
}
} // namespace

std::vector<HWND> OwnDialogs() {
    std::vector<HWND> dialogs;
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &length);
    return std::string(text);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

DialogDriver::DialogDriver(std::string caption, Action action, DWORD deadlineMs)
    : caption_(std::move(caption)), action_(std::move(action)), deadlineMs_(deadlineMs) {
    thread_.reset(CreateThread(nullptr, 0, &DialogDriver::Thread, this, 0, nullptr));
    if (!thread_) throw std::runtime_error("no driver thread");
}

DialogDriver::~DialogDriver() {
    Finish();
}

void DialogDriver::Finish() {
    if (!thread_) return;
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI DialogDriver::Thread(void* self) {
    try {
        static_cast<DialogDriver*>(self)->Run();
    } catch (...) {
        // The driver's own failure shows as an action that did not run.
    }
    return 0;
}

void DialogDriver::Run() {
    const DWORD start = GetTickCount();
    auto pastDeadline = [&] { return GetTickCount() - start > deadlineMs_; };
    HWND dialog = nullptr;
    while (!stop_ && !pastDeadline() && !(dialog = FindDialog(caption_)))
        Sleep(kStep);
    if (dialog) {
        found_ = true;
        // A dialog still taking its first activation may yet move its focus and selection.
        WaitUntil([&] { return GetForegroundWindow() == dialog || !IsWindow(dialog); }, 5000);
        try {
            action_(dialog);
            acted_ = true;
        } catch (const std::exception& e) {
            failure_ = e.what();
        } catch (...) {
            failure_ = "the action failed";
        }
        while (!stop_ && !pastDeadline() && IsWindow(dialog))
            Sleep(kStep);
    }
    // Until the test's thread is back from its dialog call, a dialog still up past the deadline is
    // cancelled, and closed when cancelling is not enough.
    while (!stop_) {
        if (pastDeadline()) CancelAll();
        Sleep(kStep);
    }
    for (int round = 0; round < 20 && !OwnDialogs().empty(); ++round)
        CancelAll();
}

void DialogDriver::CancelAll() {
    std::vector<HWND> left = OwnDialogs();
    if (left.empty()) return;
    forced_ = true;
    for (HWND window : left)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Sleep(200);
    for (HWND window : OwnDialogs())
        PostMessageA(window, WM_CLOSE, 0, 0);
    Sleep(200);
}

bool WaitUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(kStep);
    }
    return true;
}

HWND WaitForOtherDialog(HWND except, DWORD limitMs) {
    HWND other = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : OwnDialogs())
                if (dialog != except) other = dialog;
            return other != nullptr;
        },
        limitMs);
    return other;
}

// The edit control where the file name is typed, whichever layout the dialog has.
HWND FileNameEdit(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    if (!box) box = GetDlgItem(dialog, kFileNameEdit);
    // A combo box (plain or extended) holds its edit control further down.
    while (box && ClassOf(box) != "Edit")
        box = GetWindow(box, GW_CHILD);
    return box;
}

void TypeFileName(HWND dialog, const std::string& text) {
    HWND box = FileNameEdit(dialog);
    if (!box) throw std::runtime_error("no file-name box");
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             5000, &ignored))
        throw std::runtime_error("the file-name box does not answer");
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace shelltest
