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

} // namespace tsln
