#include "ui/msgbox.h"
#include "core/error_report.h"

#include <windows.h>

namespace tsln {

// Until the skinned box comes with the main window, the platform's box stands in for it with the same
// text and buttons, titled with the product; the skinned box replaces this body and every caller keeps
// calling ShowMsgBox. The platform's box has one font size, so `fontSize` waits for the skinned box.
// A type without buttons of its own (neither 0 nor 1; no caller passes one) still gets OK, since a
// platform box cannot be left without a button.
int32_t ShowMsgBox(const std::string& message, int16_t fontSize, int32_t type) {
    (void)fontSize;
    const UINT buttons = type == kMsgBoxOkCancel ? MB_OKCANCEL : MB_OK;
    // Owned by the window the user is working in, so that it stays modal over it.
    const int answer =
        MessageBoxA(GetActiveWindow(), message.c_str(), kProductTitle, buttons | MB_SETFOREGROUND);
    return answer == IDOK ? 1 : 0;
}

} // namespace tsln
