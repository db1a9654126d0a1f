// Actions on the file-open dialog, for tests that drive it with testing::DialogDriver.
#pragma once
#include <windows.h>
#include <string>

namespace shelltest {

// The edit control where the file name is typed, whichever layout the dialog has; null when none.
HWND FileNameEdit(HWND dialog);
// Puts `text` into the file-name box; raises std::runtime_error when there is no such box.
void TypeFileName(HWND dialog, const std::string& text);

} // namespace shelltest
