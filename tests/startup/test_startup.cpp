// Start-up of the real Tessaline.exe, driven from outside: arguments, Windows versions, prerequisites,
// the single instance and the clean-up switch.
#include "tests/startup/startup_fixture.h"

#include <doctest.h>

using namespace startup;
using testing::KeyExists;

namespace {

const char* const kRefusedVersion = "This software was designed for Windows XP only.\r\n"
                                    "It does not run on any other Windows Operating System!";
const char* const kSupport = "\r\n\r\nIf this error persist please contact\r\nQuillfen at ";

void MakeProductKeys() {
    const char* keys[] = {"Boots\\List", "Logons\\List", "Wallpapers\\List", "Settings"};
    for (const char* key : keys)
        testing::SetString(HKEY_CURRENT_USER, std::string("Software\\Quillfen\\Tessaline\\") + key, "1", "x");
    testing::SetString(HKEY_CURRENT_USER, "Software\\Quillfen\\Tessaline", "", "root value");
    testing::SetString(HKEY_LOCAL_MACHINE, "Software\\Quillfen\\Tessaline", "AppPath", "C:\\x");
}

// The log must have gained exactly one entry holding `report`.
void CheckOneLogEntry(const Guard& guard, const std::string& report) {
    std::string added = guard.log.Added();
    size_t tab = added.find('\t');
    REQUIRE(tab != std::string::npos);
    CHECK(added.substr(tab + 1) == report + "\r\n" + std::string(46, '-') + "\r\n");
}

} // namespace

TEST_CASE("-utsln removes every key of the product, deepest first, and nothing else") {
    Guard guard;
    MakeProductKeys();
    testing::SetString(HKEY_CURRENT_USER, "Software\\Quillfen\\Other Product", "Keep", "me");

    tsdriver::RunResult r = Run("-utsln");
    CHECK(r.exited);
    CHECK(r.exitCode == 0);
    CHECK(r.boxes.empty());
    CHECK_FALSE(r.agentSeen);
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillfen\\Tessaline"));
    CHECK(testing::ReadString(HKEY_CURRENT_USER, "Software\\Quillfen\\Other Product", "Keep") == "me");
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillfen"));
    CHECK(guard.log.Added().empty());

    // With nothing else under it, the maker's key goes too.
    MakeProductKeys();
    testing::DeleteTree(HKEY_CURRENT_USER, "Software\\Quillfen\\Other Product");
    r = Run("-utsln");
    CHECK(r.boxes.empty());
    CHECK_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Quillfen"));
}

TEST_CASE("-utsln restores the standard logon screen only when it points into the program folder") {
    Guard guard;
    const std::string ours = testing::DistDir() + "\\logons\\blue.exe";

    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", ours, REG_EXPAND_SZ);
    CHECK(Run("-utsln").boxes.empty());
    DWORD type = 0;
    std::vector<BYTE> data;
    REQUIRE(testing::ReadRaw(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", type, data));
    CHECK(type == REG_SZ);
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost") == "LOGONUI.EXE");

    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", "logonui.exe", REG_EXPAND_SZ);
    CHECK(Run("-utsln").boxes.empty());
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost") == "logonui.exe");

    // The comparison keeps letter case: another spelling of the folder is not ours.
    std::string otherCase = ours;
    CharLowerBuffA(&otherCase[0], static_cast<DWORD>(otherCase.size()));
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", otherCase);
    Run("-utsln");
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost") == otherCase);
}

TEST_CASE("-utsln says so when the standard logon screen cannot be restored") {
    Guard guard;
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost", testing::DistDir() + "\\x.exe");

    tsdriver::RunResult r;
    {
        testing::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kWinlogon);
        r = Run("-utsln");
    }

    REQUIRE(r.boxes.size() == 1);
    CHECK(r.boxes[0].title == "Tessaline");
    CHECK(r.boxes[0].icon == "error");
    CHECK(r.boxes[0].text == "Error occured when trying to set the default LogonUI\r\n"
                             "To change LogonUI you must be logged in as administrator!");
    CHECK(r.exitCode == 0);
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogon, "UIHost") == testing::DistDir() + "\\x.exe");
    CHECK(guard.log.Added().empty());
}

TEST_CASE("the switch is compared exactly: other argument texts start the program") {
    for (const char* args : {"-UTSLN", "-utsln x", "-utsln2", "-s"}) {
        CAPTURE(args);
        Guard guard;
        MakeProductKeys();
        tsdriver::RunResult r = Run(args);
        CHECK(r.boxes.empty());
        CHECK(r.agentSeen);
        CHECK(r.exitCode == 0);
        CHECK(KeyExists(HKEY_CURRENT_USER, "Software\\Quillfen\\Tessaline\\Boots\\List"));
    }
}

TEST_CASE("Windows versions other than 2000 and XP are refused with a report") {
    for (const char* version : {"win98", "winme", "nt40", "vista", "win7"}) {
        CAPTURE(version);
        Guard guard;
        tsdriver::RunResult r = Run("", version);
        REQUIRE(r.boxes.size() == 1);
        CHECK(r.boxes[0].title == "Program error Tessaline");
        CHECK(r.boxes[0].icon == "error");
        CHECK(r.boxes[0].text.rfind(std::string(kRefusedVersion) + kSupport, 0) == 0);
        CHECK_FALSE(r.agentSeen);
        CHECK(r.exited);
        CHECK(r.exitCode == 1);
        CheckOneLogEntry(guard, kRefusedVersion);
    }
    for (const char* version : {"win2k", "winxp", "win2003"}) {
        CAPTURE(version);
        Guard guard;
        tsdriver::RunResult r = Run("", version);
        CHECK(r.boxes.empty());
        CHECK(r.agentSeen);
        CHECK(r.exitCode == 0);
        CHECK(guard.log.Added().empty());
    }
}

