#include "ui/controls/text_box.h"

namespace tsln {

TextBox::TextBox(HWND parent, const std::string& text, const Bounds& bounds)
    : Control("TextBox", kBackAndFore, SystemColor(COLOR_WINDOW), SystemColor(COLOR_WINDOWTEXT)) {
    CreateChild(parent, "EDIT", text, ES_AUTOHSCROLL | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                WS_EX_CLIENTEDGE, bounds);
    RaiseOnCommand(EN_CHANGE, "Change", Change);
}

} // namespace tsln
