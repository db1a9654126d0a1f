// The base of the controls that the program draws itself (panel, frame, image): one paint routine serves
// the screen and WM_PRINTCLIENT alike.
#pragma once
#include "ui/controls/control.h"

namespace tsln {

class PaintedControl : public Control {
protected:
    using Control::Control;
    // Registers the control's window class (once) and creates its window.
    void CreatePainted(HWND parent, const char* className, const std::string& text, DWORD style,
                       const Bounds& bounds);
    // Paints the whole inside; `dc` may be the screen's or a printing one.
    virtual void Paint(HDC dc, const RECT& client) = 0;
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace tsln
