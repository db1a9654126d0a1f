// Small movies built in code for the movie tests.
#pragma once
#include "movie/movie_file.h"

#include <cstdint>
#include <vector>

namespace movietest {

using tsln::movie::Movie;

// 100 x 50 stage, 10 frames at 10 fps: frame 1 "sound on, goto 3", 2 "sound off, goto 3", 3-4 play on,
// 5 stops with a button (rect hit area 10,10 20x10, "cmd"/"arg", goto 7), 6 "goto 7", 7 "goto 6" (a loop),
// 8-10 plain. Items: a rect, a round rect, an ellipse, a polygon, a gradient, a text and a 2x2 picture.
Movie SampleMovie();

// A 2 x 2 premultiplied picture: opaque red, half-transparent white, transparent, opaque blue.
tsln::movie::Image TinyImage();

// A minimal valid PCM WAVE file.
std::vector<uint8_t> TinyWave();

std::vector<uint8_t> Bytes(const Movie& movie);

} // namespace movietest
