// libFuzzer target over the movie reader: parse; for an accepted movie check its invariants, write it
// and read it back, run its playhead through its frames and its buttons under the mouse, and resample a
// picture.
#include "movie/image_scale.h"
#include "movie/movie_file.h"
#include "movie/movie_stage.h"
#include "movie/movie_timeline.h"
#include "movie/movie_writer.h"

#include <cstdlib>

namespace {

using namespace tsln::movie;

void Require(bool condition) {
    if (!condition) std::abort();
}

// Round trips recompress every picture; past this many pixels they would slow the run down a lot.
constexpr uint64_t kRoundTripPixels = 1u << 16;

void CheckStructure(const Movie& m) {
    Require(m.frameCount >= 1 && m.frameCount <= kMaxFrames && !m.frames.empty());
    Require(m.frames.front().first == 1 && m.frames.back().last == m.frameCount);
    for (int n = 1; n <= m.frameCount; ++n) {
        const FrameRecord& f = m.Frame(n);
        Require(f.first <= n && n <= f.last);
    }
    for (const Item& item : m.items)
        if (item.kind == ItemKind::kPicture) Require(item.image < m.images.size());
    for (const Image& image : m.images)
        Require(image.pixels.size() == static_cast<size_t>(image.width) * image.height * 4);
    for (const Button& b : m.buttons)
        Require(b.hit < m.items.size() && IsShape(m.items[b.hit].kind) && b.sound <= m.sounds.size());
}

void CheckRoundTrip(const Movie& m) {
    uint64_t pixels = 0;
    for (const Image& image : m.images)
        pixels += static_cast<uint64_t>(image.width) * image.height;
    if (pixels > kRoundTripPixels) return;
    const std::vector<uint8_t> bytes = Serialize(m);
    Movie again;
    Require(Parse(bytes.data(), bytes.size(), again) == Result::kOk);
    Require(Serialize(again) == bytes);
}

void CheckPlayhead(const Movie& m) {
    Timeline t;
    t.SetMovie(&m);
    Require(t.CurrentFrame() == 1);
    const int last = m.frameCount;
    for (int n : {1, 2, last / 2, last - 1, last, last + 1, 0, -1}) {
        const int before = t.CurrentFrame();
        const bool moved = t.GotoFrame(n);
        Require(moved == (n >= 1 && n <= last));
        if (!moved) Require(t.CurrentFrame() == before);
        Require(t.CurrentFrame() >= 1 && t.CurrentFrame() <= last);
    }
    t.Play();
    for (int i = 0; i < 64 && t.Playing(); ++i) {
        t.Tick();
        Require(t.CurrentFrame() >= 1 && t.CurrentFrame() <= last);
    }
}

void CheckButtons(const Movie& m) {
    if (m.buttons.empty()) return;
    ButtonStates states;
    const int frame = m.frames.back().first;
    for (int gy = 0; gy < 6; ++gy) {
        for (int gx = 0; gx < 6; ++gx) {
            const double x = m.width * (gx + 0.5) / 6, y = m.height * (gy + 0.5) / 6;
            states.Move(m, frame, x, y);
            const int down = states.Down(m, frame, x, y);
            const int up = states.Up(m, frame, x, y);
            Require(down < static_cast<int>(m.buttons.size()) && up < static_cast<int>(m.buttons.size()));
            Require(states.Hover() == ButtonAt(m, frame, x, y));
        }
    }
    states.Refresh(&m, 1);
}

void CheckScaling(const Movie& m) {
    if (m.images.empty()) return;
    const Image& source = m.images.front();
    const int w = 1 + source.width % 23, h = 1 + source.height % 19;
    const Image scaled = Scale(source, w, h);
    Require(scaled.pixels.size() == static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < scaled.pixels.size(); i += 4)
        Require(scaled.pixels[i] <= scaled.pixels[i + 3] && scaled.pixels[i + 1] <= scaled.pixels[i + 3] &&
                scaled.pixels[i + 2] <= scaled.pixels[i + 3]);
}

void Exercise(const uint8_t* data, size_t size) {
    Movie movie;
    if (Parse(data, size, movie) != Result::kOk) {
        Require(movie.frames.empty() && movie.items.empty() && movie.images.empty());
        return;
    }
    CheckStructure(movie);
    CheckRoundTrip(movie);
    CheckPlayhead(movie);
    CheckButtons(movie);
    CheckScaling(movie);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Exercise(data, size);
    // Nearly every mutation breaks the header's file size, which hides the chunks behind it: the same
    // bytes again with the size made right.
    if (size >= kHeaderSize && size <= kMaxFileBytes) {
        std::vector<uint8_t> fixed(data, data + size);
        for (int i = 0; i < 4; ++i)
            fixed[8 + i] = static_cast<uint8_t>(size >> (8 * i));
        Exercise(fixed.data(), fixed.size());
    }
    return 0;
}
