// A label: text on the window, wrapped at its width, shown as it is ("&" included); it raises Click, so a
// label can serve as a link.
#pragma once
#include "ui/controls/control.h"

#include <functional>
#include <string>

namespace tsln {

class Label : public Control {
public:
    enum class Alignment { kLeft, kCenter, kRight };
    Label(HWND parent, const std::string& caption, const Bounds& bounds,
          Alignment alignment = Alignment::kLeft);
    std::function<void()> Click;
};

} // namespace tsln
