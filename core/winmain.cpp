// The process entry point.
#include "core/mod_main.h"
#include "core/window.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int code = tsln::Main(instance, tsln::ArgumentText(GetCommandLineA()));
    if (code == tsln::kRunAgent) code = tsln::RunMessageLoop();
    return code;
}
