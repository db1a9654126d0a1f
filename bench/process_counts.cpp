#include "bench/process_counts.h"

#include <psapi.h>

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

double ProcessorMs(HANDLE process) {
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
