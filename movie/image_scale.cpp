#include "movie/image_scale.h"

#include <algorithm>
#include <cmath>

namespace tsln::movie {
namespace {

constexpr int kOne = 1 << 14; // fixed-point 1.0 of the weights

struct Tap {
    int index;
    int weight;
};

// For each target position, the source positions it takes and their weights (summing to kOne).
std::vector<std::vector<Tap>> Taps(int from, int to) {
    std::vector<std::vector<Tap>> taps(to);
    const double ratio = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        std::vector<double> w;
        std::vector<int> idx;
        if (to <= from) {
            const double start = d * ratio, end = (d + 1) * ratio;
            for (int s = static_cast<int>(start); s < end && s < from; ++s) {
                const double overlap = std::min<double>(end, s + 1) - std::max<double>(start, s);
                if (overlap > 0) {
                    idx.push_back(s);
                    w.push_back(overlap / ratio);
                }
            }
        } else {
            const double centre = (d + 0.5) * ratio - 0.5;
            const int s = static_cast<int>(std::floor(centre));
            const double f = centre - s;
            idx.push_back(std::clamp(s, 0, from - 1));
            w.push_back(1 - f);
            idx.push_back(std::clamp(s + 1, 0, from - 1));
            w.push_back(f);
        }
        int sum = 0;
        size_t largest = 0;
        for (size_t i = 0; i < w.size(); ++i) {
            const int fixed = static_cast<int>(std::lround(w[i] * kOne));
            taps[d].push_back({idx[i], fixed});
            sum += fixed;
            if (taps[d][i].weight > taps[d][largest].weight) largest = i;
        }
        taps[d][largest].weight += kOne - sum; // exact sums keep flat areas flat
    }
    return taps;
}

uint8_t Round(long value) noexcept {
    return static_cast<uint8_t>(std::clamp<long>((value + kOne / 2) / kOne, 0, 255));
}

} // namespace

Image Scale(const Image& source, int width, int height) {
    Image out;
    out.width = static_cast<uint16_t>(width);
    out.height = static_cast<uint16_t>(height);
    const int sw = source.width, sh = source.height;
    const auto across = Taps(sw, width);
    const auto down = Taps(sh, height);

    // Rows first, into an intermediate of the target width and the source height.
    std::vector<uint8_t> rows(static_cast<size_t>(width) * sh * 4);
    for (int y = 0; y < sh; ++y) {
        const uint8_t* src = &source.pixels[static_cast<size_t>(y) * sw * 4];
        uint8_t* dst = &rows[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x) {
            long sum[4] = {};
            for (const Tap& t : across[x])
                for (int c = 0; c < 4; ++c)
                    sum[c] += static_cast<long>(src[t.index * 4 + c]) * t.weight;
            for (int c = 0; c < 4; ++c)
                dst[x * 4 + c] = Round(sum[c]);
        }
    }
    out.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        uint8_t* dst = &out.pixels[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x) {
            long sum[4] = {};
            for (const Tap& t : down[y])
                for (int c = 0; c < 4; ++c)
                    sum[c] += static_cast<long>(rows[(static_cast<size_t>(t.index) * width + x) * 4 + c]) *
                              t.weight;
            for (int c = 0; c < 4; ++c)
                dst[x * 4 + c] = Round(sum[c]);
        }
    }
    return out;
}

} // namespace tsln::movie
