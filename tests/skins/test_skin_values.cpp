// The plain rules of skins: the numbers of a skin's description, package names, compatibility, where the
// window goes, and the outlines at 96 and 120 dots per inch.
#include "core/app_error.h"
#include "skins/skin_outline.h"
#include "skins/skin_values.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using namespace tsln;
using testing::FailureNumber;

namespace {

// The converter the skin manager hands over, without its message box: unsupported units count 0 twips.
double Convert(double value, int from, int to) {
    return value * TwipsPerScaleUnit(from) / TwipsPerScaleUnit(to);
}

ShapeGeometry Geometry(const ShapeControl& shape, int scaleMode, int twipsPerPixel) {
    return ShapeToGeometry(shape, scaleMode, twipsPerPixel, twipsPerPixel, Convert);
}
} // namespace

TEST_CASE("numbers of a skin's description") {
    CHECK(ParseInt16(" 600 ") == 600);
    CHECK(ParseInt16("-100") == -100);
    CHECK(ParseInt32("16711680") == 16711680);
    CHECK(ParseInt32("&HFF0000") == 0xFF0000);
    CHECK(ParseInt32("&HFFFF") == -1); // four hex digits make a 16-bit value
    CHECK(ParseNumber("3000.5") == 3000.5);
    SUBCASE("halves round to the even neighbour") {
        CHECK(RoundHalfEven(2.5) == 2);
        CHECK(RoundHalfEven(3.5) == 4);
        CHECK(RoundHalfEven(-2.5) == -2);
        CHECK(ParseInt16("1.5") == 2);
        CHECK(RoundHalfEven(95.9333) == 96);
    }
    SUBCASE("text that is no number, or too large") {
        for (const char* bad : {"", "   ", "abc", "12px", "1,5", "&H", "&HXYZ", "--1", "."})
            CHECK_MESSAGE(FailureNumber([&] { ParseNumber(bad); }) == err::kTypeMismatch.number, bad);
        CHECK(FailureNumber([] { ParseInt16("32768"); }) == err::kOverflow.number);
        CHECK(FailureNumber([] { ParseInt16("-32769"); }) == err::kOverflow.number);
        CHECK(FailureNumber([] { ParseInt32("1e20"); }) == err::kOverflow.number);
        CHECK(FailureNumber([] { ParseNumber("1e999"); }) == err::kOverflow.number);
    }
}

TEST_CASE("package names and their two forms") {
    CHECK(PackageSkinName("Blue_Sky.csk") == "Blue_Sky");
    CHECK(PackageSkinName("readme.CSK").empty());
    CHECK(PackageSkinName("Night.Csk").empty());
    CHECK(PackageSkinName("Nightcsk").empty());
    CHECK(PackageSkinName(".csk").empty());
    CHECK(PackageSkinName("a.csk.bak").empty());
    CHECK(ShownSkinName("Blue_Sky") == "Blue Sky");
    CHECK(FileSkinName("Blue Sky") == "Blue_Sky");
    CHECK(SplitText("", ',') == std::vector<std::string>{""});
    CHECK(SplitText("1;;2", ';') == std::vector<std::string>{"1", "", "2"});
}

TEST_CASE("which skins fit version 1.8") {
    CHECK(Compatibility("TSLN", "1.8", 1, 8) == 0);
    CHECK(Compatibility("TSLN", "1.1", 1, 8) == 0);
    CHECK(Compatibility("TSLN", "1.0;1.1", 1, 8) == 0);
    CHECK(Compatibility("TSLN", "1.8 ", 1, 8) == 1);
    CHECK(Compatibility("TSLN", " 1.8", 1, 8) == 1);
    CHECK(Compatibility("TSLN", "1.7", 1, 8) == 1);
    CHECK(Compatibility("TSLN", "", 1, 8) == 1);
    CHECK(Compatibility("tsln", "1.8", 1, 8) == 2);
    CHECK(Compatibility("TSLN ", "1.8", 1, 8) == 2);
    CHECK(Compatibility("", "", 1, 8) == 2);
    int served = 0;
    CHECK(Compatibility("TSLN", "0.9;1.0;1.8;2.0", 1, 8, [&] { ++served; }) == 0);
    CHECK(served == 3); // before each piece compared, and no further once one fits
}

TEST_CASE("the window goes to its stored place unless left or right is off the screen") {
    const double sw = 1024 * 15, sh = 768 * 15;
    WindowPlace stored = PlaceOnScreen(1500, 900, 6000, 3000, sw, sh);
    CHECK(!stored.centred);
    CHECK(stored.left == 1500);
    CHECK(stored.top == 900);
    WindowPlace first = PlaceOnScreen(-100, -100, 6000, 3000, sw, sh); // the first run's place
    CHECK(first.centred);
    CHECK(first.left == (sw - 6000) / 2);
    CHECK(first.top == (sh - 3000) / 2);
    CHECK(PlaceOnScreen(sw - 5999, 900, 6000, 3000, sw, sh).centred);
    CHECK(!PlaceOnScreen(sw - 6000, 900, 6000, 3000, sw, sh).centred);
    WindowPlace low = PlaceOnScreen(1500, sh - 1000, 6000, 3000, sw, sh);
    CHECK(!low.centred);
    CHECK(low.top == sh - 1000);
}

