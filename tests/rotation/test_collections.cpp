// Picture collections on the real registry, real files and a real page of controls: restoring and
// saving, adding, removing, the orders, the schedule's walk and the list and preview they fill.
#include "core/clsSetari.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/cls_wallpaper_logons.h"
#include "rotation/collection_view.h"
#include "tests/rotation/rotation_fixture.h"
#include "tests/shellutil/file_dialog.h"

#include <doctest.h>

using namespace tsln;
using namespace rotation_test;

namespace {
constexpr tsln::tType kW = tsln::tType::Wallpapers, kL = tsln::tType::Logons;

// Small pictures in a folder of their own, one file per name given.
struct Pictures {
    testing::TempDir dir{"walls"};
    std::string Add(const std::string& name, const std::string& bytes) {
        const std::string path = dir / name;
        REQUIRE(testing::WriteFileBytes(path, bytes));
        return path;
    }
    std::string Add(const std::string& name) {
        return Add(name, testing::ReadFileBytes(DataFile("sea.jpg")));
    }
};

std::string Stored(const std::string& path, const std::string& name, const std::string& lastUsed = {},
                   int count = 0) {
    return path + "*" + name + "*" + lastUsed + "*" + std::to_string(count);
}

std::vector<std::string> Names(const clsWallpaperLogons& wl) {
    std::vector<std::string> names;
    for (int16_t p = 1; p <= wl.Entries().Count(); ++p)
        names.push_back(wl.Entries()[p].Name);
    return names;
}

using Strings = std::vector<std::string>;
} // namespace

TEST_CASE("restoring drops an entry whose file was deleted; the next save no longer holds it") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), c = pictures.Add("c.jpg");
    const std::string b = pictures.dir / "b.jpg"; // deleted: its folder is there, the file is not
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b", "1/2/2024 3:04:05 PM", 4), Stored(c, "c")});
    guard.StoreCurrent(kW, c);
    {
        clsWallpaperLogons wl;
        wl.SettType(tType::Wallpapers);
        CHECK(Names(wl) == Strings{"a", "c"});
        CHECK(wl.CurrentPath() == c);
        CHECK_FALSE(wl.Silent());
    }
    CHECK(guard.StoredList(kW) == Strings{Stored(a, "a"), Stored(c, "c")});
    CHECK(guard.StoredCurrent(kW) == c);
    CHECK(guard.Log().empty());
}

TEST_CASE("entries out of reach are kept, passed over by the schedule without a word, and saved unchanged") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), c = pictures.Add("c.jpg");
    const std::string distant =
        Stored(UnusedDrive() + "\\Walls\\far.jpg", "distant", "1/2/2024 3:04:05 PM", 3);
    const std::string gone = Stored(pictures.dir / "not yet mounted\\x.jpg", "x");
    const std::string longPath = Stored("C:\\" + std::string(300, 'l') + "\\sea.jpg", "sea");
    guard.StoreList(kW, {Stored(a, "a"), distant, gone, longPath, Stored(c, "c")});
    guard.StoreCurrent(kW, a);
    {
        clsWallpaperLogons wl;
        wl.SettType(tType::Wallpapers);
        CHECK(Names(wl) == Strings{"a", "distant", "x", "sea", "c"});
        wl.SetWL(kNextEntry);
        CHECK(wl.CurrentPath() == c);
        wl.SetWL(kNextEntry);
        CHECK(wl.CurrentPath() == a);
        CHECK(wl.Entries().Count() == 5);
    }
    CHECK(boxes.Seen().empty());
    const Strings saved = guard.StoredList(kW);
    REQUIRE(saved.size() == 5);
    CHECK(saved[1] == distant);
    CHECK(saved[2] == gone);
    CHECK(saved[3] == longPath);
    CHECK(saved[4].substr(saved[4].size() - 2) == "*1");
}

