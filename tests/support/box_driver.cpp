#include "tests/support/box_driver.h"

#include <commctrl.h>
#include <algorithm>
#include <stdexcept>

namespace testing {

namespace {
// How often a condition is looked at.
constexpr DWORD kStep = 20;
// How long a box may take to draw its icon.
constexpr DWORD kIconLimitMs = 3000;
// How long cancelled dialogs may take to go.
constexpr DWORD kCancelLimitMs = 1000;

// The program's own skinned message box, a top-level window of its own class.
constexpr const char* kSkinnedBoxClass = "TessalineMsgBox";

bool IsSkinnedBox(HWND window) {
    return ClassOf(window) == kSkinnedBoxClass;
}

// The skinned box's button of that command id (IDOK "OK", IDCANCEL "Cancel"), shown, or null.
struct ButtonSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindShownButton(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    if (ClassOf(child) == "Button" && IsWindowVisible(child) && WindowText(child) == search->caption) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND SkinnedButton(HWND box, const char* caption) {
    ButtonSearch search{caption, nullptr};
    EnumChildWindows(box, &FindShownButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const char* CaptionOf(int id) {
    return id == IDOK ? "OK" : id == IDCANCEL ? "Cancel" : id == IDYES ? "Yes" : id == IDNO ? "No" : "";
}

BOOL CALLBACK FindStatic(HWND child, LPARAM param) {
    if (ClassOf(child) == "Static") {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

struct DialogSearch {
    DWORD pid;
    bool withSkinned;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    const std::string name = ClassOf(window);
    if (name == "#32770" || (search->withSkinned && name == kSkinnedBoxClass))
        search->found.push_back(window);
    return TRUE;
}

// Icon handles of another process cannot be read, so the icon is recognised by what the box shows: its
// static control's pixels on screen against the known icons drawn on the same background.
std::vector<COLORREF> Capture(HDC source, int left, int top, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(source, left + x, top + y));
    return pixels;
}

std::vector<COLORREF> DrawnIcon(HICON icon, COLORREF background, int width, int height) {
    HDC screen = GetDC(nullptr);
    tsln::unique_hdc memory(CreateCompatibleDC(screen));
    tsln::unique_gdi bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    tsln::unique_gdi brush(CreateSolidBrush(background));
    RECT all = {0, 0, width, height};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(brush.get()));
    DrawIconEx(memory.get(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels = Capture(memory.get(), 0, 0, width, height);
    SelectObject(memory.get(), old);
    return pixels;
}

BOOL CALLBACK FindIconChild(HWND hwnd, LPARAM param) {
    if (ClassOf(hwnd) == "Static" && (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The known icon the control shows on screen now, or "unknown".
std::string IconOnScreen(HWND child) {
    // Another process's window DC reads nothing under Wine; the screen's DC shows what is drawn.
    RECT rc = {};
    GetWindowRect(child, &rc);
    const int width = std::min<int>(rc.right - rc.left, GetSystemMetrics(SM_CXICON));
    const int height = std::min<int>(rc.bottom - rc.top, GetSystemMetrics(SM_CYICON));
    if (width <= 0 || height <= 0) return "unknown";
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> seen = Capture(screen, rc.left, rc.top, width, height);
    ReleaseDC(nullptr, screen);
    const std::pair<LPCSTR, const char*> known[] = {{IDI_HAND, "error"},
                                                    {IDI_ASTERISK, "information"},
                                                    {IDI_EXCLAMATION, "warning"},
                                                    {IDI_QUESTION, "question"}};
    for (const auto& k : known) {
        if (DrawnIcon(LoadIconA(nullptr, k.first), seen[0], width, height) == seen) return k.second;
    }
    return "unknown";
}

std::string IconName(HWND box) {
    HWND child = nullptr;
    EnumChildWindows(box, &FindIconChild, reinterpret_cast<LPARAM>(&child));
    if (!child || !IsWindowVisible(child)) return "none";
    std::string name = "unknown";
    WaitFor([&] { return (name = IconOnScreen(child)) != "unknown" || !IsWindow(box); }, kIconLimitMs);
    return name;
}
} // namespace

bool WaitFor(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= limitMs) return false;
        // Messages other threads send to this one's windows are answered while waiting: the program
        // under test sends to the test's stand-in shell windows (the tray icon, broadcasts) and would
        // hang until they are. Posted messages stay queued for the test to take.
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, kStep, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

std::vector<HWND> DialogsOf(DWORD pid, bool withSkinned) {
    DialogSearch search{pid, withSkinned, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> OwnDialogs() {
    return DialogsOf(GetCurrentProcessId());
}

HWND FindBoxOf(DWORD pid, bool withSkinned) {
    std::vector<HWND> dialogs = DialogsOf(pid, withSkinned);
    return dialogs.empty() ? nullptr : dialogs.front();
}

HWND WaitForDialog(DWORD pid, const std::string& caption, HWND except, DWORD limitMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND dialog : DialogsOf(pid)) {
                if (dialog != except && (caption.empty() || WindowText(dialog) == caption)) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        limitMs);
    return found;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
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

namespace {
// A block of memory in the process of a window, for messages whose parameters point at data.
class WindowProcessMemory {
public:
    WindowProcessMemory(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        if (!address_) throw std::runtime_error("no memory in the window's process");
    }
    ~WindowProcessMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }
    WindowProcessMemory(const WindowProcessMemory&) = delete;
    WindowProcessMemory& operator=(const WindowProcessMemory&) = delete;

    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
    }

private:
    tsln::unique_handle process_;
    void* address_ = nullptr;
};
} // namespace

std::string SelectedTreeText(HWND tree) {
    DWORD_PTR item = 0;
    if (!SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 5000, &item) || !item)
        return {};
    WindowProcessMemory memory(tree, sizeof(TVITEMA) + MAX_PATH);
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText = memory.At(sizeof request);
    request.cchTextMax = MAX_PATH;
    const char none = '\0';
    DWORD_PTR done = 0;
    char text[MAX_PATH + 1] = {};
    if (!memory.Write(0, &request, sizeof request) || !memory.Write(sizeof request, &none, 1) ||
        !SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.At(0)), SMTO_ABORTIFHUNG,
                             5000, &done) ||
        !memory.Read(sizeof request, text, MAX_PATH))
        return {};
    return text;
}

LRESULT SendWithText(HWND window, UINT message, WPARAM wParam, const std::string& text) {
    WindowProcessMemory memory(window, text.size() + 1);
    if (!memory.Write(0, text.c_str(), text.size() + 1)) return 0;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(memory.At(0)), SMTO_ABORTIFHUNG,
                        5000, &result);
    return static_cast<LRESULT>(result);
}

BoxInfo ReadBox(HWND box) {
    BoxInfo info;
    info.hwnd = box;
    info.title = WindowText(box);
    const bool skinned = IsSkinnedBox(box);
    if (skinned) {
        HWND message = nullptr; // the skinned box's one label holds its message
        EnumChildWindows(box, &FindStatic, reinterpret_cast<LPARAM>(&message));
        info.text = message ? WindowText(message) : std::string();
        info.icon = "none";
    } else {
        info.text = WindowText(GetDlgItem(box, 0xFFFF));
        info.icon = IconName(box);
    }
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND control = skinned ? SkinnedButton(box, CaptionOf(id)) : GetDlgItem(box, id);
        if (!control || !IsWindowVisible(control)) continue;
        if (!info.buttons.empty()) info.buttons += ' ';
        info.buttons += CaptionOf(id);
    }
    return info;
}

void Click(HWND dialog, int id) {
    if (!IsSkinnedBox(dialog)) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        return;
    }
    // The skinned box's buttons have no fixed ids: the one with the caption is pressed. Cancel on a box
    // without it closes the box, as Esc does.
    if (HWND button = SkinnedButton(dialog, CaptionOf(id))) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    } else if (id == IDCANCEL) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

bool Press(HWND box, int id, DWORD limitMs) {
    Click(box, id);
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, limitMs);
}

BoxWatcher::BoxWatcher(int button, bool withSkinned) : button_(button), withSkinned_(withSkinned) {
    InitializeCriticalSection(&lock_);
    thread_.reset(CreateThread(nullptr, 0, &BoxWatcher::Thread, this, 0, nullptr));
    if (!thread_) {
        DeleteCriticalSection(&lock_);
        throw std::runtime_error("no box watcher thread");
    }
}

BoxWatcher::~BoxWatcher() {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_.get(), INFINITE);
    DeleteCriticalSection(&lock_);
}

std::vector<BoxInfo> BoxWatcher::Seen() {
    EnterCriticalSection(&lock_);
    std::vector<BoxInfo> copy = seen_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI BoxWatcher::Thread(void* param) {
    auto* self = static_cast<BoxWatcher*>(param);
    try {
        for (;;) {
            HWND box = nullptr;
            WaitFor(
                [&] {
                    return self->stop_ ||
                           (box = FindBoxOf(GetCurrentProcessId(), self->withSkinned_)) != nullptr;
                },
                INFINITE);
            if (self->stop_) break;
            BoxInfo info = ReadBox(box);
            EnterCriticalSection(&self->lock_);
            self->seen_.push_back(info);
            LeaveCriticalSection(&self->lock_);
            Press(box, self->button_);
        }
    } catch (...) {
        // A watcher that fails stops watching; the test then sees the missing box.
    }
    return 0;
}

DialogDriver::DialogDriver(std::string caption, Action action, DWORD deadlineMs)
    : caption_(std::move(caption)), action_(std::move(action)), deadlineMs_(deadlineMs) {
    thread_.reset(CreateThread(nullptr, 0, &DialogDriver::Thread, this, 0, nullptr));
    if (!thread_) throw std::runtime_error("no dialog driver thread");
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
    auto left = [&]() -> DWORD {
        const DWORD used = GetTickCount() - start;
        return used < deadlineMs_ ? deadlineMs_ - used : 0;
    };
    auto stopped = [&] { return stop_ != 0; };
    HWND dialog = nullptr;
    WaitFor(
        [&] { return stopped() || (dialog = WaitForDialog(GetCurrentProcessId(), caption_, nullptr, 0)); },
        left());
    if (dialog) {
        found_ = true;
        // A dialog still taking its first activation may yet move its focus and selection.
        WaitFor([&] { return GetForegroundWindow() == dialog || !IsWindow(dialog); }, 5000);
        try {
            action_(dialog);
            acted_ = true;
        } catch (const std::exception& e) {
            failure_ = e.what();
        } catch (...) {
            failure_ = "the action failed";
        }
        WaitFor([&] { return stopped() || !IsWindow(dialog); }, left());
    }
    // Until the test's thread is back from its dialog call, a dialog still up past the deadline is
    // cancelled, and closed when cancelling is not enough.
    WaitFor(stopped, left());
    while (!stopped()) {
        CancelAll();
        WaitFor(stopped, 10 * kStep);
    }
    for (int round = 0; round < 20 && !OwnDialogs().empty(); ++round)
        CancelAll();
}

void DialogDriver::CancelAll() {
    std::vector<HWND> left = OwnDialogs();
    if (left.empty()) return;
    forced_ = true;
    auto gone = [] { return OwnDialogs().empty(); };
    for (HWND window : left)
        Click(window, IDCANCEL);
    if (WaitFor(gone, kCancelLimitMs)) return;
    for (HWND window : OwnDialogs())
        PostMessageA(window, WM_CLOSE, 0, 0);
    WaitFor(gone, kCancelLimitMs);
}

} // namespace testing
