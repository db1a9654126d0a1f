// Writes a movie in the file format that Parse reads: images, sounds, items, buttons, then frames.
// Plain C++ with zlib; used by the movie tool, the tests and the fuzzer's round trip.
#pragma once
#include "movie/movie_file.h"

#include <cstdint>
#include <vector>

namespace tsln::movie {

// The file's bytes. Images are stored compressed when that makes them smaller. The movie is written as
// it is: Parse tells whether the result is a valid movie.
std::vector<uint8_t> Serialize(const Movie& movie);

} // namespace tsln::movie
