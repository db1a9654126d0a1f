// The file-open dialog, driven for real from a second thread, and the special folders.
#include "core/app_error.h"
#include "core/mod_main.h"
#include "shellutil/open_save.h"
#include "tests/shellutil/file_dialog.h"
#include "tests/support/test_support.h"

#include <commdlg.h>
#include <doctest.h>
#include <shlobj.h>
#include <stdexcept>

using namespace tsln;
using testing::DialogDriver;

namespace {
// What the dialog is captioned when no title is given.
const char* const kDefaultCaption = "Open";

// Shows the dialog of `picker` and answers it with `action`; the dialog is gone when this returns.
void ShowAndAnswer(clsOpenSave& picker, const std::string& caption, DialogDriver::Action action,
                   bool expectForced = false) {
    DialogDriver driver(caption, std::move(action));
    picker.ShowOpen();
    driver.Finish();
    CHECK(driver.Found());
    CHECK(driver.Failure() == "");
    CHECK(driver.ForcedClose() == expectForced);
    CHECK(testing::OwnDialogs().empty());
}

DialogDriver::Action TypeAndOpen(const std::string& text) {
    return [text](HWND dialog) {
        shelltest::TypeFileName(dialog, text);
        testing::Click(dialog, IDOK);
    };
}

void Cancel(HWND dialog) {
    testing::Click(dialog, IDCANCEL);
}

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(path, sizeof path);
    return std::string(path, length);
}
} // namespace

TEST_CASE("a new picker and its filter") {
    clsOpenSave picker;
    CHECK(picker.hWnd() == nullptr);
    CHECK(picker.DialogTitle() == "");
    CHECK(picker.Filter() == "All Files (*.*)|*.*");
    CHECK(picker.FilterIndex() == 1);
    CHECK(picker.FileName() == "");
    CHECK(picker.FileTitle() == "");
    CHECK(picker.DefaultExt() == "");
    CHECK(picker.InitDir() == "C:\\");
    CHECK(picker.Flags() == 0);
    CHECK(picker.MaxFileSize() == 260);
    CHECK_FALSE(picker.CancelError());
    CHECK(picker.FileExt() == 0);

    picker.SetFilter("Programs (*.exe)|*.exe");
    CHECK(picker.Filter() == "Programs (*.exe)|*.exe");
    picker.SetFilter("Image Files (*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|All|*.*||");
    CHECK(picker.Filter() == "Image Files (*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|All|*.*");
    picker.SetFilter("");
    CHECK(picker.Filter() == "");
}

TEST_CASE("special folders") {
    testing::BoxWatcher boxes;
    clsOpenSave picker;
    const std::string system = SystemFolder();
    CHECK(picker.FindSystemFolder(81) == system);
    CHECK(picker.FindSystemFolder(81).back() != '\\');
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    CHECK(picker.FindSystemFolder(80) == windows);

    char expected[MAX_PATH] = {};
    REQUIRE(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, expected) == S_OK);
    CHECK(picker.FindSystemFolder(CSIDL_PROGRAM_FILES) == expected);
    REQUIRE(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, expected) == S_OK);
    CHECK(picker.FindSystemFolder(CSIDL_APPDATA) == expected);

    // Folders that are no file-system folders, or no folders at all, give nothing and report nothing.
    CHECK(picker.FindSystemFolder(CSIDL_DRIVES) == "");
    CHECK(picker.FindSystemFolder(9999) == "");
    CHECK(picker.FindSystemFolder(-1) == "");
    CHECK(boxes.Seen().empty());
}