TEST_CASE("a list text that cannot be read stops restoring, and nothing stored is lost") {
    for (const char* bad :
         {"C:\\Walls\\broken.jpg*broken*", "C:\\Walls\\n.jpg*n**lots", "C:\\Walls\\n.jpg*n**70000"}) {
        CAPTURE(bad);
        CollectionGuard guard;
        Pictures pictures;
        const std::string a = pictures.Add("a.jpg"), c = pictures.Add("c.jpg");
        guard.StoreList(kW, {Stored(a, "a"), bad, Stored(c, "c")});
        guard.StoreCurrent(kW, c);
        testing::SetString(HKEY_CURRENT_USER, settings_test::At("Wallpapers"), "DefaultDir", "C:\\Walls\\");
        {
            clsWallpaperLogons wl;
            wl.SettType(tType::Wallpapers);
            CHECK(Names(wl) == Strings{"a"});
            // The current path and the last folder come after the list and are not read.
            CHECK(wl.CurrentPath() == "");
            CHECK(wl.LastFolder() == "");
        }
        const std::string log = guard.Log();
        CHECK(log.find("Tessaline.colWL.Restore") != std::string::npos);
        CHECK(guard.StoredList(kW) == Strings{Stored(a, "a"), bad, Stored(c, "c")});
        CHECK(guard.StoredCurrent(kW) == c);
        CHECK(testing::ReadString(HKEY_CURRENT_USER, settings_test::At("Wallpapers"), "DefaultDir") ==
              "C:\\Walls\\");
    }
}

TEST_CASE("a collection whose kind was never set saves nothing") {
    CollectionGuard guard;
    guard.StoreList(kL, {Stored("C:\\x\\logonui.exe", "x")});
    { clsWallpaperLogons wl; }
    CHECK(guard.StoredList(kL) == Strings{Stored("C:\\x\\logonui.exe", "x")});
}

TEST_CASE("adding files: names, alphabetical order, duplicates in any letter case") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), c = pictures.Add("c.jpg");
    const std::string b = pictures.Add("B.side.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(c, "c")});
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl);

    wl.AddFile(b);
    CHECK(Names(wl) == Strings{"a", "B", "c"});
    CHECK(wl.CurrentPath() == b);
    CHECK(page.Lines() == Strings{"a", "B", "c"});
    CHECK(page.ItemData() == std::vector<int>{1, 2, 3});
    CHECK(page.SelectedLine() == 1);
    CHECK(wl.Entries()[2].UseCount == 0);
    CHECK(wl.Entries()[2].LastUsed == "");
    CHECK(wl.LastFolder() == ""); // a dropped file leaves the picker's folder alone

    std::string upper = a;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    wl.AddFile(upper);
    CHECK(wl.Entries().Count() == 3);
    CHECK(page.SelectedLine() == 0);
    CHECK(guard.Log().find("File " + upper + " allready exist in your list!") != std::string::npos);
}

TEST_CASE("the schedule applies the entry after the current one") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg"), c = pictures.Add("c.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b"), Stored(c, "c")});
    struct Step {
        std::string current, applied;
    };
    for (const Step& step : {Step{c, a}, Step{b, c}, Step{"C:\\elsewhere\\z.jpg", a}, Step{"", a}}) {
        CAPTURE(step.current);
        guard.StoreCurrent(kW, step.current);
        {
            clsWallpaperLogons wl;
            wl.SettType(tType::Wallpapers);
            const std::string before = GeneralDateTimeNow();
            wl.SetWL(kNextEntry);
            const std::string after = GeneralDateTimeNow();
            CHECK(wl.Silent());
            CHECK(wl.CurrentPath() == step.applied);
            const WLEntry& applied = wl.Entries()[wl.Entries().FindEntry(step.applied)];
            CHECK(applied.UseCount == 1);
            CHECK((applied.LastUsed == before || applied.LastUsed == after));
        }
        CHECK(guard.StoredCurrent(kW) == step.applied);
        guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b"), Stored(c, "c")});
    }
}

