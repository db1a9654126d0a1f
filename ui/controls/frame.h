// A frame: an etched border with its caption at the top that holds controls, in its own colours and font.
#pragma once
#include "ui/controls/painted_control.h"

namespace tsln {

class Frame : public PaintedControl {
public:
    Frame(HWND parent, const std::string& caption, const Bounds& bounds);

protected:
    void Paint(HDC dc, const RECT& client) override;
};

} // namespace tsln
