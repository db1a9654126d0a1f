#include "ui/controls/pixel_scale.h"

#include <algorithm>

namespace tsln {

namespace {
// One pass along one direction: `count` lines of `from` values, `step` apart within a line and `stride`
// apart between lines, become lines of `to` values in `out` (same layout with the new sizes).
//   Old pixel i covers [i·to, (i+1)·to) and new pixel j covers [j·from, (j+1)·from) in units of
//   1/(from·to) of the line; the overlaps of one new pixel sum to `from`.
void ScaleLines(const uint32_t* in, int from, int inStep, int inStride, uint32_t* out, int to, int outStep,
                int outStride, int count) {
    for (int line = 0; line < count; ++line) {
        const uint32_t* source = in + static_cast<long long>(line) * inStride;
        uint32_t* target = out + static_cast<long long>(line) * outStride;
        for (int j = 0; j < to; ++j) {
            const long long begin = static_cast<long long>(j) * from, end = begin + from;
            uint64_t sums[4] = {0, 0, 0, 0};
            for (long long i = begin / to; i < from && i * to < end; ++i) {
                const long long weight = std::min((i + 1) * to, end) - std::max(i * to, begin);
                const uint32_t pixel = source[i * inStep];
                for (int channel = 0; channel < 4; ++channel)
                    sums[channel] += static_cast<uint64_t>((pixel >> (8 * channel)) & 0xFF) * weight;
            }
            uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel)
                pixel |= static_cast<uint32_t>((sums[channel] + from / 2) / from) << (8 * channel);
            target[static_cast<long long>(j) * outStep] = pixel;
        }
    }
}
} // namespace

std::vector<uint32_t> AreaAverage(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0 ||
        pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    // Rows first (to the new width), then columns (to the new height).
    std::vector<uint32_t> rows(static_cast<size_t>(newWidth) * static_cast<size_t>(height));
    ScaleLines(pixels.data(), width, 1, width, rows.data(), newWidth, 1, newWidth, height);
    std::vector<uint32_t> scaled(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
    ScaleLines(rows.data(), height, newWidth, 1, scaled.data(), newHeight, newWidth, 1, newWidth);
    return scaled;
}

} // namespace tsln
