// The slider's arithmetic: the values it takes, thumb positions and values, and its layout.
#include "ui/slider_values.h"

#include <doctest.h>
#include <climits>

using namespace tsln;

TEST_CASE("a value outside the range becomes Max - 1, and an empty range has only its one value") {
    CHECK(AcceptedValue(300, 76, 230) == 229);
    CHECK(AcceptedValue(10, 76, 230) == 229); // not the nearer bound
    CHECK(AcceptedValue(76, 76, 230) == 76);
    CHECK(AcceptedValue(230, 76, 230) == 230);
    CHECK(AcceptedValue(-1, 0, 1) == 0);
    CHECK(AcceptedValue(9, 5, 5) == 5);
    CHECK(AcceptedValue(5, 5, 5) == 5);
    CHECK(AcceptedValue(INT32_MIN, INT32_MIN + 1, INT32_MAX) == INT32_MAX - 1);
}

TEST_CASE("thumb positions and values map onto each other, Min at the left or at the bottom") {
    // 154 values over 200 pixels: every value has its own position and comes back from it.
    for (int32_t value = 76; value <= 230; ++value) {
        CAPTURE(value);
        const int across = ThumbOffset(value, 76, 230, 200, false);
        CHECK(ValueAtOffset(across, 200, 76, 230, false) == value);
        const int up = ThumbOffset(value, 76, 230, 200, true);
        CHECK(up == 200 - across);
        CHECK(ValueAtOffset(up, 200, 76, 230, true) == value);
    }
    CHECK(ThumbOffset(76, 76, 230, 200, false) == 0);
    CHECK(ThumbOffset(230, 76, 230, 200, false) == 200);
    CHECK(ThumbOffset(76, 76, 230, 200, true) == 200);
    CHECK(ThumbOffset(153, 76, 230, 200, false) == 100);
    // More values than pixels: a position means the nearest value, halves to even (0.5 * 3 = 1.5 -> 2).
    CHECK(ValueAtOffset(1, 2, 0, 3, false) == 2);
    CHECK(ValueAtOffset(-40, 200, 76, 230, false) == 76);
    CHECK(ValueAtOffset(900, 200, 76, 230, false) == 230);
    // The whole 32-bit range does not overflow.
    CHECK(ValueAtOffset(100, 100, INT32_MIN, INT32_MAX, false) == INT32_MAX);
    CHECK(ValueAtOffset(0, 100, INT32_MIN, INT32_MAX, false) == INT32_MIN);
    CHECK(ThumbOffset(INT32_MAX, INT32_MIN, INT32_MAX, 100, false) == 100);
}

TEST_CASE("an empty range or a thumb as long as the slider divides by nothing") {
    CHECK(ThumbOffset(5, 5, 5, 200, false) == 0);
    CHECK(ThumbOffset(5, 5, 5, 200, true) == 200); // Min's end is the bottom
    CHECK(ValueAtOffset(120, 200, 5, 5, false) == 5);
    CHECK(ThumbOffset(7, 0, 10, 0, false) == 0);
    CHECK(ValueAtOffset(0, 0, 0, 10, false) == 0);
}

TEST_CASE("the rail styles and their platform edges") {
    CHECK(RailEdge(0) == 10);
    CHECK(RailEdge(1) == 5);
    CHECK(RailEdge(2) == 2);
    CHECK(RailEdge(3) == 4);
    CHECK(RailEdge(4) == 0);
    CHECK(RailEdge(kRailStylePicture) == -1);
    CHECK(IsRailStyle(99));
    CHECK_FALSE(IsRailStyle(5));
    CHECK_FALSE(IsRailStyle(-1));
    CHECK(IsOrientation(0));
    CHECK(IsOrientation(1));
    CHECK_FALSE(IsOrientation(2));
}

TEST_CASE("the layout: the thickness is the thumb's, the rail runs 2 pixels past the thumb centre's ends") {
    // Horizontal, 300 x 50 with an 11 x 21 thumb: 21 high, the rail 4 pixels through the thumb's middle.
    SliderGeometry g = LayOutSlider(false, {11, 21}, {}, {300, 50});
    CHECK(g.size.width == 300);
    CHECK(g.size.height == 21);
    CHECK(g.thumbCross == 0);
    CHECK(g.travel == 289);
    CHECK(g.rail.top == 8); // (21 - 4) / 2 = 8.5, to even
    CHECK(g.rail.bottom == 12);
    CHECK(g.rail.left == 4); // 11 / 2 - 2 = 3.5, to even
    CHECK(g.rail.right == 300 + 4 - 11 + 4);
    // A slider of no length takes the thumb's.
    g = LayOutSlider(false, {11, 21}, {}, {0, 0});
    CHECK(g.size.width == 11);
    CHECK(g.travel == 0);

    // Vertical, the same the other way round.
    g = LayOutSlider(true, {20, 10}, {}, {5, 150});
    CHECK(g.size.width == 20);
    CHECK(g.size.height == 150);
    CHECK(g.travel == 140);
    CHECK(g.rail.left == 8);
    CHECK(g.rail.right == 12);
    CHECK(g.rail.top == 3);
    CHECK(g.rail.bottom == 150 + 3 - 10 + 4);
}

TEST_CASE("a rail picture sets the slider's length and, when thicker than the thumb, centres the thumb") {
    // A thin rail: the thumb sets the thickness, the picture is centred across at 2 pixels in.
    SliderGeometry g = LayOutSlider(false, {10, 20}, {200, 8}, {50, 50});
    CHECK(g.size.width == 204);
    CHECK(g.size.height == 20);
    CHECK(g.thumbCross == 0);
    CHECK(g.railPictureX == 2);
    CHECK(g.railPictureY == 6);
    CHECK(g.travel == 194);
    // A rail thicker than the thumb: the slider is as thick as the rail, the thumb in its middle.
    g = LayOutSlider(false, {10, 20}, {200, 30}, {50, 50});
    CHECK(g.size.height == 30);
    CHECK(g.thumbCross == 5);
    CHECK(g.railPictureY == 0);
    g = LayOutSlider(true, {20, 10}, {31, 100}, {50, 50});
    CHECK(g.size.width == 31);
    CHECK(g.size.height == 104);
    CHECK(g.thumbCross == 6); // (31 - 20) / 2 = 5.5, to even
    CHECK(g.railPictureX == 0);
    CHECK(g.railPictureY == 2);
}