TEST_CASE("the schedule on an empty list does nothing") {
    CollectionGuard guard;
    guard.StoreList(kW, {});
    guard.StoreCurrent(kW, "C:\\Walls\\a.jpg");
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    wl.SetWL(kNextEntry);
    CHECK_FALSE(wl.Silent());
    CHECK(wl.CurrentPath() == "C:\\Walls\\a.jpg");
    CHECK_FALSE(testing::PathExists(guard.BitmapPath()));
}

TEST_CASE("the default is applied on an empty list too and empties the current path") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b")});
    guard.StoreCurrent(kW, b);
    {
        clsWallpaperLogons wl;
        wl.SettType(tType::Wallpapers);
        wl.SetWL(kDefaultEntry);
        CHECK(wl.CurrentPath() == "");
        CHECK(wl.Entries()[1].UseCount == 0);
        wl.SetWL(kNextEntry);
        CHECK(wl.CurrentPath() == a);
    }
    guard.StoreList(kW, {});
    clsWallpaperLogons empty;
    empty.SettType(tType::Wallpapers);
    empty.SetWL(kDefaultEntry);
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper") == "");
    empty.SetWL(7);
    CHECK(empty.CurrentPath() == "");
}

TEST_CASE("removing the selected entry selects the neighbour") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg"), c = pictures.Add("c.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b"), Stored(c, "c")});
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl);

    SUBCASE("the last entry: the one before it") {
        page.Choose(2);
        wl.Remove();
        CHECK(wl.CurrentPath() == b);
        CHECK(page.Lines() == Strings{"a", "b"});
        CHECK(page.SelectedLine() == 1);
    }
    SUBCASE("the first entry: the one after it") {
        page.Choose(0);
        wl.Remove();
        CHECK(wl.CurrentPath() == b);
        CHECK(page.Lines() == Strings{"b", "c"});
        CHECK(page.ItemData() == std::vector<int>{1, 2});
        CHECK(page.SelectedLine() == 0);
    }
    SUBCASE("every entry: nothing is current, and the hint shows") {
        for (int i = 0; i < 3; ++i) {
            page.Choose(0);
            wl.Remove();
        }
        CHECK(wl.Entries().Count() == 0);
        CHECK(wl.CurrentPath() == "");
        CHECK(page.Lines().empty());
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kHowToAddPicture));
    }
    SUBCASE("no line selected: nothing is removed") {
        page.Choose(-1);
        wl.Remove();
        CHECK(wl.Entries().Count() == 3);
    }
}

TEST_CASE("without controls, operations on the selected line fail and are reported") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    guard.StoreList(kW, {Stored(pictures.Add("a.jpg"), "a")});
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    wl.Enumerate(); // nothing to fill: no report
    CHECK(guard.Log().empty());
    wl.Remove();
    REQUIRE(boxes.Seen().size() == 1);
    CHECK(boxes.Seen()[0].title == "Program error Tessaline");
    CHECK(boxes.Seen()[0].text.find("Error Number: 91\r\nObject variable or With block variable not set") ==
          0);
    CHECK(boxes.Seen()[0].text.find("Tessaline.clsWallpaperLogons.Remove") != std::string::npos);
    CHECK_FALSE(wl.Preview());
    wl.SetWL(kSelectedEntry);
    CHECK(guard.Log().find("Tessaline.colWL.Preview") != std::string::npos);
    CHECK(guard.Log().find("Tessaline.clsWallpaperLogons.SetWL") != std::string::npos);
    CHECK(wl.Entries().Count() == 1);
}

TEST_CASE("two entries with the same name: the current one is selected, previewed and applied") {
    CollectionGuard guard;
    Pictures north, south;
    const std::string red = north.Add("sea.bmp", BitmapFileBytes(8, 8, [](int, int) { return 0xC00000u; }));
    const std::string blue = south.Add("sea.bmp", BitmapFileBytes(8, 8, [](int, int) { return 0x0000C0u; }));
    guard.StoreList(kW, {Stored(red, "sea"), Stored(blue, "sea")});
    guard.StoreCurrent(kW, blue);
    TestPage page;
    clsWallpaperLogons wl;
    page.OnSelect = [&] { wl.Preview(); };
    page.Open(wl);
    CHECK(page.Lines() == Strings{"sea", "sea"});
    CHECK(page.SelectedLine() == 1);
    CHECK(ReadPixels(page.Shown()).At(3, 3) == 0x0000C0u);

    wl.SetWL(kSelectedEntry);
    CHECK(wl.CurrentPath() == blue);
    CHECK(BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath())).At(0, 0) == 0x0000C0u);
}

