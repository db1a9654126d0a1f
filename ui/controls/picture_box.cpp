#include "ui/controls/picture_box.h"

namespace tsln {

PictureBox::PictureBox(HWND parent, const Bounds& bounds)
    : PaintedControl("PictureBox", kBackAndFore, SystemColor(COLOR_BTNFACE), SystemColor(COLOR_BTNTEXT)) {
    CreatePainted(parent, "TessalinePictureBox", "", WS_CLIPCHILDREN, bounds);
}

void PictureBox::SetPicture(unique_gdi bitmap) {
    picture_ = std::move(bitmap);
    Clear();
}

int PictureBox::ScaleWidth() const {
    RECT client = {};
    if (hwnd() != nullptr) GetClientRect(hwnd(), &client);
    return client.right;
}

int PictureBox::ScaleHeight() const {
    RECT client = {};
    if (hwnd() != nullptr) GetClientRect(hwnd(), &client);
    return client.bottom;
}

bool PictureBox::EnsureSurface() {
    const int width = ScaleWidth(), height = ScaleHeight();
    if (surface_.dc() != nullptr && surface_.Width() == width && surface_.Height() == height) return true;
    if (!surface_.Make(width, height)) return false;
    FillSurface();
    return true;
}

void PictureBox::FillSurface() {
    const RECT all = {0, 0, surface_.Width(), surface_.Height()};
    FillRect(surface_.dc(), &all, BackBrush());
    if (picture_) DrawBitmap(surface_.dc(), Picture(), 0, 0);
}

HDC PictureBox::SurfaceDC() {
    return EnsureSurface() ? surface_.dc() : nullptr;
}

void PictureBox::Clear() {
    if (surface_.dc() != nullptr) FillSurface();
    Refresh();
}

void PictureBox::Refresh() {
    if (hwnd() != nullptr) RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PictureBox::Paint(HDC dc, const RECT& client) {
    if (EnsureSurface())
        BitBlt(dc, 0, 0, client.right, client.bottom, surface_.dc(), 0, 0, SRCCOPY);
    else
        FillRect(dc, &client, BackBrush());
}

LRESULT PictureBox::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A new size makes a new surface (at the next paint): what was drawn goes, as on a clear.
    if (message == WM_SIZE) surface_.Reset();
    return PaintedControl::WindowMessage(message, wParam, lParam);
}

} // namespace tsln
