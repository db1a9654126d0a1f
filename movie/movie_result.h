// The outcome of reading a movie file, with the text a user is shown for it. Plain C++ (no windows.h):
// the parser, the player component and the program's wrapper all use it.
#pragma once

namespace tsln::movie {

enum class Result : int {
    kOk = 0,
    kNotAMovie = 1,          // no movie signature at all
    kFlashMovie = 2,         // a Flash movie ("FWS", "CWS" or "ZWS")
    kUnsupportedVersion = 3, // a movie of a later format version
    kTruncated = 4,          // the file ends before the movie does
    kTooLarge = 5,           // a size or count beyond the player's limits
    kCorrupt = 6,            // inconsistent or out-of-range content
    kNoMemory = 7,
};
constexpr int kResultCount = 8;

inline const char* ResultText(Result result) noexcept {
    switch (result) {
    case Result::kOk:
        return "The movie was read.";
    case Result::kNotAMovie:
        return "The file is not a Tessaline movie.";
    case Result::kFlashMovie:
        return "The file is a Flash movie. Tessaline plays only movies in its own format.";
    case Result::kUnsupportedVersion:
        return "The movie was made for a later version of the Tessaline movie player.";
    case Result::kTruncated:
        return "The movie file is incomplete: it ends too early.";
    case Result::kTooLarge:
        return "The movie is larger than the Tessaline movie player accepts.";
    case Result::kCorrupt:
        return "The movie file is damaged.";
    case Result::kNoMemory:
        return "There is not enough memory to read the movie.";
    }
    return "The movie could not be read.";
}

} // namespace tsln::movie
