// A panel that holds controls (a page, a frame's inside) and shows a background colour, an optional
// picture at its top-left corner, and whatever is drawn on its surface.
#pragma once
#include "ui/controls/bitmap.h"
#include "ui/controls/painted_control.h"

namespace tsln {

class PictureBox : public PaintedControl {
public:
    PictureBox(HWND parent, const Bounds& bounds);

    // The picture, at its own size; the panel owns it. An empty owner takes it away. Drawings are cleared.
    void SetPicture(unique_gdi bitmap);
    HBITMAP Picture() const { return static_cast<HBITMAP>(picture_.get()); }

    // The drawing surface: a device context holding what the panel shows (nullptr when the panel has no
    // inside). What is drawn there shows at the next Refresh.
    HDC SurfaceDC();
    // The inside, in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Background and picture again; the drawings are gone.
    void Clear();
    // Shows the surface now.
    void Refresh();

protected:
    void Paint(HDC dc, const RECT& client) override;
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAppearanceChanged() override { Clear(); }

private:
    bool EnsureSurface();
    void FillSurface();

    unique_gdi picture_;
    MemorySurface surface_;
};

} // namespace tsln
