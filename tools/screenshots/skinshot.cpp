// skinshot: shows one skin package applied to a real window, for screenshots of the skins.
//   skinshot SKINS_FOLDER SKIN_NAME DONE_FILE
// Applies the skin with the skin manager (movie in the real player, outline, colours, size), waits until
// the movie has come to rest, prints "ready LEFT TOP WIDTH HEIGHT" (the window on the screen, pixels) and
// keeps the window up until DONE_FILE exists (at most a minute). The skin manager's settings and data
// files go where the program's go in this Wine prefix.
#include "core/mod_main.h"
#include "skins/clsSkins.h"
#include "tools/screenshots/skinned_window.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

using namespace tsln;

namespace {

// Runs the thread's messages until `done` or `timeoutMs` passed; false on the timeout.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

int Show(const std::string& folder, const std::string& skin, const std::string& doneFile) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string data = AddBackslash(temp) + "skinshot\\";
    CreateDirectoryA(data.c_str(), nullptr);
    SetAppFolder(data);

    skintool::SkinnedWindow window;
    SkinsSetup setup;
    setup.skinsFolder = AddBackslash(folder);
    setup.unzipLibrary = AddBackslash(ProgramFolder()) + "tsln.dll";
    setup.endProgram = [] { ExitProcess(2); };
    clsSkins skins(setup);
    skins.ApplyToForm(&window);
    skins.SetControls(skintool::SkinnedWindow::NoPage());
    skins.SetSkin(skin);
    std::string shown = skin;
    for (char& c : shown)
        if (c == '_') c = ' ';
    if (skins.Skin() != shown || !window.back) {
        std::fprintf(stderr, "skinshot: the skin %s was not applied\n", skin.c_str());
        return 1;
    }
    ShowWindow(window.hwnd(), SW_SHOW);
    UpdateWindow(window.hwnd());

    // At rest: the same frame for half a second.
    long last = -1;
    DWORD since = GetTickCount();
    PumpUntil(
        [&] {
            const long frame = window.Player().CurrentFrame();
            if (frame != last) {
                last = frame;
                since = GetTickCount();
            }
            return GetTickCount() - since > 500;
        },
        10000);
    RECT rect;
    GetWindowRect(window.hwnd(), &rect);
    std::printf("ready %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    std::fflush(stdout);
    PumpUntil([&] { return GetFileAttributesA(doneFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: skinshot SKINS_FOLDER SKIN_NAME DONE_FILE\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    int rc = 1;
    try {
        rc = Show(argv[1], argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skinshot: %s\n", e.what());
    }
    CoUninitialize();
    return rc;
}
