#include "core/units.h"
#include "core/unique_any.h"

#include <windows.h>

namespace tsln {

namespace {
constexpr int kTwipsPerInch = 1440;
constexpr int kFallbackDpi = 96;

int ScreenDpi(int index) {
    const unique_window_dc screen;
    const int dpi = screen ? GetDeviceCaps(screen.get(), index) : kFallbackDpi;
    return dpi > 0 ? dpi : kFallbackDpi;
}

int ValidDpi(int dpi) {
    return dpi > 0 ? dpi : kFallbackDpi;
}

// numerator / denominator (denominator > 0), rounded to the nearest integer, halves to even.
long long RoundedQuotient(long long numerator, long long denominator) {
    long long quotient = numerator / denominator;
    long long remainder = numerator % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    if (2 * remainder > denominator || (2 * remainder == denominator && (quotient & 1) != 0)) ++quotient;
    return quotient;
}
} // namespace

int ScreenDpiX() {
    return ScreenDpi(LOGPIXELSX);
}
int ScreenDpiY() {
    return ScreenDpi(LOGPIXELSY);
}

int TwipsPerPixelAt(int dpi) {
    const int twips = kTwipsPerInch / ValidDpi(dpi);
    return twips > 0 ? twips : 1; // callers divide by it
}
int TwipsPerPixelX() {
    return TwipsPerPixelAt(ScreenDpiX());
}
int TwipsPerPixelY() {
    return TwipsPerPixelAt(ScreenDpiY());
}

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(RoundedQuotient(static_cast<long long>(twips) * ValidDpi(dpi), kTwipsPerInch));
}
int PixelsToTwips(int pixels, int dpi) {
    return static_cast<int>(RoundedQuotient(static_cast<long long>(pixels) * kTwipsPerInch, ValidDpi(dpi)));
}

} // namespace tsln
