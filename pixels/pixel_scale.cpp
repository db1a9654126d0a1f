#include "pixels/pixel_scale.h"

#include <algorithm>

namespace tsln {

namespace {
using Taps = PixelScaler::Taps;

// Shrinking (or keeping): old pixel i covers [i·to, (i+1)·to) and new pixel j covers [j·from, (j+1)·from)
// in units of 1/(from·to) of the line; the overlaps of one new pixel sum to `from`.
// Enlarging: new pixel j's centre lies at ((2j+1)·from − to) / (2·to) in old pixels; it takes the two old
// pixels around it (the edge one twice at the ends), weighted in units of 1/(2·to).
Taps MakeTaps(int from, int to) {
    Taps t;
    t.first.reserve(static_cast<size_t>(to) + 1);
    if (to <= from) {
        t.total = static_cast<uint32_t>(from);
        t.inner = static_cast<uint32_t>(to);
        for (int j = 0; j < to; ++j) {
            t.first.push_back(static_cast<int>(t.taps.size()));
            const long long begin = static_cast<long long>(j) * from, end = begin + from;
            for (long long i = begin / to; i < from && i * to < end; ++i) {
                const long long weight = std::min((i + 1) * to, end) - std::max(i * to, begin);
                if (weight > 0) t.taps.push_back({static_cast<int>(i), static_cast<uint32_t>(weight)});
            }
        }
    } else {
        const long long twice = 2LL * to;
        t.total = static_cast<uint32_t>(twice);
        for (int j = 0; j < to; ++j) {
            t.first.push_back(static_cast<int>(t.taps.size()));
            const long long centre = (2LL * j + 1) * from - to;
            long long left = centre / twice;
            if (centre < 0 && left * twice != centre) --left; // rounded down, also below 0
            const long long right = centre - left * twice;    // the right pixel's share
            const int a = static_cast<int>(std::clamp<long long>(left, 0, from - 1));
            const int b = static_cast<int>(std::clamp<long long>(left + 1, 0, from - 1));
            t.taps.push_back({a, static_cast<uint32_t>(twice - right)});
            if (right > 0) t.taps.push_back({b, static_cast<uint32_t>(right)});
        }
    }
    t.first.push_back(static_cast<int>(t.taps.size()));
    return t;
}

// Rounded division by a fixed `total` (at most 1 << 23) as one 32 × 32-bit multiplication: for every sum
// a pixel can have (below 256 · total < 2^31) it gives exactly (sum + total / 2) / total, since the
// factor's error, below total ≤ 2^(shift − 31), times a sum stays below 2^shift.
class Divider {
public:
    explicit Divider(uint32_t total) : half_(total / 2) {
        while ((uint32_t(1) << (shift_ - 31)) < total)
            ++shift_;
        factor_ = static_cast<uint32_t>(((uint64_t(1) << shift_) + total - 1) / total);
    }
    uint32_t operator()(uint32_t sum) const {
        return static_cast<uint32_t>((static_cast<uint64_t>(sum + half_) * factor_) >> shift_);
    }

private:
    uint32_t half_;
    int shift_ = 31;
    uint32_t factor_ = 0;
};

// A sum of weighted pixels, one per channel; each stays below 2^31.
struct Sums {
    uint32_t b = 0, g = 0, r = 0, a = 0;
    void Add(uint32_t pixel, uint32_t weight) {
        b += (pixel & 0xFF) * weight;
        g += ((pixel >> 8) & 0xFF) * weight;
        r += ((pixel >> 16) & 0xFF) * weight;
        a += (pixel >> 24) * weight;
    }
};

// One new pixel from `count` taps, `pixelOf(k)` giving the old pixel of taps[k]. When shrinking, the old
// pixels between the first and the last one lie wholly inside the new one and all weigh `inner`: they
// are added unweighted, two channels to a 32-bit word (at most 256 pixels at a time, so that no 16-bit
// half overflows), and multiplied once. That takes most multiplications out of the loop, which matters
// most on 32-bit processors; the sums are exactly those of weighing each pixel.
template <class PixelOf>
uint32_t Blend(const Taps::Tap* taps, int count, uint32_t inner, const Divider& divide, PixelOf pixelOf) {
    Sums sums;
    sums.Add(pixelOf(0), taps[0].weight);
    if (count > 1) sums.Add(pixelOf(count - 1), taps[count - 1].weight);
    for (int k = 1; k < count - 1;) {
        const int stop = count - 1 - k > 256 ? k + 256 : count - 1;
        uint32_t blueRed = 0, greenAlpha = 0;
        for (; k < stop; ++k) {
            const uint32_t pixel = pixelOf(k);
            blueRed += pixel & 0x00FF00FF;
            greenAlpha += (pixel >> 8) & 0x00FF00FF;
        }
        sums.b += (blueRed & 0xFFFF) * inner;
        sums.r += (blueRed >> 16) * inner;
        sums.g += (greenAlpha & 0xFFFF) * inner;
        sums.a += (greenAlpha >> 16) * inner;
    }
    return divide(sums.b) | divide(sums.g) << 8 | divide(sums.r) << 16 | divide(sums.a) << 24;
}

bool InRange(PixelSize s) {
    return s.width >= 1 && s.height >= 1 && s.width <= kMaxScaledSide && s.height <= kMaxScaledSide;
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

PixelScaler::PixelScaler(PixelSize from, PixelSize to) : from_(from), to_(to) {
    valid_ = InRange(from) && InRange(to);
    if (!valid_) return;
    across_ = MakeTaps(from.width, to.width);
    down_ = MakeTaps(from.height, to.height);
    for (int y = 0; y < to.height; ++y) {
        const auto& first = down_.taps[static_cast<size_t>(down_.first[y])];
        const auto& last = down_.taps[static_cast<size_t>(down_.first[y + 1] - 1)];
        window_ = std::max(window_, last.index - first.index + 1);
    }
    narrow_.resize(static_cast<size_t>(window_) * static_cast<size_t>(to.width));
    result_.resize(static_cast<size_t>(to.width) * static_cast<size_t>(to.height));
}

void PixelScaler::AddRows(const uint32_t* rows, int count) {
    if (!valid_) return;
    if (count > from_.height - rowsAdded_) count = from_.height - rowsAdded_;
    const Taps::Tap* taps = across_.taps.data();
    const Divider divide(across_.total);
    const bool shrinking = to_.width <= from_.width;
    for (int row = 0; row < count; ++row) {
        const uint32_t* source = rows + static_cast<size_t>(row) * static_cast<size_t>(from_.width);
        uint32_t* target = narrow_.data() + static_cast<size_t>(rowsAdded_ % window_) * to_.width;
        for (int x = 0; x < to_.width; ++x) {
            const Taps::Tap* tap = taps + across_.first[x];
            const int n = across_.first[x + 1] - across_.first[x];
            // A shrinking new pixel's old pixels are consecutive.
            if (shrinking)
                target[x] = Blend(tap, n, across_.inner, divide,
                                  [line = source + tap->index](int k) { return line[k]; });
            else
                target[x] = Blend(tap, n, 0, divide, [source, tap](int k) { return source[tap[k].index]; });
        }
        ++rowsAdded_;
        MakeRows();
    }
}

// Every new row whose last old row is in: its old rows are all still in the window.
void PixelScaler::MakeRows() {
    const Taps::Tap* taps = down_.taps.data();
    std::vector<Taps::Tap> slots; // the taps with their rows' places in the window
    const Divider divide(down_.total);
    while (rowsMade_ < to_.height && taps[down_.first[rowsMade_ + 1] - 1].index < rowsAdded_) {
        slots.assign(taps + down_.first[rowsMade_], taps + down_.first[rowsMade_ + 1]);
        for (Taps::Tap& slot : slots)
            slot.index = (slot.index % window_) * to_.width;
        uint32_t* target = result_.data() + static_cast<size_t>(rowsMade_) * to_.width;
        const uint32_t* rows = narrow_.data();
        for (int x = 0; x < to_.width; ++x)
            target[x] = Blend(
                slots.data(), static_cast<int>(slots.size()), down_.inner, divide,
                [at = slots.data(), rows, x](int k) { return rows[static_cast<size_t>(at[k].index) + x]; });
        ++rowsMade_;
    }
}

std::vector<uint32_t> PixelScaler::Result() const {
    if (!valid_ || rowsMade_ < to_.height) return {};
    return result_;
}

std::vector<uint32_t> ScalePixels(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    PixelScaler scaler({width, height}, {newWidth, newHeight});
    scaler.AddRows(pixels.data(), height);
    return scaler.Result();
}

} // namespace tsln
