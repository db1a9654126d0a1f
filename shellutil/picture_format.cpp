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

PixelSize FitInside(PixelSize picture, PixelSize box) {
    if (picture.width <= 0 || picture.height <= 0 || box.width <= 0 || box.height <= 0) return {};
    if (picture.width <= box.width && picture.height <= box.height) return picture;
    const int64_t pw = picture.width, ph = picture.height, bw = box.width, bh = box.height;
    PixelSize fitted;
    if (pw * bh >= ph * bw) {
        // Wider than the box in proportion: the width fills it.
        fitted.width = box.width;
        fitted.height = static_cast<int>((ph * bw * 2 + pw) / (pw * 2));
    } else {
        fitted.height = box.height;
        fitted.width = static_cast<int>((pw * bh * 2 + ph) / (ph * 2));
    }
    if (fitted.width < 1) fitted.width = 1;
    if (fitted.height < 1) fitted.height = 1;
    return fitted;
}

} // namespace tsln
