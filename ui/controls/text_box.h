// A one-line text box; Change follows every change of its text, typed or set from code.
#pragma once
#include "ui/controls/control.h"

#include <functional>
#include <string>

namespace tsln {

class TextBox : public Control {
public:
    TextBox(HWND parent, const std::string& text, const Bounds& bounds);
    std::function<void()> Change;
};

} // namespace tsln
