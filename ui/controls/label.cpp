#include "ui/controls/label.h"

namespace tsln {

namespace {
DWORD AlignmentStyle(Label::Alignment alignment) {
    switch (alignment) {
    case Label::Alignment::kCenter:
        return SS_CENTER;
    case Label::Alignment::kRight:
        return SS_RIGHT;
    default:
        return SS_LEFT;
    }
}
} // namespace

Label::Label(HWND parent, const std::string& caption, const Bounds& bounds, Alignment alignment)
    : Control("Label", kBackAndFore, SystemColor(COLOR_BTNFACE), SystemColor(COLOR_BTNTEXT)) {
    CreateChild(parent, "STATIC", caption,
                AlignmentStyle(alignment) | SS_NOPREFIX | SS_NOTIFY | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                bounds);
    RaiseOnCommand(STN_CLICKED, "Click", Click);
}

} // namespace tsln
