// The movie file reader: what it keeps of a valid movie, and every kind of damaged or hostile file it
// refuses, each with its own result.
#include "movie/movie_chunks.h"
#include "movie/movie_file.h"
#include "movie/movie_writer.h"
#include "tests/movie/movie_builders.h"

#include <doctest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace tsln::movie;
using movietest::Bytes;
using movietest::SampleMovie;

namespace {

Result ParseBytes(const std::vector<uint8_t>& bytes) {
    Movie movie;
    const Result result = Parse(bytes.data(), bytes.size(), movie);
    if (result != Result::kOk) CHECK(movie.frames.empty()); // nothing half read is handed out
    return result;
}

Result ParseMovie(const Movie& movie) {
    return ParseBytes(Bytes(movie));
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, static_cast<uint16_t>(v));
    Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}
void Append32(std::vector<uint8_t>& b, uint32_t v) {
    b.resize(b.size() + 4);
    Put32(b, b.size() - 4, v);
}

// The sample's bytes with one extra chunk put right after the header, the file size kept right.
std::vector<uint8_t> WithLeadingChunk(uint32_t tag, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes = Bytes(SampleMovie());
    std::vector<uint8_t> chunk;
    Append32(chunk, tag);
    Append32(chunk, static_cast<uint32_t>(payload.size()));
    chunk.insert(chunk.end(), payload.begin(), payload.end());
    bytes.insert(bytes.begin() + kHeaderSize, chunk.begin(), chunk.end());
    Put32(bytes, 8, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

// An image chunk's payload: width, height, encoding, reserved, data.
std::vector<uint8_t> ImagePayload(uint16_t width, uint16_t height, uint8_t encoding,
                                  const std::vector<uint8_t>& data) {
    std::vector<uint8_t> p(8 + data.size(), 0);
    Put16(p, 0, width);
    Put16(p, 2, height);
    p[4] = encoding;
    std::copy(data.begin(), data.end(), p.begin() + 8);
    return p;
}

std::vector<uint8_t> Deflated(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    REQUIRE(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) == Z_OK);
    out.resize(size);
    return out;
}

} // namespace

TEST_CASE("a movie reads back as it was written, and writing it again gives the same bytes") {
    const Movie original = SampleMovie();
    const std::vector<uint8_t> bytes = Bytes(original);
    Movie m;
    REQUIRE(Parse(bytes.data(), bytes.size(), m) == Result::kOk);
    CHECK(m.width == 100);
    CHECK(m.height == 50);
    CHECK(m.frameRate == 10);
    CHECK(m.frameCount == 10);
    CHECK(m.background == 0x00402010);
    REQUIRE(m.images.size() == 1);
    CHECK(m.images[0].pixels == original.images[0].pixels);
    REQUIRE(m.items.size() == original.items.size());
    CHECK(m.items[1].radius == 3);
    CHECK(m.items[3].points.size() == 3);
    CHECK(m.items[3].box.width == 20); // polygon bounds come from its points
    CHECK(m.items[4].vertical);
    CHECK(m.items[5].text == "Hello");
    CHECK(m.items[5].face == "Tahoma");
    CHECK(m.items[5].align == Align::kCentre);
    REQUIRE(m.buttons.size() == 1);
    CHECK(m.buttons[0].command == "cmd");
    CHECK(m.buttons[0].argument == "arg");
    CHECK(m.buttons[0].looks[2].size() == 2);
    CHECK(m.Frame(4).first == 3);
    CHECK(m.Frame(9).first == 8);
    CHECK(m.Frame(1).actions.size() == 3);
    CHECK(Serialize(m) == bytes);
}

TEST_CASE("Flash movies and other files are told apart from damaged movies") {
    for (const char* flash : {"FWS", "CWS", "ZWS"}) {
        CAPTURE(flash);
        std::vector<uint8_t> bytes(flash, flash + 3);
        bytes.insert(bytes.end(), {10, 0x40, 0, 0, 0x78, 0, 5, 0x5F});
        CHECK(ParseBytes(bytes) == Result::kFlashMovie);
    }
    CHECK(ParseBytes({'f', 'w', 's', 10}) == Result::kNotAMovie);
    CHECK(ParseBytes({}) == Result::kNotAMovie);
    CHECK(ParseBytes({'P', 'K', 3, 4, 0, 0}) == Result::kNotAMovie);
    std::vector<uint8_t> later = Bytes(SampleMovie());
    Put16(later, 4, 2);
    CHECK(ParseBytes(later) == Result::kUnsupportedVersion);
}

TEST_CASE("every truncation of a movie is refused as incomplete, and trailing bytes as damage") {
    const std::vector<uint8_t> bytes = Bytes(SampleMovie());
    for (size_t size = 1; size < bytes.size(); ++size) {
        CAPTURE(size);
        REQUIRE(ParseBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)) == Result::kTruncated);
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    CHECK(ParseBytes(longer) == Result::kCorrupt);
}

