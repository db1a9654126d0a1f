// Fitting pictures into boxes and scaling 32-bit pixels (0xAARRGGBB, rows in one order throughout) to
// another size by area averaging: every new pixel is the mean of the old ones it covers, weighted by how
// much of each it covers, so fine detail becomes its average colour instead of flickering between samples.
#pragma once
#include <cstdint>
#include <vector>

namespace tsln {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The size of a picture shown inside `box`: scaled down, keeping its aspect, until it fits; a picture
// that fits already keeps its size. Never less than 1 by 1 (for a box of at least that); {0, 0} for an
// empty picture or box.
PixelSize FitInside(PixelSize picture, PixelSize box);

// Scales a picture given a band of rows at a time, so that a large photo never needs a second full copy:
// each band is narrowed to the new width as it comes, the height is scaled once every row is in.
class AreaScaler {
public:
    // Both sizes at least 1 by 1.
    AreaScaler(PixelSize from, PixelSize to);
    // The next `count` rows, `from.width` pixels each; rows beyond the picture's height are ignored.
    void AddRows(const uint32_t* rows, int count);
    // The scaled picture, to.width × to.height values in the same row order; empty until every row
    // was added.
    std::vector<uint32_t> Result() const;

private:
    PixelSize from_, to_;
    int rowsAdded_ = 0;
    std::vector<uint32_t> narrowed_; // to.width × from.height
};

// `pixels` holds width × height values; the result holds newWidth × newHeight (empty when any size is
// not positive or the input is short).
std::vector<uint32_t> AreaAverage(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight);

} // namespace tsln
