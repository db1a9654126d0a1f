#include "shellutil/picture_format.h"

#include <cstdint>
#include <cstring>

namespace tsln {

bool IsPictureFormat(const void* bytes, size_t size) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    if (size >= 2 && b[0] == 'B' && b[1] == 'M') return true;
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return true;
    return size >= 6 && (std::memcmp(b, "GIF87a", 6) == 0 || std::memcmp(b, "GIF89a", 6) == 0);
}

namespace {
// `length` · `numerator` / `denominator`, rounded, at least 1 and at most `limit`.
int Proportion(int64_t length, int64_t numerator, int64_t denominator, int limit) {
    const int64_t value = (2 * length * numerator + denominator) / (2 * denominator);
    return static_cast<int>(value < 1 ? 1 : value > limit ? limit : value);
}
} // namespace

Placement PlacePicture(PixelSize picture, PixelSize screen, WallpaperFit fit) {
    Placement p{{0, 0, picture.width, picture.height}, {0, 0, screen.width, screen.height}};
    // Compared as cross products: is the picture wider in proportion than the screen?
    const int64_t pictureShape = int64_t(picture.width) * screen.height;
    const int64_t screenShape = int64_t(screen.width) * picture.height;
    if (fit == WallpaperFit::kFill) {
        PixelRect& s = p.source;
        if (pictureShape > screenShape)
            s.width = Proportion(picture.height, screen.width, screen.height, picture.width);
        else
            s.height = Proportion(picture.width, screen.height, screen.width, picture.height);
        s.x = (picture.width - s.width) / 2;
        s.y = (picture.height - s.height) / 2;
    } else if (fit == WallpaperFit::kFit) {
        PixelRect& t = p.target;
        if (pictureShape > screenShape)
            t.height = Proportion(screen.width, picture.height, picture.width, screen.height);
        else
            t.width = Proportion(screen.height, picture.width, picture.height, screen.width);
        t.x = (screen.width - t.width) / 2;
        t.y = (screen.height - t.height) / 2;
    }
    return p;
}

} // namespace tsln
