// The GDI renderer, read back pixel by pixel: the background, shapes, a blended picture, a gradient,
// NoBorder cropping and button looks.
#include "movie/movie_render.h"
#include "tests/movie/movie_builders.h"

#include <doctest.h>

#include <cstdlib>

using namespace tsln::movie;
using movietest::SampleMovie;

namespace {

struct Pixel {
    int b, g, r;
};

// Renders `frame` of `movie` into a fresh bitmap and reads pixels of it.
class Canvas {
public:
    Canvas(const Movie& movie, int frame, int width, int height, const ButtonStates& states = ButtonStates())
        : width_(width) {
        bitmap_ = CreateDib(width, height, &bits_);
        REQUIRE(bitmap_);
        tsln::unique_hdc dc(CreateCompatibleDC(nullptr));
        HGDIOBJ previous = SelectObject(dc.get(), bitmap_.get());
        Renderer renderer;
        renderer.SetMovie(&movie);
        renderer.Draw(dc.get(), width, height, frame, states);
        GdiFlush();
        SelectObject(dc.get(), previous);
    }
    Pixel At(int x, int y) const {
        const uint8_t* p = static_cast<const uint8_t*>(bits_) + (static_cast<size_t>(y) * width_ + x) * 4;
        return {p[0], p[1], p[2]};
    }

private:
    int width_;
    void* bits_ = nullptr;
    tsln::unique_gdi bitmap_;
};

bool Near(Pixel p, int r, int g, int b, int tolerance = 3) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

} // namespace

TEST_CASE("a frame is drawn at twice its size with every kind of item") {
    const Movie m = SampleMovie(); // background 0x402010: red 0x10, green 0x20, blue 0x40
    const Canvas c(m, 3, 200, 100);
    CHECK(Near(c.At(10, 50), 0x10, 0x20, 0x40)); // nothing there
    CHECK(Near(c.At(100, 40), 255, 0, 0));       // the ellipse's centre
    CHECK(Near(c.At(82, 22), 0x10, 0x20, 0x40)); // its box's corner stays background
    CHECK(Near(c.At(140, 10), 0, 255, 0));       // inside the triangle
    CHECK(c.At(100, 80).r < 20);                 // the gradient runs from black...
    CHECK(c.At(100, 99).r > 220);                // ...to white
    // The 2x2 picture, enlarged to 8x8 at 180,0: opaque corners exact, the transparent one shows the
    // background, the half-transparent white one is blended over it.
    CHECK(Near(c.At(180, 0), 255, 0, 0, 0));
    CHECK(Near(c.At(187, 7), 0, 0, 255, 0));
    CHECK(Near(c.At(180, 7), 0x10, 0x20, 0x40, 0));
    CHECK(Near(c.At(187, 0), 128 + 0x10 * 127 / 255, 128 + 0x20 * 127 / 255, 128 + 0x40 * 127 / 255));
}

TEST_CASE("a target of another shape is filled and the stage cropped evenly") {
    const Movie m = SampleMovie();
    const Canvas square(m, 3, 100, 100);       // scale 2, 50 pixels cut on each side
    CHECK(Near(square.At(50, 40), 255, 0, 0)); // the ellipse's centre, now in the middle
    CHECK(Near(square.At(90, 10), 0, 255, 0)); // the triangle moved left by 50
    const Canvas none(m, 0, 20, 20);
    CHECK(Near(none.At(5, 5), 255, 255, 255, 0)); // no frame: white
}

TEST_CASE("a button is drawn in the look its state gives") {
    const Movie m = SampleMovie(); // frame 5 shows the button: up = red rect, over = round rect
    ButtonStates over;
    over.Move(m, 5, 15, 15);
    const Canvas up(m, 5, 100, 50), hovered(m, 5, 100, 50, over);
    CHECK(Near(up.At(10, 10), 255, 0, 0));            // the rect's sharp corner
    CHECK_FALSE(Near(hovered.At(10, 10), 255, 0, 0)); // the round rect's corner is cut off
    CHECK(Near(hovered.At(20, 15), 255, 0, 0));       // its inside is red too
}