TEST_CASE("a file gone when it is previewed or applied is reported and its entry removed; the schedule "
          "only logs it and goes on to the next entry") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg"), c = pictures.Add("c.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b"), Stored(c, "c")});
    guard.StoreCurrent(kW, a);
    TestPage page;
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    REQUIRE(DeleteFileA(b.c_str()));

    SUBCASE("previewed on the page") {
        wl.SetControls(page.Controls());
        wl.Enumerate();
        page.Choose(1);
        CHECK_FALSE(wl.Preview());
        CHECK(page.Lines() == Strings{"a", "c"});
        CHECK(page.SelectedLine() == 1);
        CHECK(wl.CurrentPath() == c);
    }
    SUBCASE("applied from the page") {
        wl.SetControls(page.Controls());
        wl.Enumerate();
        page.Choose(1);
        wl.SetWL(kSelectedEntry);
        CHECK(page.Lines() == Strings{"a", "c"});
        CHECK_FALSE(testing::PathExists(guard.BitmapPath()));
    }
    SUBCASE("applied by the schedule, without controls") {
        wl.SetWL(kNextEntry);
        CHECK(Names(wl) == Strings{"a", "c"});
        CHECK(wl.CurrentPath() == c);
        CHECK(wl.Entries()[2].UseCount == 1);
        CHECK(testing::PathExists(guard.BitmapPath()));
        CHECK(guard.Log().find("File not found: " + b) != std::string::npos);
        CHECK(boxes.Seen().empty());
        return;
    }
    const auto seen = boxes.Seen();
    REQUIRE(seen.size() == 1);
    CHECK(seen[0].title == "Tessaline");
    CHECK(seen[0].text == "File not found: " + b);
    CHECK(seen[0].buttons == "OK");
}

TEST_CASE("a picture another program holds without sharing stays listed when the schedule cannot load it") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b")});
    guard.StoreCurrent(kW, a);
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    const unique_file held(
        CreateFileA(b.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(held);
    wl.SetWL(kNextEntry);
    CHECK(Names(wl) == Strings{"a", "b"});
    CHECK(guard.Log().find("error occured when trying to save as bitmap " + b) != std::string::npos);
}

TEST_CASE(
    "the schedule drops every file gone since the list was restored, and applies nothing when all are") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string a = pictures.Add("a.jpg"), b = pictures.Add("b.jpg");
    guard.StoreList(kW, {Stored(a, "a"), Stored(b, "b")});
    guard.StoreCurrent(kW, b);
    {
        clsWallpaperLogons wl;
        wl.SettType(tType::Wallpapers);
        REQUIRE(DeleteFileA(a.c_str()));
        REQUIRE(DeleteFileA(b.c_str()));
        wl.SetWL(kNextEntry);
        CHECK(wl.Entries().Count() == 0);
        CHECK(wl.CurrentPath() == "");
    }
    CHECK_FALSE(testing::PathExists(guard.BitmapPath()));
    CHECK(guard.StoredList(kW).empty());
    CHECK(guard.Log().find("File not found: " + a) != std::string::npos);
    CHECK(guard.Log().find("File not found: " + b) != std::string::npos);
    CHECK(boxes.Seen().empty());
}

TEST_CASE("an entry out of reach when it is previewed is reported and kept") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string distant = UnusedDrive() + "\\Walls\\far.jpg";
    guard.StoreList(kW, {Stored(pictures.Add("a.jpg"), "a"), Stored(distant, "distant")});
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl);
    page.Choose(1);
    CHECK_FALSE(wl.Preview());
    CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));
    wl.SetWL(kSelectedEntry);
    CHECK(wl.Entries().Count() == 2);
    REQUIRE(boxes.Seen().size() == 2);
    CHECK(boxes.Seen()[1].text == "File not found: " + distant);
}

