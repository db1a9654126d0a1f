// The skins page's real controls bound to the skin manager: the list filled, a preview shown, the
// description written and the apply button following the choice.
#include "core/units.h"
#include "skins/clsSkins.h"
#include "skins/skins_page.h"
#include "tests/skins/skins_fixture.h"
#include "ui/controls/picture_box.h"

#include <doctest.h>

using namespace tsln;
using namespace skins_test;

TEST_CASE("the skins page's controls follow the skin manager") {
    SkinsFixture f;
    f.AddPackage("Blue_Sky");
    f.AddPackage("Night");
    f.StoreSetting("Skin", "Night");

    TestWindow window;
    auto twips = [](int pixels) { return PixelsToTwips(pixels, ScreenDpiX()); };
    PictureBox panel(window.hwnd(), {0, 0, twips(460), twips(300)});
    ComboBox list(panel.hwnd(), {twips(10), twips(10), twips(200), twips(200)});
    Image preview(panel.hwnd(), {twips(10), twips(40), twips(230), twips(164)});
    Label description(panel.hwnd(), "", {twips(250), twips(40), twips(200), twips(60)});
    CommandButton apply(panel.hwnd(), "Apply", {twips(250), twips(110), twips(80), twips(24)});
    list.Click = [] {};

    clsSkins skins(f.Setup());
    skins.SetControls(BindSkinsPage(list, preview, description, apply));
    CHECK_FALSE(apply.Enabled()); // binding disables it

    skins.Enumerate();
    REQUIRE(list.ListCount() == 2);
    CHECK(list.List(0) == "Blue Sky");
    CHECK(list.List(1) == "Night");
    CHECK(list.Text() == "Night");
    CHECK(list.Enabled());

    // The current skin previewed: its picture and description shown, nothing to apply.
    CHECK(skins.Preview());
    CHECK(preview.Picture() != nullptr);
    CHECK(description.Text().rfind("Name: ", 0) == 0);
    CHECK_FALSE(apply.Enabled());

    // Another one chosen: it may be applied.
    list.SetText("Blue Sky");
    CHECK(skins.Preview());
    CHECK(apply.Enabled());
    CHECK(f.DataFiles().empty());
}
