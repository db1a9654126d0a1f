#include "tests/startup/startup_fixture.h"

#include <stdexcept>

namespace startup {

std::string Exe() {
    return testing::DistDir() + "\\Tessaline.exe";
}

std::string LogPath() {
    return testing::UserAppFolder() + "\\Tessaline.log";
}

tsdriver::RunResult Run(const std::string& args, const std::string& winVersion, const std::string& exe) {
    tsdriver::RunOptions options;
    options.exe = exe;
    options.args = args;
    options.winVersion = winVersion;
    return tsdriver::Run(options);
}

AppFolderAside::AppFolderAside()
    : folder_(testing::UserAppFolder()), aside_(folder_ + ".aside"), had_(testing::PathExists(folder_)) {
    if (had_ && !MoveFileA(folder_.c_str(), aside_.c_str()))
        throw std::runtime_error("cannot move " + folder_);
}

AppFolderAside::~AppFolderAside() {
    testing::RemoveTree(folder_);
    if (had_) MoveFileA(aside_.c_str(), folder_.c_str());
}

XPShellState::XPShellState()
    : shellState(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "ShellState") {
    std::vector<BYTE> state(36, 0);
    state[0] = 0x24;
    state[32] = 2; // not the classic Start menu
    testing::SetBinary(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                       "ShellState", state);
}

long CallPlayer(const char* entry) {
    tsln::unique_hmodule player(LoadLibraryA((testing::DistDir() + "\\tslnplay.dll").c_str()));
    if (!player) return -1;
    using Entry = HRESULT(WINAPI*)();
    auto call = reinterpret_cast<Entry>(GetProcAddress(player.get(), entry));
    return call ? call() : -2;
}

} // namespace startup
