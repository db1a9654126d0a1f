#include "ui/controls/shape.h"

#include <algorithm>

namespace tsln {

Shape::Shape(HWND parent, int kind, const Bounds& bounds)
    : PaintedControl("Shape", kBackAndFore, SystemColor(COLOR_BTNFACE), SystemColor(COLOR_BTNTEXT)),
      kind_(kRectangle) {
    SetKind(kind);
    CreatePainted(parent, "TessalineShape", "", WS_DISABLED, bounds);
    // Beneath every other control of its window.
    SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Shape::SetKind(int kind) {
    if (kind < kRectangle || kind > kRoundedSquare) TSLN_FAIL(err::kInvalidPropertyValue);
    kind_ = kind;
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

void Shape::Paint(HDC dc, const RECT& client) {
    // The parts outside the shape keep the window's own background.
    HWND parent = GetParent(hwnd());
    SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);

    const int corner = std::min(client.right, client.bottom) / 4;
    unique_gdi area;
    switch (kind_) {
    case kOval:
    case kCircle:
        area.reset(CreateEllipticRgn(0, 0, client.right, client.bottom));
        break;
    case kRoundedRectangle:
    case kRoundedSquare:
        area.reset(CreateRoundRectRgn(0, 0, client.right, client.bottom, corner, corner));
        break;
    default:
        area.reset(CreateRectRgn(0, 0, client.right, client.bottom));
        break;
    }
    if (!area) return;
    unique_gdi edge(CreateSolidBrush(ForeColorRef()));
    FillRgn(dc, static_cast<HRGN>(area.get()), BackBrush());
    if (edge) FrameRgn(dc, static_cast<HRGN>(area.get()), static_cast<HBRUSH>(edge.get()), 1, 1);
}

LRESULT Shape::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    return PaintedControl::WindowMessage(message, wParam, lParam);
}

} // namespace tsln
