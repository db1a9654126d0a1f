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

AreaScaler::AreaScaler(PixelSize from, PixelSize to)
    : from_(from), to_(to), narrowed_(static_cast<size_t>(to.width) * static_cast<size_t>(from.height)) {}

void AreaScaler::AddRows(const uint32_t* rows, int count) {
    if (count > from_.height - rowsAdded_) count = from_.height - rowsAdded_;
    if (count <= 0) return;
    ScaleLines(rows, from_.width, 1, from_.width,
               narrowed_.data() + static_cast<size_t>(rowsAdded_) * to_.width, to_.width, 1, to_.width,
               count);
    rowsAdded_ += count;
}

std::vector<uint32_t> AreaScaler::Result() const {
    if (rowsAdded_ < from_.height) return {};
    std::vector<uint32_t> scaled(static_cast<size_t>(to_.width) * static_cast<size_t>(to_.height));
    ScaleLines(narrowed_.data(), from_.height, to_.width, 1, scaled.data(), to_.height, to_.width, 1,
               to_.width);
    return scaled;
}

std::vector<uint32_t> AreaAverage(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0 ||
        pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    AreaScaler scaler({width, height}, {newWidth, newHeight});
    scaler.AddRows(pixels.data(), height);
    return scaler.Result();
}

} // namespace tsln
