// The program's plain message box.
#pragma once
#include <windows.h>
#include <string>

namespace tsln {

// A platform message box titled with the product title, brought to the front over `owner` (none: no
// owner). `style` gives the buttons and the icon (MB_OK | MB_ICONERROR...). Returns the button pressed.
int ProductBox(const std::string& text, UINT style, HWND owner = nullptr);

} // namespace tsln
