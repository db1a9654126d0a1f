// Shows one of the skinned dialogs for a screenshot, in the look of a given skin package:
//   tsdialogshot msgbox|change SKINS_FOLDER UNZIP_DLL READY_FILE DONE_FILE
// Once the dialog has faded in it writes "left top width height" (pixels on the screen) to READY_FILE,
// then closes the dialog as soon as DONE_FILE exists.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "rotation/frm_change.h"
#include "tools/screenshots/shot_ready.h"
#include "ui/frm_msgbox.h"

#include <windows.h>
#include <cstdio>
#include <string>

using namespace tsln;

namespace {
struct Shot {
    const char* className = nullptr;
    std::string ready, done;
    bool written = false;
} gShot;

void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA(gShot.className, nullptr);
    if (dialog == nullptr || !IsWindowVisible(dialog)) return;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(dialog, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) && alpha != 230)
        return; // still fading in
    if (!gShot.written) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        WriteReady(gShot.ready, dialog);
        gShot.written = true;
    } else if (FileExists(gShot.done)) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: tsdialogshot msgbox|change SKINS_FOLDER UNZIP_DLL READY_FILE DONE_FILE\n");
        return 2;
    }
    const std::string kind = argv[1];
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string data = AddBackslash(temp) + "tsdialogshot\\";
    CreateDirectoryA(data.c_str(), nullptr);
    SetAppFolder(data);

    clsSetari settings;
    settings.SetInterface_Transp(1);
    settings.SetOnTOP(0);
    SkinsSetup setup{AddBackslash(argv[2]), argv[3], [] { ExitProcess(1); }};
    setup.storeOnRelease = false;
    clsSkins skins(setup);
    if (!skins.ReadColors()) return 1;

    gShot.ready = argv[4];
    gShot.done = argv[5];
    SetTimer(nullptr, 0, 50, &Look);
    if (kind == "msgbox") {
        gShot.className = frmMsgBox::kClassName;
        ShowSkinnedMsgBox(&skins, nullptr, "You want to close\r\nTessaline?", 12, 1);
    } else if (kind == "change") {
        gShot.className = frmChange::kClassName;
        settings.SetWInterval("every hour");
        frmChange::Afiseaza(&skins, nullptr, tType::Wallpapers);
    } else {
        return 2;
    }
    return gShot.written ? 0 : 1;
}