TEST_CASE("a skin's outline at 96 and 120 dots per inch") {
    const std::string xs = "0,200,200,0", ys = "0,0,100,100";
    CHECK(OutlinePoints(1, 1, 0, 0, xs, ys, 15, 15) ==
          std::vector<OutlinePoint>{{0, 0}, {200, 0}, {200, 100}, {0, 100}});
    CHECK(OutlinePoints(1, 1, 0, 0, xs, ys, 12, 12) ==
          std::vector<OutlinePoint>{{0, 0}, {250, 0}, {250, 125}, {0, 125}});
    CHECK(OutlinePoints(0.5f, 2, 10, -5, "3,5", "1,2,99", 15, 15) ==
          std::vector<OutlinePoint>{{12, -3}, {12, -1}}); // 11.5 and 12.5 both round to 12; 99 unread
    SUBCASE("lists that make no outline") {
        CHECK(FailureNumber([&] { OutlinePoints(1, 1, 0, 0, "", "", 15, 15); }) == err::kTypeMismatch.number);
        CHECK(FailureNumber([&] { OutlinePoints(1, 1, 0, 0, "0,x,2", "0,1,2", 15, 15); }) ==
              err::kTypeMismatch.number);
        CHECK(FailureNumber([&] { OutlinePoints(1, 1, 0, 0, "0,,2", "0,1,2", 15, 15); }) ==
              err::kTypeMismatch.number);
        CHECK(FailureNumber([&] { OutlinePoints(1, 1, 0, 0, "0,40000", "0,1", 15, 15); }) ==
              err::kOverflow.number);
        CHECK(FailureNumber([&] { OutlinePoints(1, 1, 0, 0, xs, "0,0,100", 15, 15); }) ==
              err::kSubscript.number);
    }
}

TEST_CASE("shape controls as regions") {
    ShapeControl rounded{4, 0, 0, 3000, 1500};
    SUBCASE("a rounded rectangle follows the resolution only at its right and bottom") {
        ShapeGeometry at96 = Geometry(rounded, scale::kTwip, 15);
        CHECK(at96.kind == ShapeGeometry::RoundRectangle);
        CHECK(at96.right == 200);
        CHECK(at96.bottom == 100);
        CHECK(at96.corner == 25);
        ShapeGeometry at120 = Geometry(rounded, scale::kTwip, 12);
        CHECK(at120.right == 250);
        CHECK(at120.bottom == 125);
        CHECK(at120.corner == 25);
        ShapeGeometry moved = Geometry({4, 1500, 750, 3000, 1500}, scale::kTwip, 12);
        CHECK(moved.left == 100); // not scaled
        CHECK(moved.top == 50);
        CHECK(moved.right == 375);
    }
    SUBCASE("the other kinds") {
        ShapeGeometry rect = Geometry({1, 15, 30, 1500, 750}, scale::kTwip, 12);
        CHECK(rect.kind == ShapeGeometry::Rectangle);
        CHECK(rect.left == 1);
        CHECK(rect.top == 2);
        CHECK(rect.right == 101);
        CHECK(rect.bottom == 52);
        CHECK(Geometry({2, 0, 0, 10, 10}, scale::kPixel, 15).kind == ShapeGeometry::Ellipse);
        CHECK(Geometry({3, 0, 0, 10, 10}, scale::kPixel, 15).kind == ShapeGeometry::Ellipse);
        ShapeGeometry square = Geometry({5, 0, 0, 3000, 1500}, scale::kTwip, 15);
        CHECK(square.corner == 25); // 1500 / 15 / 4, in the control's units
        CHECK(square.right == 200);
        CHECK(Geometry({6, 0, 0, 10, 10}, scale::kPixel, 15).kind == ShapeGeometry::None);
    }
    SUBCASE("units") {
        ShapeGeometry inch = Geometry({0, 0, 0, 1, 1}, scale::kInch, 15);
        CHECK(inch.right == 96); // 1439 / 15 = 95.93
        CHECK(Geometry({0, 0, 0, 72, 72}, scale::kPoint, 15).right == 96);
        CHECK(Geometry({0, 0, 0, 10, 10}, scale::kMillimetre, 15).right == 38);
        CHECK(Geometry({0, 0, 0, 1, 1}, scale::kCentimetre, 15).right == 38);
        CHECK(TwipsPerScaleUnit(scale::kUser) == 0);
        CHECK(TwipsPerScaleUnit(scale::kCharacter) == 0);
    }
}
