// Reads the PNG files a movie's pictures are made from: every colour type, bit depths 1 to 16,
// transparency chunks; not interlaced. Plain C++ with zlib.
#pragma once
#include "movie/movie_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsln::moviec {

// The picture as premultiplied BGRA, or an exception (std::runtime_error) saying what is wrong.
movie::Image ReadPng(const std::vector<uint8_t>& file);

} // namespace tsln::moviec