TEST_CASE(
    "the preview: the desktop as it will look, in the screen's shape, smooth, and the built-in pictures") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string wide = pictures.Add("wide.jpg", testing::ReadFileBytes(DataFile("wide.jpg")));
    // One-pixel black and white squares: scaled to half, every pixel must come out an even grey.
    const std::string checks = pictures.Add("checks.bmp", BitmapFileBytes(460, 328, [](int x, int y) {
                                                return (x + y) % 2 ? 0xFFFFFFu : 0x000000u;
                                            }));
    const std::string small = pictures.Add("dune.gif", testing::ReadFileBytes(DataFile("dune.gif")));
    guard.StoreList(kW, {Stored(checks, "checks"), Stored(small, "dune"), Stored(wide, "wide")});
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl); // nothing is current: the first line

    // The screen's shape fitted inside the preview.
    const PixelSize screen = FitInside(WallpaperScreenSize(), {230, 164});
    CHECK(page.SelectedLine() == 0);
    CHECK(wl.Preview());
    Pixels shown = ReadPixels(page.Shown());
    CHECK(shown.width == screen.width);
    CHECK(shown.height == screen.height);
    int grey = 0;
    for (uint32_t pixel : shown.rgb)
        grey += Near(pixel, 0x808080u, 24);
    CHECK(grey == static_cast<int>(shown.rgb.size()));

    page.Choose(1);
    CHECK(wl.Preview());
    shown = ReadPixels(page.Shown());
    CHECK(shown.width == screen.width); // small pictures grow to the screen, as on the desktop
    CHECK(shown.height == screen.height);
    CHECK(Near(shown.At(screen.width / 2, screen.height / 2), 0xE08020u, 8));

    page.Choose(2);
    CHECK(wl.Preview());
    shown = ReadPixels(page.Shown());
    CHECK(shown.width == screen.width); // stretched over the whole screen
    CHECK(Near(shown.At(screen.width / 15, 2), 0xD02020u, 24));
    CHECK(Near(shown.At(screen.width - screen.width / 15, screen.height - 3), 0x2040D0u, 24));

    // Fitted: the desktop's colour above and below.
    clsSetari settings;
    settings.SetWFit(WallpaperFit::kFit);
    CHECK(wl.Preview());
    shown = ReadPixels(page.Shown());
    CHECK(shown.At(screen.width / 2, 1) == DesktopBackground());
    CHECK(shown.At(screen.width / 2, screen.height - 2) == DesktopBackground());
    CHECK(Near(shown.At(screen.width / 15, screen.height / 2), 0xD02020u, 24));
    settings.SetWFit(WallpaperFit::kStretch);

    SUBCASE("the default chosen: the hint, then no preview") {
        testing::SetDword(HKEY_CURRENT_USER, settings_test::At("Wallpapers"), "Default", 1);
        wl.Enumerate();
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kHowToAddPicture));
        CHECK(wl.Preview());
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));
    }
    SUBCASE("a file that is no picture: no preview, and the failure is shown") {
        REQUIRE(testing::WriteFileBytes(wide, "just some words"));
        CHECK_FALSE(wl.Preview());
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));
        REQUIRE(boxes.Seen().size() == 1);
        CHECK(boxes.Seen()[0].text.find("Error Number: 481\r\nInvalid picture") == 0);
        CHECK(boxes.Seen()[0].text.find("Tessaline.colWL.Preview") != std::string::npos);
        CHECK(wl.Entries().Count() == 3); // previewing removes nothing
    }
    SUBCASE("an empty list: the hint") {
        for (int i = 0; i < 3; ++i) {
            page.Choose(0);
            wl.Remove();
        }
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kHowToAddPicture));
        CHECK(wl.Preview());
        CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));
    }
}

