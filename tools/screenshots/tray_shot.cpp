// tstrayshot READY-FILE EXE ARGUMENTS: starts the program in this desktop, waits until its agent has its
// icon in the tray, then writes the taskbar's rectangle ("x y width height", in screen pixels) to
// READY-FILE for tools/screenshots/tray.sh and leaves the program running. Exits 1 when the program did
// not start or the icon did not show within a minute.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

// The shell changes only icons it holds: a change that succeeds proves the icon is there.
bool IconInTray(HWND agent) {
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = agent;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tstrayshot READY-FILE EXE [ARGUMENTS]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[2] + "\"";
    for (int i = 3; i < argc; ++i)
        commandLine += std::string(" ") + argv[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(argv[2], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s (%lu)\n", argv[2], GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND agent = FindWindowA("TessalineAgent", nullptr);
        const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        if (agent != nullptr && taskbar != nullptr && IsWindowVisible(taskbar) && IconInTray(agent)) {
            RECT bar = {};
            GetWindowRect(taskbar, &bar);
            FILE* ready = std::fopen(argv[1], "wb");
            if (ready == nullptr) return 1;
            std::fprintf(ready, "%ld %ld %ld %ld\n", bar.left, bar.top, bar.right - bar.left,
                         bar.bottom - bar.top);
            std::fclose(ready);
            return 0;
        }
        if (GetTickCount() - start > 60000) {
            std::fprintf(stderr, "the agent's icon did not show in the tray (agent %p, taskbar %p)\n",
                         static_cast<void*>(agent), static_cast<void*>(taskbar));
            return 1;
        }
        Sleep(100);
    }
}
