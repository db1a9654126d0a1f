// A process that makes the program's own skin manager, with the program's own setup, beside a missing
// SKINS folder: the tests drive it to see the fatal report and the process end.
#include "core/mod_main.h"
#include "skins/clsSkins.h"

#include <windows.h>
#include <string>

int main(int argc, char** argv) {
    // The data folder, so that the report's log entry lands where the test looks.
    if (argc > 1) tsln::SetAppFolder(tsln::AddBackslash(argv[1]));
    CoInitialize(nullptr);
    tsln::clsSkins skins;
    return 0; // reached only when a skin was found
}