TEST_CASE("a missing unzip library is fatal, shown and logged") {
    Guard guard;
    testing::TempDir dir("no dll");
    const std::string exe = dir / "Tessaline.exe";
    REQUIRE(CopyFileA(Exe().c_str(), exe.c_str(), FALSE));

    tsdriver::RunResult r = Run("", "", exe);
    std::string upper = dir.Path() + "\\TSLN.DLL";
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    const std::string report =
        "FATAL ERROR - the file \r\n" + upper + "\r\ndoes not exist. You need to reinstall this application!";
    REQUIRE(r.boxes.size() == 1);
    CHECK(r.boxes[0].title == "Program error Tessaline");
    CHECK(r.boxes[0].icon == "error");
    CHECK(r.boxes[0].text.rfind(report + kSupport, 0) == 0);
    CHECK(r.exitCode == 1);
    CheckOneLogEntry(guard, report);
}

TEST_CASE("an unregistered movie player asks for the download, without a log entry") {
    Guard guard;
    REQUIRE(CallPlayer("DllUnregisterServer") == 0);
    auto reregister = tsln::make_scope_exit([] { CallPlayer("DllRegisterServer"); });
    CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPlayerClsidKey));

    tsdriver::RunResult r = Run("");
    REQUIRE(r.boxes.size() == 1);
    CHECK(r.boxes[0].title == "Tessaline");
    CHECK(r.boxes[0].icon == "information");
    CHECK(r.boxes[0].text.rfind("To use this program you need Flash plug-in from Macromedia.\r\n"
                                "You can download Flash from ",
                                0) == 0);
    CHECK(r.exitCode == 1);
    CHECK(guard.log.Added().empty());

    reregister.dismiss();
    REQUIRE(CallPlayer("DllRegisterServer") == 0);
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, std::string(kPlayerClsidKey) + "\\InprocServer32", "") ==
          testing::DistDir() + "\\tslnplay.dll");
}

TEST_CASE("a file standing where the application folder should be counts as existing") {
    AppFolderAside aside;
    const std::string& folder = aside.Folder();
    REQUIRE(testing::WriteFileBytes(folder, "not a folder"));

    // Started hidden: the main window would unpack its skin into the folder.
    tsdriver::RunResult r = Run("-s");
    CHECK(r.boxes.empty());
    CHECK(r.agentSeen);
    CHECK(testing::ReadFileBytes(folder) == "not a folder");
    CHECK((GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) == 0);
}

TEST_CASE("the application folder is created when missing; without a per-user folder the start is refused") {
    AppFolderAside aside;
    const std::string& folder = aside.Folder();

    tsdriver::RunResult r = Run("");
    CHECK(r.agentSeen);
    CHECK((GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    testing::RemoveTree(folder);

    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    testing::RegValueSnapshot appData(HKEY_CURRENT_USER, shellFolders, "AppData");
    testing::TempDir dir("appdata");

    // No per-user folder at all: refused, and nothing is created at the current drive's root.
    testing::SetString(HKEY_CURRENT_USER, shellFolders, "AppData", dir / "gone\\deeper", REG_EXPAND_SZ);
    r = Run("");
    REQUIRE(r.boxes.size() == 1);
    CHECK(r.boxes[0].title == "Tessaline");
    CHECK(r.boxes[0].icon == "error");
    CHECK(r.boxes[0].text.rfind("Cannot create application folder in: \r\n\\Tessaline\\\r\n", 0) == 0);
    CHECK(r.boxes[0].text.size() >
          std::string("Cannot create application folder in: \r\n\\Tessaline\\\r\n").size());
    CHECK(r.exitCode == 1);
    CHECK_FALSE(r.agentSeen);
    CHECK_FALSE(testing::PathExists(testing::DistDir().substr(0, 2) + "\\Tessaline"));
}

TEST_CASE("a second instance is refused and leaves the first untouched") {
    Guard guard;
    tsdriver::Process first = tsdriver::Process::Start(Exe(), "");
    REQUIRE(first.Id() != 0);
    auto stopFirst = tsln::make_scope_exit([&] { first.Kill(); });
    CHECK(first.WaitBoxOrAgent(20000) == nullptr);
    REQUIRE(first.FindAgent() != nullptr);

    tsdriver::RunResult second = Run("");
    REQUIRE(second.boxes.size() == 1);
    CHECK(second.boxes[0].title == "Tessaline");
    CHECK(second.boxes[0].icon == "information");
    CHECK(second.boxes[0].text == "Tessaline  is allready running!\r\nLook for TSLN icon is System Tray.");
    CHECK_FALSE(second.agentSeen);
    CHECK(second.exitCode == 1);

    CHECK(first.Running());
    CHECK(first.FindAgent() != nullptr);
    CHECK(first.CloseAgent(20000));
    CHECK(first.ExitCode() == 0);

    // Once the first has gone, the mutex has gone with it.
    tsdriver::RunResult third = Run("");
    CHECK(third.boxes.empty());
    CHECK(third.agentSeen);
    // The one entry a running agent may leave: on a system that reports no shown windows (Wine 8) it
    // keeps polling for the Start menu after a second, and says so.
    const std::string added = guard.log.Added();
    const auto count = [&](const std::string& part) {
        size_t n = 0;
        for (size_t at = added.find(part); at != std::string::npos; at = added.find(part, at + 1))
            ++n;
        return n;
    };
    CHECK(count("Debug Information:") == count("Tessaline.frmLogo.WatchShell"));
}
