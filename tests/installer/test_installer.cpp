// The real TessalineSetup.exe and the uninstaller it writes, driven from outside as a user's silent
// install, upgrade and removal run them, into a scratch folder of the prefix.
#include "movie/player_contract.h"
#include "tests/support/test_support.h"
#include "tools/driver/driver.h"

#include <doctest.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>

using testing::KeyExists;
using testing::PathExists;
using testing::ReadString;

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kPendingKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kPlayerClsidKey = "SOFTWARE\\Classes\\CLSID\\" TSLN_PLAYER_CLSID_TEXT;
const char* const kPlayerProgIdKey = "SOFTWARE\\Classes\\" TSLN_PLAYER_PROGID;
const char* const kWallpaperList = "Software\\Quillfen\\Tessaline\\Wallpapers\\List";

// This flavour's setup program.
std::string Setup() {
    return testing::DistDir() + (sizeof(void*) == 8 ? "\\TessalineSetup-x64.exe" : "\\TessalineSetup.exe");
}

std::string ProgramFiles() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAM_FILES, FALSE))
        throw std::runtime_error("no Program Files folder");
    return path;
}

std::string StartMenuFolder() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_COMMON_PROGRAMS, FALSE))
        throw std::runtime_error("no common programs folder");
    return std::string(path) + "\\Tessaline";
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    tsln::unique_find find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    return names;
}

// Runs a command line and waits until it and every process it started have ended: the uninstaller
// hands over to a copy of itself in the temporary folder and ends at once. Returns the first
// process's exit code.
DWORD RunWithChildren(const std::string& exe, const std::string& args) {
    tsln::unique_handle job(CreateJobObjectA(nullptr, nullptr));
    REQUIRE(job);
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    REQUIRE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           nullptr, &si, &pi));
    tsln::unique_handle process(pi.hProcess), thread(pi.hThread);
    REQUIRE(AssignProcessToJobObject(job.get(), process.get()));
    ResumeThread(thread.get());
    bool ended = testing::WaitFor(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
            return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &info,
                                             sizeof info, nullptr) &&
                   info.ActiveProcesses == 0;
        },
        120000);
    REQUIRE(ended);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

tsdriver::RunResult RunSetup(const std::string& args, const std::string& winVersion = "",
                             const std::string& setup = Setup()) {
    tsdriver::RunOptions options;
    options.exe = setup;
    options.args = args;
    options.winVersion = winVersion;
    options.timeoutMs = 120000;
    return tsdriver::Run(options);
}

// The installed program, started as the user starts it and left running in its agent.
tsdriver::Process StartInstalled(const std::string& folder) {
    tsdriver::Process program = tsdriver::Process::Start(folder + "\\Tessaline.exe", "");
    REQUIRE(program.Id());
    CHECK_FALSE(program.WaitBoxOrAgent(30000));
    REQUIRE(program.FindAgent());
    return program;
}

// The uninstaller's hand-over copies (folders "~nsu*.tmp" in the temporary folder), which Windows
// would delete at the next start, are removed when the test ends.
class HandOverCopies {
public:
    HandOverCopies() : before_(Find()) {}
    ~HandOverCopies() {
        for (const std::string& name : Find())
            if (std::find(before_.begin(), before_.end(), name) == before_.end()) testing::RemoveTree(name);
    }

private:
    static std::vector<std::string> Find() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        std::vector<std::string> found;
        for (const std::string& name : FilesIn(std::string(temp)))
            if (name.rfind("~nsu", 0) == 0) found.push_back(temp + name);
        return found;
    }
    std::vector<std::string> before_;
};

// Everything setup and the uninstaller may change, put back as it was.
struct Guard {
    testing::RegTreeSnapshot userKeys{HKEY_CURRENT_USER, "Software\\Quillfen"};
    testing::RegTreeSnapshot machineKeys{HKEY_LOCAL_MACHINE, "Software\\Quillfen"};
    testing::RegTreeSnapshot uninstall{HKEY_LOCAL_MACHINE, kUninstallKey};
    testing::RegTreeSnapshot playerClass{HKEY_LOCAL_MACHINE, kPlayerClsidKey};
    testing::RegTreeSnapshot playerProgId{HKEY_LOCAL_MACHINE, kPlayerProgIdKey};
    testing::RegValueSnapshot run{HKEY_CURRENT_USER, kRunKey, "Tessaline"};
    testing::RegValueSnapshot uiHost{HKEY_LOCAL_MACHINE, kWinlogon, "UIHost"};
    testing::RegValueSnapshot pending{HKEY_LOCAL_MACHINE, kPendingKey, "PendingFileRenameOperations"};
    testing::FileSnapshot log{testing::UserAppFolder() + "\\Tessaline.log"};
    testing::FileSnapshot wallpaper{testing::UserAppFolder() + "\\tsln.bmp"};
    HandOverCopies handOver;
};

} // namespace

