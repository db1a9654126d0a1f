// Picture files through the platform's picture loader, and the bitmaps the program makes of them.
#pragma once
#include "core/unique_any.h"
#include "shellutil/picture_format.h"

#include <ole2.h>
#include <olectl.h>
#include <string>
#include <vector>

namespace tsln {

using unique_picture = unique_com<IPicture>;

// Loads a BMP, JPEG or GIF file (told by its content, not its name). A file of any other format fails
// with Invalid picture (481) whether or not this platform's loader could read it; an unreadable file
// fails with the platform's code.
unique_picture LoadPictureFile(const std::string& path);

// The bitmap a loaded picture holds (the picture keeps owning it); Invalid picture when it holds none.
HBITMAP PictureBitmap(IPicture* picture);
PixelSize BitmapPixelSize(HBITMAP bitmap);

// The format of a bottom-up bitmap of 24 or 32 bits a pixel, without a colour table.
BITMAPINFO DibFormat(PixelSize size, WORD bitsPerPixel);

// The picture as a screen of `screen` pixels shows it (PlacePicture), the rest of the screen in
// `background` (0xRRGGBB): screen.width × screen.height 32-bit pixels, rows from the bottom up. The
// picture is read in bands of rows and scaled as they come, so a large photo never needs a second full
// copy. Out of memory when either size is empty.
std::vector<uint32_t> DesktopPixels(IPicture* picture, PixelSize screen, WallpaperFit fit,
                                    uint32_t background);

// A new 24-bit bitmap of `size` holding pixels rows from the bottom up, as DesktopPixels gives them.
unique_gdi BitmapOfRows(const std::vector<uint32_t>& pixels, PixelSize size);

// A new 24-bit bitmap of the picture fitted inside `box` (FitInside): a picture that fits is copied, a
// larger one scaled down once by averaging, so that a large photo stays smooth.
unique_gdi FittedBitmap(IPicture* picture, PixelSize box);

} // namespace tsln