TEST_CASE("random order: fixed until the next sort, and the schedule follows it") {
    CollectionGuard guard;
    Pictures pictures;
    testing::SetDword(HKEY_CURRENT_USER, settings_test::At("Wallpapers"), "Sort", 0);
    Strings stored;
    WLList expected;
    for (char name = 'a'; name <= 'h'; ++name) {
        const std::string path = pictures.Add(std::string(1, name) + ".jpg");
        if (name != 'h') stored.push_back(Stored(path, std::string(1, name)));
        expected.Append({std::string(1, name), path, {}, 0});
    }
    guard.StoreList(kW, stored);
    expected.Shuffle();
    Strings order;
    {
        clsWallpaperLogons wl;
        wl.SettType(tType::Wallpapers);
        wl.AddFile(pictures.dir / "h.jpg"); // every addition sorts: here at random
        for (int16_t p = 1; p <= expected.Count(); ++p)
            CHECK(wl.Entries()[p].Path == expected[p].Path);
        order = Names(wl);
        CHECK(order != Strings{"a", "b", "c", "d", "e", "f", "g", "h"});
    }
    guard.StoreCurrent(kW, "");
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    CHECK(Names(wl) == order); // restoring does not shuffle again
    for (size_t i = 0; i < order.size(); ++i) {
        wl.SetWL(kNextEntry);
        CHECK(wl.Entries()[wl.Entries().FindEntry(wl.CurrentPath())].Name == order[i]);
    }
    testing::SetDword(HKEY_CURRENT_USER, settings_test::At("Wallpapers"), "Sort", 255);
    wl.Sort();
    CHECK(Names(wl) == Strings{"a", "b", "c", "d", "e", "f", "g", "h"});
}

TEST_CASE("choosing a file with the real picker") {
    CollectionGuard guard;
    Pictures pictures;
    const std::string path = pictures.Add("my sea.jpg");
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl);
    HWND owner = nullptr;
    {
        testing::DialogDriver driver("Select a image file", [&](HWND dialog) {
            owner = GetWindow(dialog, GW_OWNER);
            shelltest::TypeFileName(dialog, path);
            testing::Press(dialog, IDOK);
        });
        wl.AddFile();
        driver.Finish();
        CHECK(driver.Acted());
        CHECK_FALSE(driver.ForcedClose());
    }
    CHECK(owner == page.Window());
    CHECK(Names(wl) == Strings{"my sea"});
    CHECK(wl.LastFolder() == pictures.dir.Path() + "\\");
    CHECK(page.Lines() == Strings{"my sea"});
    {
        testing::DialogDriver driver("Select a image file",
                                     [](HWND dialog) { testing::Press(dialog, IDCANCEL); });
        wl.AddFile();
        driver.Finish();
        CHECK(driver.Acted());
    }
    CHECK(wl.Entries().Count() == 1);
    CHECK(guard.Log().empty());
}

TEST_CASE("failures are shown until the first scheduled change, then only logged") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures;
    const std::string bad1 = pictures.Add("bad1.jpg", "no picture"),
                      bad2 = pictures.Add("bad2.jpg", "nor this");
    guard.StoreList(kW, {Stored(bad1, "bad1"), Stored(bad2, "bad2")});
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl);
    page.Choose(0);
    wl.SetWL(kSelectedEntry);
    REQUIRE(boxes.Seen().size() == 1);
    CHECK(boxes.Seen()[0].title == "Program error Tessaline");
    CHECK(boxes.Seen()[0].text.find("error occured when trying to save as bitmap " + bad1) !=
          std::string::npos);
    CHECK(boxes.Seen()[0].text.find("Tessaline.clsWallpaperLogons.Sett") != std::string::npos);

    wl.SetWL(kNextEntry);
    CHECK(wl.Silent());
    CHECK(boxes.Seen().size() == 1);
    CHECK(wl.Entries().Count() == 0);
    const std::string log = guard.Log();
    CHECK(log.find("error occured when trying to save as bitmap " + bad2) != std::string::npos);
    CHECK(log.find("Tessaline.clsWallpaperLogons.SaveBMP") != std::string::npos);
}
