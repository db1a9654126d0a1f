// The visual-styles page of the main window: manifests added and removed for one program and for a
// folder tree, through real clicks on the real program's page and its real pickers.
#include "core/mod_main.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "tests/shellutil/file_dialog.h"

#include <doctest.h>
#include <shlobj.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace mainwin_test;

namespace {
const char* const kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kProgramFiles = "ProgramFilesDir";
const char* const kFrameCaptions[2] = {"  Add Visual Styles Support   ", "  Remove Visual Styles Support   "};

// The Program Files folder pointed at a scratch folder, or made unreadable; put back exactly at the end.
struct ProgramFilesGuard {
    testing::RegValueSnapshot saved{HKEY_LOCAL_MACHINE, kVersionKey, kProgramFiles};
    void Set(const std::string& folder) {
        testing::SetString(HKEY_LOCAL_MACHINE, kVersionKey, kProgramFiles, folder);
    }
    void Remove() {
        tsln::unique_hkey key;
        REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS);
        RegDeleteValueA(key.get(), kProgramFiles);
        REQUIRE(testing::ReadString(HKEY_LOCAL_MACHINE, kVersionKey, kProgramFiles) == "<missing>");
    }
};

BOOL CALLBACK FindCaption(HWND child, LPARAM param) {
    auto* look = reinterpret_cast<std::pair<std::string, HWND>*>(param);
    if (testing::WindowText(child) != look->first) return TRUE;
    look->second = child;
    return FALSE;
}

