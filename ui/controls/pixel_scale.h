// Scaling 32-bit pixels (0xAARRGGBB, rows top-down) to another size by area averaging: every new pixel is
// the mean of the old ones it covers, weighted by how much of each it covers, so fine detail becomes its
// average colour instead of flickering between samples.
#pragma once
#include <cstdint>
#include <vector>

namespace tsln {

// `pixels` holds width × height values; the result holds newWidth × newHeight (empty when any size is
// not positive or the input is short).
std::vector<uint32_t> AreaAverage(const std::vector<uint32_t>& pixels, int width, int height, int newWidth,
                                  int newHeight);

} // namespace tsln
