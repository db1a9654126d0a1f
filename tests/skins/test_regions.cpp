// Outlines and colours on real windows: regions read back from the window, the unit conversions with
// their "Error" box, and controls that refuse a colour.
#include "core/units.h"
#include "skins/clsSkins.h"
#include "skins/skin_regions.h"
#include "tests/skins/skins_fixture.h"

#include <doctest.h>

using namespace tsln;
using namespace skins_test;

namespace {
unique_gdi RoundRect(int right, int bottom, int corner) {
    return unique_gdi(CreateRoundRectRgn(0, 0, right, bottom, corner, corner));
}
HRGN H(const unique_gdi& region) {
    return static_cast<HRGN>(region.get());
}
} // namespace

TEST_CASE("the skin's colours reach every control that takes them, and the window") {
    SkinsFixture f;
    f.AddPackage("Night", SkinIni({{"COLORS/NormalControl", "&H336699"}, {"COLORS/NormalFont", "4210752"}}));
    TestWindow window;
    TestPage page;
    clsSkins skins(f.Setup());
    Bind(skins, window, page);
    skins.SetSkin("");
    CHECK(skins.NormalControl() == 0x336699);
    CHECK(skins.NormalFont() == 4210752);

    TestWindow dialog; // a dialog borrowing the skin
    skins.ApplyToForm(&dialog);
    skins.ChangeControlsColors();
    CHECK(dialog.controls[0]->back == COLORREF(0x336699));
    CHECK(dialog.controls[0]->fore == COLORREF(4210752));
    CHECK(dialog.controls[1]->back == COLORREF(0x336699)); // it has no text colour
    CHECK(!dialog.controls[1]->fore);
    CHECK(!dialog.controls[2]->back); // it refused its back colour but takes the other
    CHECK(dialog.controls[2]->fore == COLORREF(4210752));
    CHECK(dialog.back == COLORREF(0x336699));
    CHECK(dialog.fore == COLORREF(4210752));
    skins.ApplyToForm(&window); // as the dialog does when it unloads
    CHECK(f.Log().empty());
}

TEST_CASE("dialog outlines from their shape control") {
    SkinsFixture f;
    f.AddPackage("Night");
    TestWindow dialog;
    clsSkins skins(f.Setup());
    skins.ApplyToForm(&dialog);
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();

    SUBCASE("a rounded rectangle in twips") {
        ShapeControl shape{4, 0, 0, 3000, 1500};
        skins.ShapeRegion(&shape);
        unique_gdi expected = RoundRect(200 * 15 / tx, 100 * 15 / ty, 25);
        CHECK(dialog.RegionEquals(H(expected)));
        skins.ShapeRegion(nullptr); // no shape: rectangular again
        CHECK(!dialog.HasRegion());
    }
    SUBCASE("an oval in inches") {
        dialog.scaleMode = scale::kInch;
        ShapeControl shape{2, 0, 0, 1, 1};
        skins.ShapeRegion(&shape);
        unique_gdi expected(CreateEllipticRgn(0, 0, 96, 96)); // 1439 / 15 = 95.93
        CHECK(dialog.RegionEquals(H(expected)));
    }
    SUBCASE("a kind that does not exist leaves the window rectangular") {
        ShapeControl shape{9, 0, 0, 3000, 1500};
        skins.ShapeRegion(&shape);
        CHECK(!dialog.HasRegion());
    }
    SUBCASE("a user-defined unit: an Error box per conversion and an empty outline") {
        dialog.scaleMode = scale::kUser;
        ShapeControl shape{0, 10, 10, 3000, 1500};
        skins.ShapeRegion(&shape);
        std::vector<testing::BoxInfo> boxes = f.Boxes(4);
        REQUIRE(boxes.size() == 4);
        for (const auto& box : boxes) {
            CHECK(box.text == "Error");
            CHECK(box.title == "Tessaline");
        }
        unique_gdi region(CreateRectRgn(0, 0, 1, 1));
        REQUIRE(GetWindowRgn(dialog.Hwnd(), H(region)) == NULLREGION);
        RECT box;
        GetRgnBox(H(region), &box);
        CHECK(box.left == 0);
        CHECK(box.right == 0);
        CHECK(f.Log().empty()); // told, not reported
    }
    SUBCASE("converting into an unsupported unit is told and reported") {
        CHECK(skins.StS(1440, scale::kTwip, scale::kCharacter) == 0);
        CHECK(f.Boxes(2).size() == 2);
        CHECK(f.watcher.Seen()[0].text == "Error");
        CHECK(f.Log().find("Division by zero\r\n\r\nDebug Information:\r\nTessaline.clsSkins.StS") !=
              std::string::npos);
        CHECK(skins.StS(1440, scale::kTwip, scale::kPoint) == 72);
        CHECK(skins.StS(1, scale::kCentimetre, scale::kMillimetre) == doctest::Approx(567.0 / 57));
    }
}

TEST_CASE("skin outlines as regions") {
    SkinsFixture f;
    f.AddPackage("Night");
    clsSkins skins(f.Setup());
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    SUBCASE("at the screen's resolution") {
        unique_gdi region = skins.CreateFormRegion(1, 1, 0, 0, "0,200,200,0", "0,0,100,100");
        REQUIRE(region);
        unique_gdi expected(CreateRectRgn(0, 0, 200 * 15 / tx, 100 * 15 / ty));
        CHECK(SameArea(H(region), H(expected)));
    }
    SUBCASE("at 120 dots per inch") {
        unique_gdi region = PolygonRegion(OutlinePoints(1, 1, 0, 0, "0,200,200,0", "0,0,100,100", 12, 12));
        unique_gdi expected(CreateRectRgn(0, 0, 250, 125));
        CHECK(SameArea(H(region), H(expected)));
        unique_gdi rounded = GeometryRegion(
            ShapeToGeometry({4, 0, 0, 3000, 1500}, scale::kTwip, 12, 12, [](double v, int from, int to) {
                return v * TwipsPerScaleUnit(from) / TwipsPerScaleUnit(to);
            }));
        unique_gdi expectedRound = RoundRect(250, 125, 25);
        CHECK(SameArea(H(rounded), H(expectedRound)));
    }
    SUBCASE("a non-rectangular outline") {
        unique_gdi region = skins.CreateFormRegion(2, 2, 5, 5, "0,50,0", "0,0,50");
        REQUIRE(region);
        POINT corners[] = {{5, 5}, {5 + 100 * 15 / tx, 5}, {5, 5 + 100 * 15 / ty}};
        unique_gdi expected(CreatePolygonRgn(corners, 3, ALTERNATE));
        CHECK(SameArea(H(region), H(expected)));
    }
    SUBCASE("lists that make no outline are reported") {
        CHECK(!skins.CreateFormRegion(1, 1, 0, 0, "0,200,200,0", "0,0,100"));
        CHECK(!skins.CreateFormRegion(1, 1, 0, 0, "0,200", "0,0"));
        CHECK(f.Boxes(2).size() == 2);
        const std::string log = f.Log();
        CHECK(
            log.find(
                "Subscript out of range\r\n\r\nDebug Information:\r\nTessaline.clsSkins.CreateFormRegion") !=
            std::string::npos);
    }
}
