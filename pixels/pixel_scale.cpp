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

// One new pixel from the taps [tap, end), `pixelAt(index)` giving an old pixel. Each channel's sum stays
// below 2^31. Where registers are 64 bits wide two channels share one multiplication, in the two halves of
// one sum; elsewhere each channel has its own.
template <class PixelAt>
uint32_t Blend(const Taps::Tap* tap, const Taps::Tap* end, const Divider& divide, PixelAt pixelAt) {
    uint32_t b = 0, g = 0, r = 0, a = 0;
    if constexpr (sizeof(void*) >= 8) {
        uint64_t blueRed = 0, greenAlpha = 0;
        for (; tap != end; ++tap) {
            const uint32_t pixel = pixelAt(tap->index);
            blueRed += ((pixel & 0xFF) | (uint64_t(pixel & 0xFF0000) << 16)) * tap->weight;
            greenAlpha += (((pixel >> 8) & 0xFF) | (uint64_t(pixel >> 24) << 32)) * tap->weight;
        }
        b = static_cast<uint32_t>(blueRed);
        r = static_cast<uint32_t>(blueRed >> 32);
        g = static_cast<uint32_t>(greenAlpha);
        a = static_cast<uint32_t>(greenAlpha >> 32);
    } else {
        for (; tap != end; ++tap) {
            const uint32_t pixel = pixelAt(tap->index), w = tap->weight;
            b += (pixel & 0xFF) * w;
            g += ((pixel >> 8) & 0xFF) * w;
            r += ((pixel >> 16) & 0xFF) * w;
            a += (pixel >> 24) * w;
        }
    }
    return divide(b) | divide(g) << 8 | divide(r) << 16 | divide(a) << 24;
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
    for (int k = 0; k < count; ++k) {
        const uint32_t* source = rows + static_cast<size_t>(k) * static_cast<size_t>(from_.width);
        uint32_t* target = narrow_.data() + static_cast<size_t>(rowsAdded_ % window_) * to_.width;
        for (int x = 0; x < to_.width; ++x)
            target[x] = Blend(taps + across_.first[x], taps + across_.first[x + 1], divide,
                              [source](int i) { return source[i]; });
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
            target[x] = Blend(slots.data(), slots.data() + slots.size(), divide,
                              [rows, x](int at) { return rows[static_cast<size_t>(at) + x]; });
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
