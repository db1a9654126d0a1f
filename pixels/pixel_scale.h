// Fitting pictures into boxes and scaling 32-bit pixels (0xAARRGGBB, or premultiplied BGRA bytes read as
// one little-endian word; rows in one order throughout) to another size. Shrinking averages areas: every
// new pixel is the mean of the old ones it covers, weighted by how much of each it covers, so fine detail
// becomes its average colour instead of flickering between samples. Enlarging interpolates linearly
// between the two nearest old pixels, so a small picture grows smooth rather than blocky. Each direction
// chooses on its own. Every channel is scaled alike with weights that sum to one, so a flat area stays
// flat and premultiplied pixels stay premultiplied.
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

// The largest side either size may have: every weighted sum stays within 32 bits.
constexpr int kMaxScaledSide = 1 << 22;

// Scales a picture given a band of rows at a time, so that a large photo never needs a second full copy:
// each row is narrowed to the new width as it comes, and each new row is made as soon as the last old
// row it needs is in; only the few narrowed rows still needed are kept.
class PixelScaler {
public:
    // Both sizes from 1 by 1 to kMaxScaledSide; with any other, nothing is ever made.
    PixelScaler(PixelSize from, PixelSize to);
    // The next `count` rows, `from.width` pixels each; rows beyond the picture's height are ignored.
    void AddRows(const uint32_t* rows, int count);
    // The scaled picture, to.width × to.height values in the same row order; empty until every row
    // was added.
    std::vector<uint32_t> Result() const;

    // Which old pixels make one new pixel along one direction, and how much each counts.
    struct Taps {
        struct Tap {
            int index;
            uint32_t weight;
        };
        std::vector<Tap> taps;
        std::vector<int> first; // new pixel j takes taps[first[j]] .. taps[first[j + 1] - 1]
        uint32_t total = 1;     // the sum of one new pixel's weights
        uint32_t inner = 0;     // the weight of every tap between a new pixel's first and last
    };

private:
    void MakeRows();

    PixelSize from_, to_;
    bool valid_ = false;
    int rowsAdded_ = 0;
    int rowsMade_ = 0;
    Taps across_, down_;
    int window_ = 1;               // narrowed rows kept: the most one new row needs
    std::vector<uint32_t> narrow_; // window_ rows of to.width, old row r in slot r % window_
    std::vector<uint32_t> result_;
};

// `pixels` holds width × height values; the result holds newWidth × newHeight (empty when any size is
// out of PixelScaler's range or the input is short).
std::vector<uint32_t> ScalePixels(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight);

} // namespace tsln
