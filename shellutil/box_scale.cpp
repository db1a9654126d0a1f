#include "shellutil/box_scale.h"

namespace tsln {

BoxScaler::BoxScaler(PixelSize from, PixelSize to)
    : from_(from), to_(to), stride_((static_cast<size_t>(to.width) * 3 + 3) & ~size_t(3)),
      column_(static_cast<size_t>(from.width)), columns_(static_cast<size_t>(to.width)),
      sums_(static_cast<size_t>(to.width) * 3), result_(stride_ * static_cast<size_t>(to.height)) {
    for (int x = 0; x < from.width; ++x) {
        column_[x] = static_cast<int>(static_cast<int64_t>(x) * to.width / from.width);
        ++columns_[column_[x]];
    }
}

void BoxScaler::AddRows(const uint8_t* rows, int count) {
    for (int r = 0; r < count && sourceRow_ < from_.height; ++r, ++sourceRow_) {
        const int target = static_cast<int>(static_cast<int64_t>(sourceRow_) * to_.height / from_.height);
        if (target != targetRow_) FinishRow();
        targetRow_ = target;
        const uint8_t* pixel = rows + static_cast<size_t>(r) * from_.width * 4;
        for (int x = 0; x < from_.width; ++x, pixel += 4) {
            uint32_t* sum = &sums_[static_cast<size_t>(column_[x]) * 3];
            sum[0] += pixel[0];
            sum[1] += pixel[1];
            sum[2] += pixel[2];
        }
        ++rowsSummed_;
    }
    if (sourceRow_ == from_.height && rowsSummed_ > 0) FinishRow();
}

void BoxScaler::FinishRow() {
    uint8_t* out = &result_[stride_ * static_cast<size_t>(targetRow_)];
    for (int x = 0; x < to_.width; ++x) {
        const uint32_t n = columns_[x] * rowsSummed_;
        for (int c = 0; c < 3; ++c) {
            uint32_t& sum = sums_[static_cast<size_t>(x) * 3 + c];
            out[x * 3 + c] = static_cast<uint8_t>(n == 0 ? 0 : (sum + n / 2) / n);
            sum = 0;
        }
    }
    rowsSummed_ = 0;
}

} // namespace tsln
