#include "bench/process_counts.h"

#include <psapi.h>
#include <cstdlib>
#include <vector>

namespace bench {

namespace {
using HandleCountCall = BOOL(WINAPI*)(HANDLE, PDWORD);

// Kernel handles are multiples of 4; a value that is no handle has no information.
long ProbeHandles() {
    long count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// Wine takes a GDI handle's table index alone (a high word of 0) for the object at that index.
long ProbeGdi() {
    long count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) ++count;
    return count;
}

// USER handles are even values from 0x20, taken by their index alone too: this process's windows,
// menus and icons or cursors.
long ProbeUser() {
    const DWORD self = GetCurrentProcessId();
    long count = 0;
    for (ULONG_PTR value = 0x20; value < 0x10000; value += 2) {
        const HWND window = reinterpret_cast<HWND>(value);
        if (IsWindow(window)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == self) ++count;
        } else if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++count;
        } else {
            ICONINFO info = {};
            if (GetIconInfo(reinterpret_cast<HICON>(value), &info)) {
                ++count;
                if (info.hbmColor) DeleteObject(info.hbmColor);
                if (info.hbmMask) DeleteObject(info.hbmMask);
            }
        }
    }
    return count;
}

double Ms(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;
}
} // namespace

ObjectCounts CountObjects() {
    ObjectCounts counts;
    const HANDLE self = GetCurrentProcess();
    DWORD handles = 0;
    // Windows XP SP1 and later.
    const auto handleCount = reinterpret_cast<HandleCountCall>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount"));
    if (handleCount != nullptr) handleCount(self, &handles);
    const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(self, GR_USEROBJECTS);
    if (handles != 0 && gdi != 0 && user != 0) {
        counts.handles = static_cast<long>(handles);
        counts.gdi = static_cast<long>(gdi);
        counts.user = static_cast<long>(user);
        counts.source = "platform";
        return counts;
    }
    counts.handles = ProbeHandles();
    counts.gdi = ProbeGdi();
    counts.user = ProbeUser();
    counts.source = "probed";
    return counts;
}

namespace {
std::string ReadAll(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

bool IsWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The /proc folder (through Wine's Z: drive) of the Linux process whose command line names `exePath`,
// empty when there is none.
std::string LinuxProcessFolder(const std::string& exePath) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string folder;
    do {
        const std::string pid = found.cFileName;
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string command = ReadAll("Z:\\proc\\" + pid + "\\cmdline");
        // The program itself, not the wine loader or a shell that names it.
        if (command.compare(0, 2, "C:") != 0 && command.compare(0, 2, "Z:") != 0) continue;
        if (command.find(exePath) == std::string::npos) continue;
        folder = "Z:\\proc\\" + pid;
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}

// utime + stime of /proc/<pid>/stat (fields 14 and 15, after the parenthesised name), in clock ticks of
// 1/100 s.
double LinuxProcessMs(const std::string& exePath) {
    const std::string folder = LinuxProcessFolder(exePath);
    if (folder.empty()) return -1;
    const std::string stat = ReadAll(folder + "\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    // After the name: the state (field 3), then numbers; utime and stime are fields 14 and 15.
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat.size()) {
        const size_t space = stat.find(' ', at);
        fields.push_back(stat.substr(at, space == std::string::npos ? std::string::npos : space - at));
        if (space == std::string::npos) break;
        at = space + 1;
    }
    if (fields.size() < 13) return -1;
    return (std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr)) * 10.0;
}
} // namespace

long WakeUps(const std::string& exePath) {
    if (!IsWine()) return -1;
    const std::string folder = LinuxProcessFolder(exePath);
    if (folder.empty()) return -1;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\task\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    long total = 0;
    do {
        const std::string tid = found.cFileName;
        if (tid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string status = ReadAll(folder + "\\task\\" + tid + "\\status");
        const std::string label = "\nvoluntary_ctxt_switches:";
        const size_t at = status.find(label);
        if (at != std::string::npos) total += std::strtol(status.c_str() + at + label.size(), nullptr, 10);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return total;
}

double ProcessorMs(HANDLE process, const std::string& exePath) {
    // Wine answers another process's times with what they were at its start.
    if (IsWine()) return LinuxProcessMs(exePath);
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    return Ms(kernel) + Ms(user);
}

unsigned long PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return 0;
    // Windows fills both with the commit charge; Wine fills only the first.
    return static_cast<unsigned long>(memory.PrivateUsage > memory.PagefileUsage ? memory.PrivateUsage
                                                                                 : memory.PagefileUsage);
}

} // namespace bench
