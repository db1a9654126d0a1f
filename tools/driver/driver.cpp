#include "tools/driver/driver.h"

#include <algorithm>

namespace tsdriver {

namespace {

const char* const kAgentClass = "TessalineAgent";

struct FindContext {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindByClass(HWND hwnd, LPARAM param) {
    auto* ctx = reinterpret_cast<FindContext*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ctx->pid) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, ctx->className) != 0) return TRUE;
    if (lstrcmpA(ctx->className, "#32770") == 0 && !IsWindowVisible(hwnd)) return TRUE;
    ctx->found = hwnd;
    return FALSE;
}

HWND FindWindowOf(DWORD pid, const char* className) {
    FindContext ctx{pid, className, nullptr};
    EnumWindows(&FindByClass, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

// Icon handles of another process cannot be read here, so the icon is recognised by what the box shows:
// its static control's pixels on screen against the known icons drawn on the same background.
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
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::string IconName(HWND box) {
    HWND child = nullptr;
    EnumChildWindows(box, &FindIconChild, reinterpret_cast<LPARAM>(&child));
    if (!child) return "none";
    if (!IsWindowVisible(child)) return "none";
    // Another process's window DC reads nothing under Wine; the screen's DC shows what is drawn.
    RECT rc = {};
    GetWindowRect(child, &rc);
    const int width = std::min<int>(rc.right - rc.left, GetSystemMetrics(SM_CXICON));
    const int height = std::min<int>(rc.bottom - rc.top, GetSystemMetrics(SM_CYICON));
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> seen = Capture(screen, rc.left, rc.top, width, height);
    ReleaseDC(nullptr, screen);
    if (seen.empty()) return "unknown";
    const std::pair<LPCSTR, const char*> known[] = {{IDI_HAND, "error"},
                                                    {IDI_ASTERISK, "information"},
                                                    {IDI_EXCLAMATION, "warning"},
                                                    {IDI_QUESTION, "question"}};
    for (const auto& k : known) {
        if (DrawnIcon(LoadIconA(nullptr, k.first), seen[0], width, height) == seen) return k.second;
    }
    return "unknown";
}

} // namespace

ScopedWinVersion::ScopedWinVersion(const std::string& exeName, const std::string& version) {
    if (version.empty()) return;
    keyPath_ = "Software\\Wine\\AppDefaults\\" + exeName;
    tsln::unique_hkey key;
    keyExisted_ = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    if (keyExisted_) {
        char value[64] = {};
        DWORD size = sizeof value, type = 0;
        if (RegQueryValueExA(key.get(), "Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS) {
            hadValue_ = true;
            oldValue_ = value;
        }
    }
    tsln::unique_hkey writable;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        writable.put(), nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(writable.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
        active_ = true;
    }
}

ScopedWinVersion::~ScopedWinVersion() {
    if (!active_) return;
    if (!keyExisted_) {
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str());
        return;
    }
    tsln::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return;
    if (hadValue_)
        RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldValue_.c_str()),
                       static_cast<DWORD>(oldValue_.size() + 1));
    else
        RegDeleteValueA(key.get(), "Version");
}

Process Process::Start(const std::string& exe, const std::string& args) {
    Process p;
    std::string commandLine = "\"" + exe + "\"";
    if (!args.empty()) commandLine += " " + args;
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        p.process_.reset(pi.hProcess);
        p.id_ = pi.dwProcessId;
        WaitForInputIdle(pi.hProcess, 5000);
    }
    return p;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

void Process::Kill() const {
    if (Running()) {
        TerminateProcess(process_.get(), 99);
        WaitExit(5000);
    }
}

HWND FindBoxOf(DWORD pid) {
    return FindWindowOf(pid, "#32770");
}

HWND Process::FindBox() const {
    return FindBoxOf(id_);
}
HWND Process::FindAgent() const {
    return FindWindowOf(id_, kAgentClass);
}

HWND Process::WaitBoxOrAgent(DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = FindBox()) {
            // Let the box finish laying out its text before it is read.
            Sleep(100);
            return box;
        }
        if (FindAgent() || !Running()) return nullptr;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(30);
    }
}

bool Process::CloseAgent(DWORD timeoutMs) const {
    HWND agent = FindAgent();
    if (agent) PostMessageA(agent, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
}

BoxInfo ReadBox(HWND box) {
    BoxInfo info;
    info.hwnd = box;
    info.title = WindowText(box);
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    info.text = text;
    info.icon = IconName(box);
    static const struct {
        int id;
        const char* name;
    } kButtons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"}};
    for (const auto& button : kButtons) {
        HWND control = GetDlgItem(box, button.id);
        if (!control || !IsWindowVisible(control)) continue;
        if (!info.buttons.empty()) info.buttons += ' ';
        info.buttons += button.name;
    }
    return info;
}

bool Press(HWND box, int id, DWORD timeoutMs) {
    HWND button = GetDlgItem(box, id);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

RunResult Run(const RunOptions& options) {
    RunResult result;
    std::string exeName = options.exe.substr(options.exe.find_last_of('\\') + 1);
    ScopedWinVersion version(exeName, options.winVersion);
    Process process = Process::Start(options.exe, options.args);
    if (!process.Id()) return result;

    DWORD start = GetTickCount();
    for (;;) {
        if (GetTickCount() - start > options.timeoutMs) {
            result.timedOut = true;
            process.Kill();
            break;
        }
        DWORD left = options.timeoutMs - (GetTickCount() - start);
        if (HWND box = process.WaitBoxOrAgent(left)) {
            result.boxes.push_back(ReadBox(box));
            Press(box, options.button);
            continue;
        }
        if (process.FindAgent()) {
            result.agentSeen = true;
            if (!options.closeAgent) {
                result.stillRunning = true;
                return result;
            }
            if (!process.CloseAgent(left)) {
                result.timedOut = true;
                process.Kill();
            }
            break;
        }
        if (!process.Running()) break;
    }
    process.WaitExit(5000);
    result.exited = !process.Running();
    result.exitCode = process.ExitCode();
    return result;
}

std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

} // namespace tsdriver