TEST_CASE("ShowOpen returns the file typed into the real dialog") {
    testing::TempDir dir("open dialog");
    const std::string picture = dir / "my picture.jpg";
    REQUIRE(testing::WriteFileBytes(picture, "not read by the dialog"));

    SUBCASE("a picture collection's request") {
        clsOpenSave picker;
        picker.SetCancelError(true);
        picker.SetFlags(4108);
        picker.SetFilterIndex(2);
        picker.SetDialogTitle("Select a image file");
        picker.SetFilter("Image Files (*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif");
        picker.SetInitDir(dir.Path());
        ShowAndAnswer(picker, "Select a image file", TypeAndOpen(picture));
        CHECK(picker.FileName() == picture);
        CHECK(picker.FileTitle() == "my picture.jpg");
        CHECK(picker.FileExt() == picture.size() - 3);
        CHECK((picker.Flags() & 4108) == 4108);
        CHECK(picker.Filter() == "Image Files (*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif");
        CHECK(picker.InitDir() == dir.Path());
    }
    SUBCASE("the second of two filters stays chosen; the initial folder is trimmed") {
        clsOpenSave picker;
        picker.SetFilter("Programs (*.exe)|*.exe|All Files (*.*)|*.*");
        picker.SetFilterIndex(2);
        picker.SetInitDir("  " + dir.Path() + "  ");
        ShowAndAnswer(picker, kDefaultCaption, TypeAndOpen(picture));
        CHECK(picker.FileName() == picture);
        CHECK(picker.FilterIndex() == 2);
        CHECK(picker.InitDir() == dir.Path());
    }
    SUBCASE("a proposed name and title are replaced by the chosen ones") {
        clsOpenSave picker;
        picker.SetDialogTitle("Select a Logon Screen file");
        picker.SetFileName("LOGONUI.EXE");
        picker.SetFileTitle("LOGONUI.EXE");
        picker.SetInitDir(dir.Path());
        ShowAndAnswer(picker, "Select a Logon Screen file", TypeAndOpen(picture));
        CHECK(picker.FileName() == picture);
        CHECK(picker.FileTitle() == "my picture.jpg");
    }
    SUBCASE("a missing initial folder still opens the dialog") {
        clsOpenSave picker;
        picker.SetDialogTitle("Choose a program");
        picker.SetInitDir(dir / "no such folder");
        ShowAndAnswer(picker, "Choose a program", TypeAndOpen(picture));
        CHECK(picker.FileName() == picture);
    }
    SUBCASE("an owner window") {
        tsln::unique_hwnd owner(CreateWindowExA(0, "STATIC", "picker owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        REQUIRE(owner);
        clsOpenSave picker;
        picker.SethWnd(owner.get());
        picker.SetDialogTitle("Choose a program");
        HWND seenOwner = nullptr;
        ShowAndAnswer(picker, "Choose a program", [&](HWND dialog) {
            seenOwner = GetWindow(dialog, GW_OWNER);
            Cancel(dialog);
        });
        CHECK(seenOwner == owner.get());
    }
}

TEST_CASE("names without an extension and names with spaces") {
    testing::TempDir dir("open names");
    SUBCASE("no default extension: the name comes back as typed") {
        clsOpenSave picker;
        const std::string typed = dir / "plain name";
        ShowAndAnswer(picker, kDefaultCaption, TypeAndOpen(typed));
        CHECK(picker.FileName() == typed);
        CHECK(picker.FileTitle() == "plain name");
    }
    SUBCASE("a default extension is added to a name typed without one") {
        REQUIRE(testing::WriteFileBytes(dir / "notes file.txt", "x"));
        clsOpenSave picker;
        picker.SetDefaultExt("txt");
        ShowAndAnswer(picker, kDefaultCaption, TypeAndOpen(dir / "notes file"));
        CHECK(picker.FileName() == dir / "notes file.txt");
        CHECK(picker.DefaultExt() == "txt");
    }
}

TEST_CASE("cancelling the dialog") {
    SUBCASE("a fresh picker stays empty") {
        clsOpenSave picker;
        ShowAndAnswer(picker, kDefaultCaption, Cancel);
        CHECK(picker.FileName() == "");
    }
    SUBCASE("a proposed name is kept without CancelError") {
        clsOpenSave picker;
        picker.SetFileName("LOGONUI.EXE");
        picker.SetFileTitle("LOGONUI.EXE");
        picker.SetFlags(4108);
        ShowAndAnswer(picker, kDefaultCaption, Cancel);
        CHECK(picker.FileName() == "LOGONUI.EXE");
        CHECK(picker.FileTitle() == "LOGONUI.EXE");
        CHECK(picker.Flags() == 4108);
    }
    SUBCASE("a proposed name is emptied with CancelError, and nothing is raised") {
        clsOpenSave picker;
        picker.SetCancelError(true);
        picker.SetFileName("LOGONUI.EXE");
        CHECK_NOTHROW(ShowAndAnswer(picker, kDefaultCaption, Cancel));
        CHECK(picker.FileName() == "");
    }
    SUBCASE("a file that must exist but does not: the dialog says so and is cancelled") {
        testing::TempDir dir("open missing");
        clsOpenSave picker;
        picker.SetCancelError(true);
        picker.SetFlags(4108);
        picker.SetFileName("LOGONUI.EXE");
        std::string boxText;
        ShowAndAnswer(picker, kDefaultCaption, [&](HWND dialog) {
            shelltest::TypeFileName(dialog, dir / "no such file.exe");
            testing::Click(dialog, IDOK);
            HWND box = testing::WaitForDialog(GetCurrentProcessId(), "", dialog);
            if (!box) throw std::runtime_error("no message box");
            boxText = testing::WindowText(GetDlgItem(box, 0xFFFF));
            if (!testing::Press(box, IDOK)) throw std::runtime_error("the message box stays");
            Cancel(dialog);
        });
        CHECK_FALSE(boxText.empty());
        CHECK(picker.FileName() == "");
        CHECK(testing::ReadFileBytes(dir / "no such file.exe").empty());
    }
    SUBCASE("a dialog that cannot hand back the name counts as cancelled") {
        testing::TempDir dir("open small");
        clsOpenSave picker;
        picker.SetCancelError(true);
        picker.SetMaxFileSize(8);
        ShowAndAnswer(picker, kDefaultCaption, TypeAndOpen(dir / "a name longer than eight.txt"));
        CHECK(picker.FileName() == "");
    }
}

TEST_CASE("a proposed name longer than the buffer is refused before any dialog") {
    clsOpenSave picker;
    picker.SetMaxFileSize(4);
    picker.SetFileName("LOGONUI.EXE");
    try {
        picker.ShowOpen();
        FAIL("no failure raised");
    } catch (const AppError& e) {
        CHECK(e.number == err::kInvalidCall.number);
    }
    CHECK(testing::OwnDialogs().empty());
    CHECK(picker.FileName() == "LOGONUI.EXE");
}
