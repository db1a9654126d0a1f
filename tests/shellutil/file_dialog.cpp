#include "tests/shellutil/file_dialog.h"
#include "tests/support/box_driver.h"

#include <stdexcept>

namespace shelltest {

namespace {
// The file-name box of the file-open dialog: a combo box on the newer layout, an edit on the older.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
} // namespace

HWND FileNameEdit(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    if (!box) box = GetDlgItem(dialog, kFileNameEdit);
    // A combo box (plain or extended) holds its edit control further down.
    while (box && testing::ClassOf(box) != "Edit")
        box = GetWindow(box, GW_CHILD);
    return box;
}

void TypeFileName(HWND dialog, const std::string& text) {
    HWND box = FileNameEdit(dialog);
    if (!box) throw std::runtime_error("no file-name box");
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             5000, &ignored))
        throw std::runtime_error("the file-name box does not answer");
}

} // namespace shelltest