TEST_CASE("setup refuses the Windows versions the program refuses, in the program's words") {
    Guard guard;
    for (const char* version : {"win98", "nt40", "vista", "win7"}) {
        CAPTURE(version);
        tsdriver::RunResult r = RunSetup("/S", version);
        REQUIRE(r.boxes.size() == 1);
        CHECK(r.boxes[0].icon == "error");
        CHECK(r.boxes[0].text == "This software was designed for Windows XP only.\r\n"
                                 "It does not run on any other Windows Operating System!");
        CHECK(r.exited);
        CHECK(r.exitCode != 0);
        CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
}

TEST_CASE("a silent install, an upgrade over it and a silent uninstall") {
    REQUIRE_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)); // never over a real install
    Guard guard;
    testing::TempDir scratch("setup");
    const std::string folder = scratch / "Tessaline";
    const std::vector<std::string> shippedSkins = FilesIn(testing::DistDir() + "\\SKINS");
    REQUIRE_FALSE(shippedSkins.empty());

    // Install.
    tsdriver::RunResult r = RunSetup("/S /D=" + folder);
    CHECK(r.boxes.empty());
    REQUIRE(r.exited);
    CHECK(r.exitCode == 0);
    for (const char* file : {"Tessaline.exe", "tsln.dll", "tslnplay.dll", "help.chm", "uninstall.exe"})
        CHECK_MESSAGE(PathExists(folder + "\\" + file), file);
    CHECK(FilesIn(folder + "\\SKINS") == shippedSkins);
    CHECK(ReadString(HKEY_LOCAL_MACHINE, std::string(kPlayerClsidKey) + "\\InprocServer32", "") ==
          folder + "\\tslnplay.dll");
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", testing::kOwnView) == "Tessaline");
#ifdef _WIN64
    // The 64-bit setup writes the 64-bit view, which a 64-bit Windows reads.
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, testing::kOtherView));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPlayerClsidKey, testing::kOtherView));
    CHECK(KeyExists(HKEY_LOCAL_MACHINE, kPlayerClsidKey, testing::kOwnView));
