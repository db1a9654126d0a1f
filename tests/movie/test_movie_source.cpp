// The movie tool's description compiler: the sample skin movie, the PNG reader behind its picture, and
// mistakes reported with the line they are on.
#include "movie/movie_file.h"
#include "tools/movie/movie_source.h"
#include "tests/support/test_support.h"

#include <doctest.h>

#include <stdexcept>
#include <string>

using tsln::movie::Movie;
using tsln::moviec::Compile;
using tsln::moviec::SourceError;

namespace {

std::vector<uint8_t> ReadSample(const std::string& name) {
    const std::string bytes = testing::ReadFileBytes(std::string(TSLN_MOVIE_SOURCES) + "\\" + name);
    if (bytes.empty()) throw std::runtime_error("missing");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

Movie CompileText(const std::string& text) {
    return Compile(text, "m.txt", [](const std::string& name) { return ReadSample(name); });
}

std::string ErrorOf(const std::string& text) {
    try {
        CompileText(text);
    } catch (const SourceError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST_CASE("the sample description compiles, with its PNG picture read and premultiplied") {
    const std::vector<uint8_t> text = ReadSample("sample.txt");
    const Movie m = CompileText(std::string(text.begin(), text.end()));
    CHECK(m.frameCount == 63);
    CHECK(m.buttons.size() == 4);
    CHECK(m.Frame(40).display.empty());                              // frames left out are empty
    CHECK(m.Frame(63).display.size() == m.Frame(10).display.size()); // "like 10"
    REQUIRE(m.images.size() == 1);
    const tsln::movie::Image& ball = m.images[0];
    CHECK(ball.width == 32);
    const uint8_t* centre = &ball.pixels[(16 * 32 + 16) * 4];
    CHECK(centre[0] == 0x33); // #ffcc33, opaque
    CHECK(centre[1] == 0xCC);
    CHECK(centre[2] == 0xFF);
    CHECK(centre[3] == 255);
    const uint8_t* corner = &ball.pixels[0];
    CHECK((corner[0] | corner[1] | corner[2] | corner[3]) == 0);
}

TEST_CASE("mistakes in a description name their line") {
    CHECK(ErrorOf("frame 1\nend") == "m.txt:1: the description starts with 'movie WIDTH HEIGHT'");
    CHECK(ErrorOf("movie 10 10 background #12") == "m.txt:1: expected a colour like #1f3b5a, found '#12'");
    CHECK(ErrorOf("movie 10 10\n\n# note\nframe 1\n  show nothing\nend") ==
          "m.txt:5: 'nothing' is not defined (yet)");
    CHECK(ErrorOf("movie 10 10\nframe 1\n  stop") == "m.txt:2: frame 1 has no 'end'");
    CHECK(ErrorOf("movie 10 10\nframe 1\n  goto 5\nend") == "m.txt:3: goto 5: the movie ends at frame 1");
    CHECK(ErrorOf("movie 10 10\nrect a 0 0 5 5\nrect a 0 0 5 5") == "m.txt:3: 'a' is already defined");
    CHECK(ErrorOf("movie 10 10\nframe 1-3\nend\nframe 2\nend") == "m.txt:4: frames 2 overlap frames 1-3");
    CHECK(ErrorOf("movie 10 10\nimage i \"none.png\"") == "m.txt:2: cannot read 'none.png': missing");
    CHECK(ErrorOf("movie 10 10\nimage i \"click.wav\"") == "m.txt:2: 'click.wav': not a PNG file");
    CHECK(ErrorOf("movie 10 10\ntext t 0 0 5 5 \"open") == "m.txt:2: a quoted text is not closed");
    CHECK(ErrorOf("movie 10 10\ntext t 0 0 5 5 \"x\"\nbutton b\n  up t\n  hit t\nend") ==
          "m.txt:5: the hit area must be a rect, roundrect, ellipse, polygon or gradient");
}
