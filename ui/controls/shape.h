// A shape: a rectangle, square, oval, circle, rounded rectangle or rounded square drawn on its window,
// filled in its BackColor and edged in its ForeColor. It takes no input (clicks reach the window beneath)
// and is made beneath its window's controls (one made later lies above it until the window puts the shape
// back with HWND_BOTTOM), so that it can serve as a dialog's face and outline.
#pragma once
#include "ui/controls/painted_control.h"

namespace tsln {

class Shape : public PaintedControl {
public:
    // The kinds of the Shape property.
    enum : int {
        kRectangle = 0,
        kSquare = 1,
        kOval = 2,
        kCircle = 3,
        kRoundedRectangle = 4,
        kRoundedSquare = 5,
    };
    Shape(HWND parent, int kind, const Bounds& bounds);

    // The Shape property (0 to 5); another value raises an AppError (380).
    int Kind() const { return kind_; }
    void SetKind(int kind);

protected:
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int kind_;
};

} // namespace tsln
