// The launcher on the real shell: Wine's browser bridge hands web and mail links to the logging
// stand-ins for xdg-open / xdg-email that ctest puts on PATH (TSLN_SHELL_LOG names their log), batch
// files run for real, and the help viewer opens the manual built into dist/.
#include "core/launcher.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "tests/support/shell_calls.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace tsln;

namespace {

using testing::PumpUntil;
using testing::ShellCalls;

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

struct ClassSearch {
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && ClassOf(window) == search->className) search->found.push_back(window);
    return TRUE;
}

// This process's top-level windows of one class.
std::vector<HWND> WindowsOfClass(const std::string& className) {
    ClassSearch search{className, {}};
    EnumWindows(&CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

TEST_CASE("the working folder is the path up to its last backslash") {
    CHECK(WorkingFolderOf("C:\\Pictures\\Summer\\beach.jpg") == "C:\\Pictures\\Summer\\");
    CHECK(WorkingFolderOf("C:\\Pictures\\Summer\\") == "C:\\Pictures\\Summer\\");
    CHECK(WorkingFolderOf("C:\\boot.ini") == "C:\\");
    CHECK(WorkingFolderOf("http://www.example.com/tessaline/index.php?page=skins") == "");
    CHECK(WorkingFolderOf("readme.txt") == "");
    CHECK(WorkingFolderOf("") == "");
}

TEST_CASE("mail links") {
    CHECK(MailLink("someone@example.com", "", "") == "mailto:someone@example.com");
    CHECK(MailLink("mailto:someone@example.com", "", "") == "mailto:someone@example.com");
    CHECK(MailLink("MAILTO:someone@example.com", "Hi", "") == "MAILTO:someone@example.com?subject=Hi");
    CHECK(MailLink("MailTo:someone@example.com", "", "") == "MailTo:someone@example.com");
    CHECK(MailLink("mailto", "", "") == "mailto:mailto");
    CHECK(MailLink("someone@example.com", "", "Line one%0D%0ALine two") ==
          "mailto:someone@example.com?body=Line one%0D%0ALine two");
    CHECK(MailLink("someone@example.com", "Tessaline 1.8", "Hello%0D%0A") ==
          "mailto:someone@example.com?subject=Tessaline 1.8&body=Hello%0D%0A");
    CHECK(MailLink("", "", "") == "mailto:");
}

TEST_CASE("StartDoc opens a file with the file's folder as working folder") {
    testing::TempDir dir("startdoc");
    const std::string folder = dir / "My Documents";
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string probe = folder + "\\probe.bat";
    const std::string result = dir / "cwd.txt";
    REQUIRE(testing::WriteFileBytes(probe, "@cd > \"" + result + "\"\r\n@exit\r\n"));

    CHECK(StartDoc(probe) > 32);
    std::string cwd;
    CHECK(PumpUntil([&] {
        cwd = testing::ReadFileBytes(result);
        return cwd.find('\n') != std::string::npos;
    }));
    while (!cwd.empty() && (cwd.back() == '\n' || cwd.back() == '\r' || cwd.back() == ' '))
        cwd.pop_back();
    CHECK(lstrcmpiA(cwd.c_str(), folder.c_str()) == 0);
}

TEST_CASE("StartDoc hands a web address to the browser unchanged") {
    ShellCalls calls;
    const std::string url = "http://www.example.com/tessaline/index.php?page=skins&ver=1.8";
    CHECK(StartDoc(url) > 32);
    CHECK(calls.Next() == "xdg-open\t" + url);
}

TEST_CASE("StartDoc on a missing file returns the shell's result and reports nothing") {
    testing::BoxWatcher boxes;
    testing::FileSnapshot log(LogFilePath());
    testing::TempDir dir("startdoc");
    const int32_t result = StartDoc(dir / "missing.bmp");
    CHECK(result > 0);
    CHECK(result <= 32);
    CHECK(boxes.Seen().empty());
    CHECK(log.Added().empty());
}

TEST_CASE("MailTo hands the mail link to the mail program") {
    ShellCalls calls;
    // Wine's bridge passes the link on after normalising its scheme; the texts are already fit for a link.
    MailTo("someone@example.com", "Tessaline%201.8", "Line%20one%0D%0ALine%20two");
    CHECK(calls.Next() ==
          "xdg-email\tmailto:someone@example.com?subject=Tessaline%201.8&body=Line%20one%0D%0ALine%20two");
    MailTo("MAILTO:someone@example.com", "", "Hello");
    CHECK(calls.Next() == "xdg-email\tmailto:someone@example.com?body=Hello");
    MailTo("support@example.com", "", "");
    CHECK(calls.Next() == "xdg-email\tmailto:support@example.com");
}

namespace {

// A plain top-level window standing in for the calling form, and the help file restored at the end.
struct HelpCaller {
    HelpCaller() : previous(HelpFile()) {
        owner.reset(CreateWindowExA(0, "STATIC", "Help caller", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
        REQUIRE(owner);
    }
    ~HelpCaller() { SetHelpFile(previous); }
    std::string previous;
    unique_hwnd owner;
};

} // namespace

TEST_CASE("ShowHelp opens the manual for its caller and closes every help window") {
    HelpCaller caller;
    const std::string manual = testing::DistDir() + "\\help.chm";
    REQUIRE_MESSAGE(FileExists(manual), "build the help_chm target first");
    SetHelpFile(manual);

    HWND help = ShowHelp(caller.owner.get(), false);
    REQUIRE(help != nullptr);
    CHECK(IsWindow(help));
    CHECK(ClassOf(help) == "HH Parent");
    CHECK(TitleOf(help) == "Tessaline Help");
    CHECK(WindowsOfClass("HH Parent").size() == 1);
    CHECK(GetWindow(help, GW_OWNER) == caller.owner.get());

    ShowHelp(caller.owner.get(), true);
    CHECK(PumpUntil([&] { return !IsWindow(help); }));
    CHECK(WindowsOfClass("HH Parent").empty());
}

TEST_CASE("ShowHelp with a missing help file opens nothing and raises nothing") {
    testing::BoxWatcher boxes;
    HelpCaller caller;
    testing::TempDir dir("help");
    SetHelpFile(dir / "help.chm");
    HWND help = nullptr;
    CHECK_NOTHROW(help = ShowHelp(caller.owner.get(), false));
    CHECK(help == nullptr);
    CHECK(WindowsOfClass("HH Parent").empty());
    CHECK_NOTHROW(ShowHelp(caller.owner.get(), true));
    CHECK(boxes.Seen().empty());
}
