// The playhead, the NoBorder view, hit areas, button states and picture resampling: plain code, on
// movies built in the test.
#include "movie/image_scale.h"
#include "movie/movie_stage.h"
#include "movie/movie_timeline.h"
#include "tests/movie/movie_builders.h"

#include <doctest.h>

using namespace tsln::movie;
using movietest::SampleMovie;

TEST_CASE("the playhead runs frame actions when a frame is entered") {
    const Movie m = SampleMovie();
    Timeline t;
    CHECK(t.CurrentFrame() == 0);
    CHECK_FALSE(t.GotoFrame(1)); // no movie yet
    t.SetMovie(&m);
    CHECK(t.CurrentFrame() == 1);
    CHECK_FALSE(t.Playing());
    CHECK_FALSE(t.SoundOn()); // frame 1 has not been entered

    SUBCASE("frame 1 turns the sound on and jumps; frame 2 turns it off") {
        CHECK(t.GotoFrame(1));
        CHECK(t.SoundOn());
        CHECK(t.CurrentFrame() == 3); // what follows the goto in frame 1 does not run
        CHECK(t.Playing());           // frame 3 says play
        CHECK(t.GotoFrame(2));
        CHECK_FALSE(t.SoundOn());
        CHECK(t.CurrentFrame() == 3);
    }
    SUBCASE("playing advances one frame a tick and stops where a frame says so") {
        t.Play(); // enters frame 1 first
        CHECK(t.SoundOn());
        CHECK(t.CurrentFrame() == 3);
        CHECK(t.Playing());
        t.Tick();
        CHECK(t.CurrentFrame() == 4);
        t.Tick();
        CHECK(t.CurrentFrame() == 5);
        CHECK_FALSE(t.Playing());
        t.Tick();
        CHECK(t.CurrentFrame() == 5);
    }
    SUBCASE("a loop of gotos ends; frames that do not exist are refused") {
        CHECK(t.GotoFrame(6));
        CHECK((t.CurrentFrame() == 6 || t.CurrentFrame() == 7));
        const int before = t.CurrentFrame();
        CHECK_FALSE(t.GotoFrame(0));
        CHECK_FALSE(t.GotoFrame(11));
        CHECK(t.CurrentFrame() == before);
    }
    SUBCASE("the movie does not loop: playing stops on the last frame") {
        CHECK(t.GotoFrame(8));
        t.Play();
        t.Tick();
        t.Tick();
        CHECK(t.CurrentFrame() == 10);
        CHECK(t.Playing());
        t.Tick();
        CHECK(t.CurrentFrame() == 10);
        CHECK_FALSE(t.Playing());
    }
}

TEST_CASE("NoBorder fills the target, keeps the aspect ratio and crops evenly") {
    View v = View::NoBorder(320, 200, 640, 400);
    CHECK(v.scale == doctest::Approx(2.0));
    CHECK(v.X(0) == 0);
    CHECK(v.X(320) == 640);
    CHECK(v.StageX(639) == doctest::Approx(319.75));

    v = View::NoBorder(320, 200, 640, 300); // wider: the top and bottom are cut
    CHECK(v.scale == doctest::Approx(2.0));
    CHECK(v.Y(0) == -50);
    CHECK(v.Y(200) == 350);
    CHECK(v.X(160) == 320);

    v = View::NoBorder(320, 200, 200, 200); // narrower: the sides are cut
    CHECK(v.scale == doctest::Approx(1.0));
    CHECK(v.X(0) == -60);
    CHECK(v.X(320) == 260);
    CHECK(v.StageX(0) == doctest::Approx(60.5));

    v = View::NoBorder(320, 200, 0, 0);
    CHECK(v.StageX(0) < -1000); // nothing can be hit in an empty window
}

TEST_CASE("hit areas follow their shapes") {
    const Movie m = SampleMovie();
    const Item& rect = m.items[0];    // 10,10 20x10
    const Item& ellipse = m.items[2]; // 40,10 20x20
    const Item& polygon = m.items[3]; // triangle 60,0 80,0 70,20
    CHECK(Contains(rect, 10, 10));
    CHECK_FALSE(Contains(rect, 30, 15)); // the right edge is outside
    CHECK(Contains(ellipse, 50, 20));
    CHECK_FALSE(Contains(ellipse, 41, 11)); // the box's corner, not the ellipse
    CHECK(Contains(polygon, 70, 5));
    CHECK_FALSE(Contains(polygon, 61, 18));
    Item round = m.items[1]; // 10,10 20x10 radius 3
    CHECK(Contains(round, 20, 10.5));
    CHECK_FALSE(Contains(round, 10.2, 10.2));
    CHECK_FALSE(Contains(m.items[5], 50, 35)); // text has no area
}

TEST_CASE("buttons show up, over and down, and fire on release over the button pressed") {
    Movie m = SampleMovie();
    ButtonStates s;
    CHECK(ButtonAt(m, 5, 15, 15) == 0);
    CHECK(ButtonAt(m, 4, 15, 15) == ButtonStates::kNone); // not shown on frame 4

    s.Move(m, 5, 15, 15);
    CHECK(s.LookOf(0) == Look::kOver);
    CHECK(s.Down(m, 5, 15, 15) == ButtonStates::kNone);
    CHECK(s.LookOf(0) == Look::kDown);
    s.Move(m, 5, 50, 45); // dragged off while pressed
    CHECK(s.LookOf(0) == Look::kUp);

    SUBCASE("released elsewhere: nothing fires") {
        CHECK(s.Up(m, 5, 50, 45) == ButtonStates::kNone);
    }
    SUBCASE("back over it and released: it fires") {
        s.Move(m, 5, 12, 12);
        CHECK(s.Up(m, 5, 12, 12) == 0);
        CHECK(s.LookOf(0) == Look::kOver);
    }
    SUBCASE("a button that fires on press fires at once") {
        s.CancelPress();
        m.buttons[0].onPress = true;
        CHECK(s.Down(m, 5, 15, 15) == 0);
        CHECK(s.Pressed() == ButtonStates::kNone);
    }
    SUBCASE("a frame without the button forgets the press") {
        s.Refresh(&m, 4);
        CHECK(s.Pressed() == ButtonStates::kNone);
        CHECK(s.Hover() == ButtonStates::kNone);
        CHECK(s.Up(m, 5, 15, 15) == ButtonStates::kNone);
    }
}

TEST_CASE("pictures are resampled without changing flat areas or breaking premultiplication") {
    Image flat;
    flat.width = 3;
    flat.height = 2;
    for (int i = 0; i < 6; ++i)
        flat.pixels.insert(flat.pixels.end(), {20, 40, 60, 128});
    for (auto [w, h] : {std::pair{7, 5}, {1, 1}, {2, 9}}) {
        const Image scaled = Scale(flat, w, h);
        REQUIRE(scaled.pixels.size() == static_cast<size_t>(w * h * 4));
        for (size_t i = 0; i < scaled.pixels.size(); i += 4)
            CHECK(scaled.pixels[i + 3] == 128);
        CHECK(scaled.pixels[0] == 20);
    }
    const Image tiny = movietest::TinyImage();
    const Image one = Scale(tiny, 1, 1); // the average of all four
    CHECK(one.pixels[3] == (255 + 128 + 0 + 255 + 2) / 4);
    CHECK(one.pixels[0] == (0 + 128 + 0 + 255 + 2) / 4);
    const Image big = Scale(tiny, 13, 11);
    for (size_t i = 0; i < big.pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            REQUIRE(big.pixels[i + c] <= big.pixels[i + 3]);
}
