#include "core/units.h"

#include <windows.h>

namespace tsln {

namespace {
int TwipsPerPixel(int index) {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? 1440 / dpi : 15;
}
} // namespace

int TwipsPerPixelX() {
    return TwipsPerPixel(LOGPIXELSX);
}
int TwipsPerPixelY() {
    return TwipsPerPixel(LOGPIXELSY);
}

} // namespace tsln
