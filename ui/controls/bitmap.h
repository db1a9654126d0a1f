// Bitmaps for the controls that draw pictures: a picture object's bitmap taken over, pictures scaled down
// to a box, memory surfaces, and a child's share of its parent's background.
#pragma once
#include "core/unique_any.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <cstdint>
#include <vector>

namespace tsln {

// A copy of a picture object's bitmap that the caller owns (the picture may go afterwards); raises an
// AppError (380) for a picture that holds no bitmap.
unique_gdi BitmapFromPicture(IPicture* picture);

// The size of a bitmap in pixels ({0, 0} for none).
SIZE BitmapSize(HBITMAP bitmap);

// The description of 32-bit pixels without a palette, rows top-down (0x00RRGGBB each).
BITMAPINFO TopDown32(int width, int height);

// A bitmap's pixels as 32-bit values (0x00RRGGBB, rows top-down); raises an AppError (380) for a bitmap
// it cannot read.
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap);
// A new bitmap of `width` x `height` holding `pixels` (laid out as BitmapPixels gives them).
unique_gdi BitmapOfPixels(const std::vector<uint32_t>& pixels, int width, int height);

// A new bitmap holding `source` scaled to `size`, each new pixel the average of those it covers.
unique_gdi ScaledBitmap(HBITMAP source, SIZE size);

// Draws a whole bitmap with its top-left corner at (x, y).
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

// Paints what the parent shows behind `child` into the child's device context: the parent erases and
// paints its inside there, as if the child were not there.
void PaintParentBackground(HWND child, HDC dc);

// A memory device context holding a bitmap of its own, compatible with the screen.
class MemorySurface {
public:
    MemorySurface() = default;
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;
    ~MemorySurface() { Reset(); }

    // Replaces the surface by a new one of this size; false (and no surface) when it cannot be made.
    bool Make(int width, int height);
    void Reset();
    HDC dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    unique_hdc dc_;
    unique_gdi bitmap_;
    unique_select selected_; // the bitmap in the DC: put back before either goes
    int width_ = 0;
    int height_ = 0;
};

// Registers, once per process, a window class for a control that the program draws itself: no background
// brush, the arrow pointer, the default procedure (the control's object handles the rest).
void RegisterControlClass(const char* className);

} // namespace tsln
