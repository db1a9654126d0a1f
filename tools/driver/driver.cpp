#include "tools/driver/driver.h"

namespace tsdriver {

namespace {

const char* const kAgentClass = "TessalineAgent";
const char* const kMainClass = "TessalineMain";

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
    if (testing::ClassOf(hwnd) != ctx->className) return TRUE;
    ctx->found = hwnd;
    return FALSE;
}

} // namespace

HWND FindWindowOf(DWORD pid, const char* className) {
    FindContext ctx{pid, className, nullptr};
    EnumWindows(&FindByClass, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

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

HWND Process::FindBox() const {
    return testing::FindBoxOf(id_);
}
HWND Process::FindAgent() const {
    return FindWindowOf(id_, kAgentClass);
}

HWND Process::FindMain() const {
    return FindWindowOf(id_, kMainClass);
}

HWND Process::WaitBoxOrAgent(DWORD timeoutMs) const {
    HWND box = nullptr;
    testing::WaitFor([&] { return (box = FindBox()) != nullptr || FindAgent() || !Running(); }, timeoutMs);
    return box;
}

bool Process::CloseAgent(DWORD timeoutMs) const {
    HWND agent = FindAgent();
    if (agent) PostMessageA(agent, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
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
            result.boxes.push_back(testing::ReadBox(box));
            testing::Press(box, options.button);
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
