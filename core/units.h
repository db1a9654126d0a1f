// Twips (1/1440 inch) and pixels, converted at a given number of dots per inch; the screen's logical dots
// per inch are the program's usual measure. This is the one place where the two units meet.
#pragma once

namespace tsln {

// The screen's logical dots per inch, horizontally and vertically (96 when they cannot be read).
int ScreenDpiX();
int ScreenDpiY();

// Twips per pixel at `dpi` dots per inch: 1440 / dpi, whole (15 at 96, 12 at 120).
int TwipsPerPixelAt(int dpi);
// The screen's twips per pixel.
int TwipsPerPixelX();
int TwipsPerPixelY();

// Conversions at `dpi` dots per inch; pixels are rounded to the nearest whole pixel, halves to even.
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);

} // namespace tsln