TEST_CASE("sizes and counts beyond the limits are refused before anything is allocated") {
    Movie m = SampleMovie();
    SUBCASE("stage") {
        m.width = kMaxStageSide + 1;
        CHECK(ParseMovie(m) == Result::kTooLarge);
    }
    SUBCASE("frames") {
        m.frameCount = kMaxFrames + 1;
        CHECK(ParseMovie(m) == Result::kTooLarge);
    }
    SUBCASE("file") {
        std::vector<uint8_t> bytes = Bytes(m);
        Put32(bytes, 8, static_cast<uint32_t>(kMaxFileBytes + 1));
        CHECK(ParseBytes(bytes) == Result::kTooLarge);
    }
    SUBCASE("one picture beyond the side limit, and pictures beyond the pixel budget") {
        CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(kMaxImageSide + 1, 1, 1, {}))) ==
              Result::kTooLarge);
        // 4096 x 4096 alone is more than all pictures together may have; no memory is taken for it.
        CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(4096, 4096, 1, {0x78, 0x9C}))) ==
              Result::kTooLarge);
    }
    SUBCASE("polygon points, actions, display entries, button looks") {
        m.items[3].points.resize(kMaxPolygonPoints + 1);
        CHECK(ParseMovie(m) == Result::kTooLarge);
        m = SampleMovie();
        m.frames[0].actions.resize(kMaxActions + 1, {ActionKind::kStop});
        CHECK(ParseMovie(m) == Result::kTooLarge);
        m = SampleMovie();
        m.frames[0].display.resize(kMaxDisplayEntries + 1);
        CHECK(ParseMovie(m) == Result::kTooLarge);
        m = SampleMovie();
        m.buttons[0].looks[1].resize(kMaxLookItems + 1);
        CHECK(ParseMovie(m) == Result::kTooLarge);
    }
}

TEST_CASE("compressed pictures must inflate to exactly their size") {
    const std::vector<uint8_t> exact(16 * 16 * 4, 0);
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(16, 16, 1, Deflated(exact)))) ==
          Result::kOk);
    // A bomb: a small stream that would inflate far beyond the picture.
    const std::vector<uint8_t> bomb(8u << 20, 0);
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(16, 16, 1, Deflated(bomb)))) ==
          Result::kCorrupt);
    // Too little data, a stream that cannot fill the picture, and garbage.
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(16, 16, 1, Deflated({0, 0, 0, 0})))) ==
          Result::kCorrupt);
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(1024, 1024, 1, Deflated({0, 0, 0, 0})))) ==
          Result::kCorrupt);
    CHECK(ParseBytes(WithLeadingChunk(
              chunk::kImage, ImagePayload(2, 2, 1, std::vector<uint8_t>(40, 0xAB)))) == Result::kCorrupt);
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(2, 2, 0, std::vector<uint8_t>(15, 0)))) ==
          Result::kCorrupt);
    // A colour above its alpha is no premultiplied pixel.
    CHECK(ParseBytes(WithLeadingChunk(chunk::kImage, ImagePayload(1, 1, 0, {10, 0, 0, 5}))) ==
          Result::kCorrupt);
}

TEST_CASE("references, ranges and the frame layout are checked") {
    Movie m = SampleMovie();
    SUBCASE("a picture of an image that does not exist") {
        m.items[6].image = 1;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("a hit area that is text") {
        m.buttons[0].hit = 5;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("a look of an item that does not exist") {
        m.buttons[0].looks[0] = {7};
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("a button's sound or goto that does not exist") {
        m.buttons[0].sound = 2;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.buttons[0].gotoFrame = 11;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("a goto past the last frame") {
        m.frames[0].actions[1].frame = 11;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("a display entry of a button that does not exist") {
        m.frames[3].display.push_back({true, 1});
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("frames with a gap, overlapping, or missing at the end") {
        m.frames[2].first = 4;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.frames[2].first = 2;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.frames.pop_back();
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("colours with a high byte, negative sizes, NULs in text, bad flags") {
        m.background = 0x01000000;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.items[0].box.width = -1;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.items[5].text = std::string("a\0b", 3);
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.items[5].flags = 0x80;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("zero frame rate or stage") {
        m.frameRate = 0;
        CHECK(ParseMovie(m) == Result::kCorrupt);
        m = SampleMovie();
        m.height = 0;
        CHECK(ParseMovie(m) == Result::kCorrupt);
    }
    SUBCASE("an unknown chunk, and a chunk longer than the file") {
        CHECK(ParseBytes(WithLeadingChunk(chunk::Tag('J', 'U', 'N', 'K'), {1, 2, 3})) == Result::kCorrupt);
        std::vector<uint8_t> bytes = Bytes(m);
        Put32(bytes, kHeaderSize + 4, 0x7FFFFFFF);
        CHECK(ParseBytes(bytes) == Result::kCorrupt);
    }
}

TEST_CASE("only plain PCM WAVE files count as click sounds") {
    const std::vector<uint8_t> good = movietest::TinyWave();
    CHECK(IsPlayableWave(good.data(), good.size()));
    std::vector<uint8_t> bad = good;
    bad[20] = 2; // ADPCM
    CHECK_FALSE(IsPlayableWave(bad.data(), bad.size()));
    bad = good;
    bad[4] = 200; // RIFF size beyond the file
    CHECK_FALSE(IsPlayableWave(bad.data(), bad.size()));
    bad = good;
    bad[40] = 5; // data length beyond the file
    CHECK_FALSE(IsPlayableWave(bad.data(), bad.size()));
    CHECK_FALSE(IsPlayableWave(good.data(), 12));
    Movie m = SampleMovie();
    m.sounds[0].wav = bad;
    CHECK(ParseMovie(m) == Result::kCorrupt);
}
