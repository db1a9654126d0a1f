// The folder-browse dialog, driven for real from a second thread.
#include "shellutil/browse_folder.h"
#include "tests/shellutil/file_dialog.h"
#include "tests/support/test_support.h"

#include <commctrl.h>
#include <doctest.h>
#include <shlobj.h>

using namespace tsln;
using testing::DialogDriver;

namespace {
// The caption the platform gives its folder dialog; the caller's title goes above the tree.
const char* const kCaption = "Browse for Folder";
const int kTitleLabel = 0x3742;
const int kTree = 0x3741;

struct Shown {
    std::string result;
    std::string label;
    HWND owner = nullptr;
};

// Shows the dialog of `picker` and answers it with `action`; the dialog is gone when this returns.
template <typename Show>
Shown ShowAndAnswer(Show show, DialogDriver::Action action) {
    Shown shown;
    DialogDriver driver(kCaption, [&](HWND dialog) {
        shown.label = testing::WindowText(GetDlgItem(dialog, kTitleLabel));
        shown.owner = GetWindow(dialog, GW_OWNER);
        action(dialog);
    });
    shown.result = show();
    driver.Finish();
    CHECK(driver.Found());
    CHECK(driver.Failure() == "");
    CHECK_FALSE(driver.ForcedClose());
    CHECK(testing::OwnDialogs().empty());
    return shown;
}

void Ok(HWND dialog) {
    testing::Click(dialog, IDOK);
}

// The text of the tree item selected in the dialog.
std::string SelectedName(HWND dialog) {
    return testing::SelectedTreeText(GetDlgItem(dialog, kTree));
}

// Confirms once the dialog shows the folder named `name` selected (it selects it while it opens).
DialogDriver::Action OkWhenSelected(const std::string& name) {
    return [name](HWND dialog) {
        testing::WaitFor([&] { return SelectedName(dialog) == name; });
        Ok(dialog);
    };
}

// Wine's first walk of the shell namespace in a process can miss a folder that the dialog is asked to
// select; the dialog's own walk then comes second.
void WarmUpShell(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    unique_cotaskmem<ITEMIDLIST> item;
    SHParseDisplayName(wide.c_str(), nullptr, item.put(), 0, nullptr);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

void Cancel(HWND dialog) {
    testing::Click(dialog, IDCANCEL);
}

// Selects a folder by path, as the dialog's own callback does, until the tree shows it selected (Wine's
// dialog may still be settling its tree when it first shows), then confirms.
DialogDriver::Action SelectAndOk(const std::string& path) {
    return [path](HWND dialog) {
        testing::WaitFor([&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()),
                                SMTO_ABORTIFHUNG, 5000, &ignored);
            return SelectedName(dialog) == NameOf(path);
        });
        Ok(dialog);
    };
}
} // namespace

TEST_CASE("a new folder picker and its folder text") {
    cBrowseFolder picker;
    CHECK(picker.lhWnd() == nullptr);
    CHECK(picker.sTitle() == "");
    CHECK(picker.sFolder() == "");
    CHECK(picker.lFlags() == 1);
    CHECK_FALSE(picker.bCancelled());

    picker.SetsFolder("  C:\\Program Files\\  ");
    CHECK(picker.sFolder() == "C:\\Program Files\\");
    picker.SetsFolder(std::string("C:\\Tools\0 left over", 19));
    CHECK(picker.sFolder() == "C:\\Tools");
}

TEST_CASE("ShowBrowse opens with the folder selected and returns the one chosen") {
    testing::TempDir dir("browse here");
    const std::string other = dir / "other folder";
    REQUIRE(CreateDirectoryA(other.c_str(), nullptr));

    SUBCASE("the preselected folder, given with a trailing backslash") {
        WarmUpShell(dir.Path());
        cBrowseFolder picker;
        Shown shown = ShowAndAnswer(
            [&] {
                return picker.ShowBrowse(std::nullopt, std::string("Choose the folder"), dir.Path() + "\\");
            },
            OkWhenSelected(NameOf(dir.Path())));
        CHECK(shown.label == "Choose the folder");
        CHECK(shown.result == dir.Path());
        CHECK(picker.sFolder() == dir.Path());
        CHECK(picker.sTitle() == "Choose the folder");
        CHECK_FALSE(picker.bCancelled());
    }
    SUBCASE("another folder chosen in the dialog") {
        WarmUpShell(other);
        cBrowseFolder picker;
        picker.SetsFolder(dir.Path());
        Shown shown = ShowAndAnswer([&] { return picker.ShowBrowse(); }, SelectAndOk(other));
        CHECK(shown.result == other);
        CHECK(picker.sFolder() == other);
        CHECK_FALSE(picker.bCancelled());
    }
    SUBCASE("the owner window") {
        tsln::unique_hwnd owner(CreateWindowExA(0, "STATIC", "browse owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        REQUIRE(owner);
        cBrowseFolder picker;
        Shown shown = ShowAndAnswer([&] { return picker.ShowBrowse(owner.get(), std::string("t"), other); },
                                    SelectAndOk(other));
        CHECK(shown.owner == owner.get());
        CHECK(picker.lhWnd() == owner.get());
        CHECK(shown.result == other);
    }
}

TEST_CASE("ShowBrowse ends without a folder") {
    testing::TempDir dir("browse cancel");
    SUBCASE("cancelled") {
        cBrowseFolder picker;
        Shown shown =
            ShowAndAnswer([&] { return picker.ShowBrowse(nullptr, std::string(), dir.Path()); }, Cancel);
        CHECK(shown.result == "");
        CHECK(picker.sFolder() == "");
        CHECK(picker.bCancelled());
    }
    SUBCASE("a preselected folder that does not exist leaves the choice to the user") {
        cBrowseFolder picker;
        picker.SetsFolder(dir / "no such folder");
        Shown shown = ShowAndAnswer([&] { return picker.ShowBrowse(); }, SelectAndOk(dir.Path()));
        CHECK(shown.result == dir.Path());
        CHECK_FALSE(picker.bCancelled());
    }
    SUBCASE("a virtual folder gives nothing") {
        cBrowseFolder picker;
        picker.SetlFlags(0); // let folders outside the file system be chosen
        Shown shown = ShowAndAnswer([&] { return picker.ShowBrowse(); },
                                    [](HWND dialog) {
                                        unique_cotaskmem<ITEMIDLIST> drives;
                                        SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put());
                                        DWORD_PTR ignored = 0;
                                        SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, FALSE,
                                                            reinterpret_cast<LPARAM>(drives.get()),
                                                            SMTO_ABORTIFHUNG, 5000, &ignored);
                                        Ok(dialog);
                                    });
        CHECK(shown.result == "");
        CHECK(picker.sFolder() == "");
        CHECK(picker.bCancelled());
    }
    SUBCASE("bCancelled is never reset by a later dialog") {
        cBrowseFolder picker;
        ShowAndAnswer([&] { return picker.ShowBrowse(); }, Cancel);
        CHECK(picker.bCancelled());
        Shown shown = ShowAndAnswer([&] { return picker.ShowBrowse(); }, SelectAndOk(dir.Path()));
        CHECK(shown.result == dir.Path());
        CHECK(picker.bCancelled());
    }
}