#endif
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion") == "1.8.8");
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher") == "Quillfen");
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon") == folder + "\\Tessaline.exe,0");
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") ==
          "\"" + folder + "\\uninstall.exe\"");
    DWORD type = 0;
    std::vector<BYTE> size;
    REQUIRE(testing::ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", type, size));
    CHECK(type == REG_DWORD);
    CHECK(*reinterpret_cast<DWORD*>(size.data()) > 100); // kilobytes: the program and its skins
    const std::string menu = StartMenuFolder();
    for (const char* link : {"Tessaline.lnk", "Tessaline Help.lnk", "Uninstall Tessaline.lnk"})
        CHECK_MESSAGE(PathExists(menu + "\\" + link), link);

    // The installed copy starts and runs.
    {
        tsdriver::Process program = StartInstalled(folder);
        CHECK(program.CloseAgent(30000));
        CHECK(program.ExitCode() == 0);
    }

    // An upgrade while the program runs: it is asked to close and ends by itself; the user's list and
    // a skin the user added stay.
    testing::SetString(HKEY_CURRENT_USER, kWallpaperList, "1", "C:\\pictures\\a.jpg|1|0");
    testing::SetString(HKEY_CURRENT_USER, kWallpaperList, "2", "C:\\pictures\\b.jpg|2|0");
    REQUIRE(testing::WriteFileBytes(folder + "\\SKINS\\Mine.csk", "the user's own"));
    {
        tsdriver::Process program = StartInstalled(folder);
        auto stop = tsln::make_scope_exit([&] { program.Kill(); }); // only a failed close leaves it running
        r = RunSetup("/S /D=" + folder);
        CHECK(r.boxes.empty());
        CHECK(r.exitCode == 0);
        CHECK(program.WaitExit(0));
        CHECK(program.ExitCode() == 0); // closed, not killed
    }
    CHECK(testing::ValueNames(HKEY_CURRENT_USER, kWallpaperList) == std::vector<std::string>{"1", "2"});
    CHECK(ReadString(HKEY_CURRENT_USER, kWallpaperList, "2") == "C:\\pictures\\b.jpg|2|0");
    CHECK(testing::ReadFileBytes(folder + "\\SKINS\\Mine.csk") == "the user's own");
    CHECK(PathExists(folder + "\\Tessaline.exe"));
    REQUIRE(DeleteFileA((folder + "\\SKINS\\Mine.csk").c_str()));

    // Uninstall, with the program running, its Run value written, a logon screen of the program's
    // folder chosen and the desktop bitmap in the user's folder.
    testing::SetString(HKEY_CURRENT_USER, kRunKey, "Tessaline", folder + "\\Tessaline.exe -s");
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", folder + "\\logons\\blue.exe");
    CreateDirectoryA(testing::UserAppFolder().c_str(), nullptr);
    REQUIRE(testing::WriteFileBytes(testing::UserAppFolder() + "\\tsln.bmp", "BM the wallpaper"));
    tsdriver::Process program = StartInstalled(folder);
    auto stop = tsln::make_scope_exit([&] { program.Kill(); }); // only a failed close leaves it running
    RunWithChildren(folder + "\\uninstall.exe", "/S");
    CHECK(program.WaitExit(0));
    CHECK(program.ExitCode() == 0);

    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillfen\\Tessaline"));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillfen\\Tessaline"));
    std::vector<BYTE> data;
    CHECK_FALSE(testing::ReadRaw(HKEY_CURRENT_USER, kRunKey, "Tessaline", type, data));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPlayerClsidKey));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPlayerProgIdKey));
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost") == "LOGONUI.EXE");
    CHECK_FALSE(PathExists(folder));
    CHECK_FALSE(PathExists(menu));
    CHECK(testing::ReadFileBytes(testing::UserAppFolder() + "\\tsln.bmp") == "BM the wallpaper");
}

TEST_CASE("without a folder, setup installs into this flavour's own Program Files and uninstalls from it") {
    REQUIRE_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    Guard guard;
    const std::string folder = ProgramFiles() + "\\Tessaline";
    REQUIRE_FALSE(PathExists(folder));
    auto removeFolder = tsln::make_scope_exit([&] { testing::RemoveTree(folder); });
    tsdriver::RunResult r = RunSetup("/S");
    CHECK(r.boxes.empty());
    REQUIRE(r.exited);
    CHECK(r.exitCode == 0);
    CHECK(PathExists(folder + "\\Tessaline.exe"));
    CHECK(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", testing::kOwnView) == folder);
#ifdef _WIN64
    CHECK(folder.find("(x86)") == std::string::npos);
#endif
    RunWithChildren(folder + "\\uninstall.exe", "/S");
    CHECK_FALSE(PathExists(folder));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, testing::kOwnView));
}

#ifdef TSLN_X86_SETUP
TEST_CASE("the 32-bit setup program refuses 64-bit Windows and names the 64-bit one") {
    char runs32[8] = {};
    GetEnvironmentVariableA("TSLN_HOST_RUNS_32BIT", runs32, sizeof runs32); // said by scripts/lib.sh
    if (std::string(runs32) != "yes" || !PathExists(TSLN_X86_SETUP)) {
        MESSAGE("not tried: the host runs no 32-bit programs, or the i686 flavour is not built");
        return;
    }
    Guard guard;
    tsdriver::RunResult r = RunSetup("/S", "", TSLN_X86_SETUP);
    REQUIRE(r.boxes.size() == 1);
    CHECK(r.boxes[0].text == "This setup program installs the 32-bit Tessaline.\r\n"
                             "On 64-bit Windows, run TessalineSetup-x64.exe instead.");
    CHECK(r.exitCode == 3);
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, testing::kOwnView));
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, testing::kOtherView));
}
#endif
