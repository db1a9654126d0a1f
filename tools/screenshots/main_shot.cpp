// Shows the main window for a screenshot, with a given skin:
//   tsmainshot SKINS_FOLDER UNZIP_DLL SKIN_NAME READY_FILE DONE_FILE
// Once the window has faded in and its movie has come to rest it writes "left top width height" (pixels on the screen) to READY_FILE,
// then unloads the window and ends as soon as DONE_FILE exists. The movie player must be registered.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "tools/screenshots/shot_ready.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <ole2.h>
#include <cstdio>
#include <string>

using namespace tsln;

namespace {
struct Shot {
    std::string ready, done;
    bool written = false;
    long frame = -1;    // the movie's frame at the last look
    int sameFrames = 0; // looks in a row that found the same frame
} gShot;

// The movie has come to rest once its frame stays the same for half a second of looks.
bool MovieAtRest(frmMain& main) {
    const long frame = main.swfSKIN().CurrentFrame();
    gShot.sameFrames = frame == gShot.frame ? gShot.sameFrames + 1 : 0;
    gShot.frame = frame;
    return gShot.sameFrames >= 10;
}

void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) {
    frmMain* main = frmMain::Instance();
    if (main == nullptr) return PostQuitMessage(1);
    HWND window = main->hwnd();
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!main->Activated() || !IsWindowEnabled(window) ||
        (GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) && alpha != 230))
        return; // still fading in
    if (!gShot.written) {
        if (!MovieAtRest(*main)) return;
        WriteReady(gShot.ready, window);
        gShot.written = true;
    } else if (FileExists(gShot.done)) {
        frmMain::Unload();
        PostQuitMessage(0);
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: tsmainshot SKINS_FOLDER UNZIP_DLL SKIN_NAME READY_FILE DONE_FILE\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string data = AddBackslash(temp) + "tsmainshot\\";
    CreateDirectoryA(data.c_str(), nullptr);
    SetAppFolder(data);

    clsSetari settings;
    settings.SetSkin(argv[3]);
    settings.SetInterface_Transp(1);
    settings.SetInterface_Shadow(0);
    settings.SetOnTOP(0);
    // Centred on the screen (a place off the screen is brought back by the skin).
    settings.SetLeft(-100);
    settings.SetTop(-100);
    gShot.ready = argv[4];
    gShot.done = argv[5];
    SetTimer(nullptr, 0, 50, &Look);
    SkinsSetup setup{AddBackslash(argv[1]), argv[2], [] { ExitProcess(1); }};
    frmMain::Show(GetModuleHandleA(nullptr), setup);
    const int code = RunMessageLoop();
    OleUninitialize();
    return gShot.written ? code : 1;
}
