// Resampling of premultiplied BGRA pictures for drawing at another size, by the program's one pixel
// scaler (an area average when shrinking, linear interpolation when enlarging). Plain C++.
#pragma once
#include "movie/movie_file.h"

namespace tsln::movie {

// Above this many target pixels a picture is not resampled (the caller stretches it instead).
constexpr long kMaxScaledPixels = 4L << 20;

// `source` at width x height (both at least 1, at most kMaxScaledPixels together). The result is again
// premultiplied: no colour exceeds its alpha.
Image Scale(const Image& source, int width, int height);

} // namespace tsln::movie