// One frame of the page as another process sees it: its controls in the order the page makes them.
struct StylesFrame {
    StylesFrame(HWND main, int side) {
        std::pair<std::string, HWND> look{kFrameCaptions[side], nullptr};
        EnumChildWindows(main, &FindCaption, reinterpret_cast<LPARAM>(&look));
        REQUIRE(look.second != nullptr);
        frame = look.second;
        HWND inside = GetWindow(frame, GW_CHILD);
        REQUIRE(inside != nullptr);
        for (HWND child = GetWindow(inside, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            controls.push_back(child);
        REQUIRE(controls.size() == 6);
    }
    HWND Option(int index) const { return controls[index]; }
    HWND Path() const { return controls[3]; }
    HWND Browse() const { return controls[4]; }
    HWND Act() const { return controls[5]; }
    bool Checked(int index) const { return SendMessageA(Option(index), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string Text() const { return testing::WindowText(Path()); }

    HWND frame = nullptr;
    std::vector<HWND> controls;
};

// A real click at the centre of a control on the screen.
struct SeenBox {
    std::string text;
    std::string icon;
    std::string kind; // the window class
};

// The real program with page 1 open.
struct StylesExe {
    StylesExe() {
        app.Click("tab", "1");
        REQUIRE(testing::WaitFor([&] { return ShownCaption(app.main, kFrameCaptions[0]); }));
    }
    DWORD Pid() const { return app.process.Id(); }
    // The box the program shows next (its own skinned one, or the platform's), read and answered.
    SeenBox NextBox() {
        HWND box = testing::WaitForDialog(Pid(), "Tessaline");
        REQUIRE(box != nullptr);
        const testing::BoxInfo info = testing::ReadBox(box);
        SeenBox seen{info.text, info.icon, testing::ClassOf(box)};
        CHECK(testing::Press(box, IDOK));
        return seen;
    }
    // Chooses `program` in the frame's file picker.
    void PickProgram(const StylesFrame& frame, const std::string& program) {
        ClickOn(frame.Browse());
        HWND dialog = testing::WaitForDialog(Pid(), "Choose a program");
        REQUIRE(dialog != nullptr);
        shelltest::TypeFileName(dialog, program);
        CHECK(testing::Press(dialog, IDOK));
    }
    // Answers the frame's folder picker (opened at the Program Files folder) with `button`.
    // Answers the folder picker with OK once `folder` is selected in its tree, or with Cancel.
    void AnswerFolder(const StylesFrame& frame, int button, const std::string& folder = {}) {
        ClickOn(frame.Browse());
        HWND dialog = testing::WaitForDialog(Pid(), "Browse for Folder");
        REQUIRE(dialog != nullptr);
        CHECK(testing::WindowText(GetDlgItem(dialog, 0x3742)) == "Choose the folder");
        if (button == IDOK) {
            HWND tree = GetDlgItem(dialog, 0x3741);
            const std::string name = folder.substr(folder.find_last_of('\\') + 1);
            auto selected = [&] { return testing::SelectedTreeText(tree) == name; };
            // The picker opens at the folder it is given; Wine's first walk of the shell namespace in a
            // process can miss it, and then the folder is chosen in the tree as a user would.
            if (!testing::WaitFor(selected, 3000))
                testing::SendWithText(dialog, BFFM_SETSELECTIONA, TRUE, folder);
            REQUIRE(testing::WaitFor(selected));
        }
        CHECK(testing::Press(dialog, button));
    }
    bool Idle() const { return IsWindowEnabled(app.main) && IsWindowEnabled(StylesFrame(app.main, 0).frame); }

    StartedExe app;
};

std::string AppDataLog() {
    return tsln::AddBackslash(tsln::UserAppDataFolder()) + "Tessaline\\programs.log";
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

void MakeProgram(const std::string& path) {
    REQUIRE(testing::WriteFileBytes(path, "MZ"));
}
} // namespace

TEST_CASE("page 1 adds and removes the manifest of one program chosen with the file picker") {
    testing::TempDir dir("vs page");
    const std::string program = dir / "My App.exe";
    MakeProgram(program);
    const std::string manifest = program + ".manifest";
    ProgramFilesGuard programFiles;
    testing::FileSnapshot log(AppDataLog());
    StylesExe page;
    StylesFrame add(page.app.main, 0), remove(page.app.main, 1);

    // Nothing chosen yet: nothing to browse for or to act on, and the paths are the pickers' alone.
    for (const StylesFrame* frame : {&add, &remove}) {
        CHECK_FALSE((frame->Checked(0) || frame->Checked(1) || frame->Checked(2)));
        CHECK_FALSE(IsWindowEnabled(frame->Browse()));
        CHECK_FALSE(IsWindowEnabled(frame->Act()));
        CHECK(frame->Text() == "");
        CHECK((GetWindowLongA(frame->Path(), GWL_STYLE) & ES_READONLY) != 0);
    }
    CHECK(testing::WindowText(add.Act()) == "&Add");
    CHECK(testing::WindowText(remove.Act()) == "&Remove");
    CHECK(testing::WindowText(add.Browse()) == "...");
    CHECK(testing::WindowText(add.Option(1)) == "process all Program Files folder");

    // Without a readable Program Files folder the choice is refused and left unmade.
    programFiles.Remove();
    ClickOn(add.Option(0));
    SeenBox box = page.NextBox();
    CHECK(box.text == "Cannot access Program Files folder!");
    CHECK(box.icon == "error");
    CHECK(box.kind == "#32770");
    CHECK_FALSE(add.Checked(0));
    CHECK_FALSE(IsWindowEnabled(add.Browse()));
    programFiles.Set(dir.Path());

    // One program: chosen, given its manifest, logged.
    ClickOn(add.Option(0));
    REQUIRE(testing::WaitFor([&] { return IsWindowEnabled(add.Browse()); }));
    CHECK_FALSE(IsWindowEnabled(add.Act()));
    page.PickProgram(add, program);
    REQUIRE(testing::WaitFor([&] { return add.Text() == program && IsWindowEnabled(add.Act()); }));
    ClickOn(add.Act());
    box = page.NextBox();
    CHECK(box.text == "Done, succesfuly added Visual Styles Support!");
    CHECK(box.kind == "TessalineMsgBox");
    CHECK(testing::WaitFor([&] { return page.Idle() && add.Text() == ""; }));
    CHECK(testing::PathExists(manifest));
    CHECK((Attributes(manifest) & FILE_ATTRIBUTE_HIDDEN) != 0);
    CHECK(testing::ReadFileBytes(manifest).find("name=\"Company.Product.My App.exe\"") != std::string::npos);
    CHECK(log.Added() == program + "\r\n");
    CHECK_FALSE(IsWindowEnabled(add.Act()));

    // The same program again: refused, both paths emptied.
    ClickOn(remove.Option(0));
    REQUIRE(testing::WaitFor([&] { return IsWindowEnabled(remove.Browse()); }));
    page.PickProgram(remove, program);
    REQUIRE(testing::WaitFor([&] { return remove.Text() == program && IsWindowEnabled(remove.Act()); }));
    page.PickProgram(add, program);
    box = page.NextBox();
    CHECK(box.text == "This program already have an manifest file!");
    CHECK(testing::WaitFor([&] { return add.Text() == "" && remove.Text() == ""; }));
    CHECK_FALSE(IsWindowEnabled(add.Act()));
    CHECK_FALSE(IsWindowEnabled(remove.Act()));

    // Removed through the other frame; then it has none to remove.
    page.PickProgram(remove, program);
    REQUIRE(testing::WaitFor([&] { return remove.Text() == program && IsWindowEnabled(remove.Act()); }));
    ClickOn(remove.Act());
    box = page.NextBox();
    CHECK(box.text == "Done, succesfuly removed Visual Styles Support!");
    CHECK(testing::WaitFor([&] { return page.Idle() && remove.Text() == ""; }));
    CHECK_FALSE(testing::PathExists(manifest));
    page.PickProgram(remove, program);
    box = page.NextBox();
    CHECK(box.text == "This program does't have an manifest file!");
    CHECK(log.Added() == program + "\r\n");
}

TEST_CASE("page 1 adds and removes manifests for a folder tree, showing each program as it goes") {
    testing::TempDir dir("vs tree");
    REQUIRE(CreateDirectoryA((dir / "Vendor").c_str(), nullptr));
    REQUIRE(CreateDirectoryA((dir / "Vendor\\Deep").c_str(), nullptr));
    const std::vector<std::string> programs = {dir / "Setup.EXE", dir / "Vendor\\tool.exe",
                                               dir / "Vendor\\Deep\\x.exe"};
    for (const std::string& program : programs)
        MakeProgram(program);
    REQUIRE(testing::WriteFileBytes(dir / "readme.txt", "text"));
    // The folder picker opens at the Program Files folder: here the scratch tree.
    ProgramFilesGuard programFiles;
    programFiles.Set(dir.Path());
    testing::FileSnapshot log(AppDataLog());
    StylesExe page;
    StylesFrame add(page.app.main, 0), remove(page.app.main, 1);

    ClickOn(add.Option(2));
    REQUIRE(testing::WaitFor([&] { return IsWindowEnabled(add.Browse()); }));
    page.AnswerFolder(add, IDOK, dir.Path());
    REQUIRE(testing::WaitFor([&] { return add.Text() == dir.Path() && IsWindowEnabled(add.Act()); }));
    // A cancelled picker keeps the folder chosen before.
    page.AnswerFolder(add, IDCANCEL);
    CHECK(testing::WaitFor([&] { return add.Text() == dir.Path() && IsWindowEnabled(add.Act()); }));

    // What the text box shows during the walk, polled from outside (the edit raises no event another
    // process can hear; the in-process test below sees every text).
    std::vector<std::string> shown;
    bool waited = false;
    ClickOn(add.Act());
    HWND box = nullptr;
    REQUIRE(testing::WaitFor([&] {
        char text[MAX_PATH] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutA(add.Path(), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 5000, &length) &&
            (shown.empty() || shown.back() != text))
            shown.emplace_back(text);
        waited = waited || !IsWindowEnabled(add.frame);
        return (box = testing::FindBoxOf(page.Pid())) != nullptr;
    }));
    CHECK(waited); // the frames were disabled during the work
    const testing::BoxInfo done = testing::ReadBox(box);
    CHECK(done.text == "Done, succesfuly added Visual Styles Support!");
    CHECK_FALSE(IsWindowEnabled(add.frame));
    CHECK(testing::Press(box, IDOK));
    CHECK(testing::WaitFor([&] { return page.Idle() && add.Text() == ""; }));

    // Only program paths were shown, in the walk's order (programs of a folder before its sub-folders).
    std::vector<std::string> programsShown;
    for (const std::string& text : shown)
        if (text != dir.Path()) programsShown.push_back(text);
    CHECK_FALSE(programsShown.empty());
    CHECK(std::includes(programs.begin(), programs.end(), programsShown.begin(), programsShown.end(),
                        [&](const std::string& a, const std::string& b) {
                            return std::find(programs.begin(), programs.end(), a) <
                                   std::find(programs.begin(), programs.end(), b);
                        }));
    for (const std::string& program : programs)
        CHECK(testing::PathExists(program + ".manifest"));
    CHECK_FALSE(testing::PathExists(dir / "readme.txt.manifest"));
    const std::string logged = log.Added();
    CHECK(std::count(logged.begin(), logged.end(), '\n') == 3);
    CHECK_FALSE(IsWindowEnabled(add.Act()));

    // The whole Program Files folder (the scratch tree) needs no choice.
    ClickOn(remove.Option(1));
    REQUIRE(testing::WaitFor([&] { return IsWindowEnabled(remove.Act()); }));
    CHECK_FALSE(IsWindowEnabled(remove.Browse()));
    ClickOn(remove.Act());
    CHECK(page.NextBox().text == "Done, succesfuly removed Visual Styles Support!");
    CHECK(testing::WaitFor([&] { return page.Idle(); }));
    for (const std::string& program : programs)
        CHECK_FALSE(testing::PathExists(program + ".manifest"));
}

namespace {
// What a look at the main window found while page 1 worked.
struct WorkLog {
    HWND main = nullptr;
    tsln::frmMain* window = nullptr;
    std::set<long> framesWhileDisabled;
    bool framesDisabled = true;

    static void CALLBACK Look(HWND, UINT, UINT_PTR self, DWORD) {
        auto* log = reinterpret_cast<WorkLog*>(self);
        if (IsWindowEnabled(log->main)) return;
        log->framesWhileDisabled.insert(log->window->CurrentFrame());
        const tsln::StylesPage& page = log->window->StylesTab();
        log->framesDisabled =
            log->framesDisabled && !page.fraOptions(0).Enabled() && !page.fraOptions(1).Enabled();
    }
};
} // namespace

TEST_CASE("while page 1 works the movie steps two frames back, the text box shows every program, and all "
          "comes back when it is done") {
    testing::TempDir dir("vs frames");
    REQUIRE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    const std::vector<std::string> programs = {dir / "a.exe", dir / "sub\\b.exe"};
    for (const std::string& program : programs)
        MakeProgram(program);
    ProgramFilesGuard programFiles;
    programFiles.Set(dir.Path());
    InProcessMain main;
    // "programs.log" goes beside the programs (after the settings' own application folder was set).
    const std::string appFolder = tsln::AppFolder();
    tsln::SetAppFolder(dir.Path() + "\\");
    auto restore = tsln::make_scope_exit([&] { tsln::SetAppFolder(appFolder); });
    main.Run("tab", "1");
    tsln::StylesPage& page = main.window->StylesTab();
    const long opened = main.window->CurrentFrame();
    page.optPath(1).SetValue(true);
    REQUIRE(page.cmdAddRemove(0).Enabled());

    WorkLog log{main.main, main.window};
    const UINT_PTR timer = SetTimer(main.main, reinterpret_cast<UINT_PTR>(&log), 10, &WorkLog::Look);
    REQUIRE(timer != 0);
    std::vector<std::string> shown;
    page.txtPath(0).Change = [&] { shown.push_back(page.txtPath(0).Text()); };
    page.cmdAddRemove(0).Press();
    KillTimer(main.main, timer);
    CHECK(shown == std::vector<std::string>{programs[0], programs[1], ""});

    CHECK(log.framesWhileDisabled == std::set<long>{opened - 2});
    CHECK(log.framesDisabled);
    CHECK(main.window->CurrentFrame() == opened);
    CHECK(IsWindowEnabled(main.main));
    CHECK(page.fraOptions(0).Enabled());
    CHECK(page.fraOptions(1).Enabled());
    CHECK(testing::PathExists(programs[1] + ".manifest"));
    CHECK(testing::ReadFileBytes(dir / "programs.log") == programs[0] + "\r\n" + programs[1] + "\r\n");
    const std::vector<testing::BoxInfo> boxes = main.boxes.Seen();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Done, succesfuly added Visual Styles Support!");
}

TEST_CASE("the program carries its own busy pointer for the visual-styles work") {
    tsln::unique_hmodule exe(
        LoadLibraryExA((testing::DistDir() + "\\Tessaline.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(exe);
    CHECK(FindResourceA(exe.get(), "BUSY", MAKEINTRESOURCEA(12)) != nullptr); // a cursor group
}
