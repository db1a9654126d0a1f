// Scaling a picture down by averaging: every pixel of the result is the mean of the source pixels it
// covers, so that fine detail turns into its true shade instead of flickering samples. Plain code: rows
// of bytes in, rows of bytes out.
#pragma once
#include "shellutil/picture_format.h"

#include <cstdint>
#include <vector>

namespace tsln {

class BoxScaler {
public:
    // `to` is at most `from` in both directions, and at least 1 by 1.
    BoxScaler(PixelSize from, PixelSize to);

    // Takes the next `count` source rows (from the first row on, in the order the rows are kept),
    // 4 bytes a pixel (blue, green, red, unused) and no padding.
    void AddRows(const uint8_t* rows, int count);
    // The result once every source row was added: 3 bytes a pixel (blue, green, red), each row padded
    // to a multiple of 4 bytes, in the same row order as the source.
    const std::vector<uint8_t>& Result() const { return result_; }
    size_t Stride() const { return stride_; }

private:
    void FinishRow();

    PixelSize from_, to_;
    size_t stride_;
    std::vector<int> column_;       // the target column of each source column
    std::vector<uint32_t> columns_; // how many source columns each target column covers
    std::vector<uint32_t> sums_;    // the current target row: sums of blue, green, red
    int sourceRow_ = 0;             // the next source row to come
    int targetRow_ = 0;             // the target row being summed
    uint32_t rowsSummed_ = 0;       // source rows summed into it so far
    std::vector<uint8_t> result_;
};

} // namespace tsln
