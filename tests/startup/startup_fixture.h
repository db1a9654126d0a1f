// What the start-up tests share: the real exe, its log, and the registry places it touches.
#pragma once
#include "movie/player_contract.h"
#include "tests/support/test_support.h"
#include "tools/driver/driver.h"

#include <string>

namespace startup {

constexpr const char* kPlayerClsidKey = "SOFTWARE\\Classes\\CLSID\\" TSLN_PLAYER_CLSID_TEXT;
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

std::string Exe();
std::string LogPath();

// Runs the exe with the argument text in the given Windows version, pressing OK on every box and
// unloading the agent once the program runs.
tsdriver::RunResult Run(const std::string& args, const std::string& winVersion = "",
                        const std::string& exe = Exe());

// Calls the player's own DllRegisterServer or DllUnregisterServer.
long CallPlayer(const char* entry);

// Moves the per-user application folder out of the way, and puts it back at the end.
class AppFolderAside {
public:
    AppFolderAside();
    ~AppFolderAside();
    AppFolderAside(const AppFolderAside&) = delete;
    AppFolderAside& operator=(const AppFolderAside&) = delete;
    const std::string& Folder() const { return folder_; }

private:
    testing::DistSkin skin_{TSLN_TEST_SKIN}; // a start by the user opens the skinned main window
    // The main window stores its skin and place when it goes.
    testing::RegTreeSnapshot userKeys_{HKEY_CURRENT_USER, "Software\\Quillfen"};
    std::string folder_, aside_;
    bool had_;
};

// The shell's "ShellState" as Explorer on Windows XP writes it (the XP style Start menu), for as long as
// it lives: the running agent looks at the Start menu style ten times a second, and a fresh Wine prefix
// has no such value.
struct XPShellState {
    XPShellState();
    testing::RegValueSnapshot shellState;
};

// Everything a start-up test may change: the product's keys, the UIHost value, the log, the shell state.
struct Guard {
    testing::DistSkin skin{TSLN_TEST_SKIN}; // a start by the user opens the skinned main window
    XPShellState shell;
    testing::RegTreeSnapshot userKeys{HKEY_CURRENT_USER, "Software\\Quillfen"};
    testing::RegTreeSnapshot machineKeys{HKEY_LOCAL_MACHINE, "Software\\Quillfen"};
    testing::RegValueSnapshot uiHost{HKEY_LOCAL_MACHINE, kWinlogon, "UIHost"};
    testing::FileSnapshot log{LogPath()};
};

} // namespace startup
