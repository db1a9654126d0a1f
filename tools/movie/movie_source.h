// Compiles a movie's text description (docs/movie-format.md, "Writing a movie") into a movie. Plain C++:
// the files it names are read through a callback.
#pragma once
#include "movie/movie_file.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tsln::moviec {

// A mistake in the description: "name:line: what is wrong".
struct SourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a file named in the description (relative to the description's folder); throws when it cannot.
using FileReader = std::function<std::vector<uint8_t>(const std::string& name)>;

// `sourceName` only labels the messages.
movie::Movie Compile(const std::string& text, const std::string& sourceName, const FileReader& read);

} // namespace tsln::moviec
