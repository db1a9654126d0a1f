#include "movie/image_scale.h"
#include "pixels/pixel_scale.h"

#include <cstring>
#include <vector>

namespace tsln::movie {

Image Scale(const Image& source, int width, int height) {
    // A BGRA pixel is one little-endian word; the rows are copied in, since the bytes need not be aligned.
    PixelScaler scaler({source.width, source.height}, {width, height});
    std::vector<uint32_t> row(source.width);
    for (int y = 0; y < source.height; ++y) {
        std::memcpy(row.data(), &source.pixels[static_cast<size_t>(y) * source.width * 4], row.size() * 4);
        scaler.AddRows(row.data(), 1);
    }
    const std::vector<uint32_t> scaled = scaler.Result();
    Image out;
    out.width = static_cast<uint16_t>(width);
    out.height = static_cast<uint16_t>(height);
    out.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (scaled.size() * 4 == out.pixels.size() && !scaled.empty())
        std::memcpy(out.pixels.data(), scaled.data(), out.pixels.size());
    return out;
}

} // namespace tsln::movie
