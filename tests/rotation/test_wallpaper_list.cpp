// The list rules alone: stored form, path pieces, the two orders, removal and the schedule's walk, and
// what the list control and the preview are to show.
#include "core/app_error.h"
#include "rotation/collection_view.h"
#include "rotation/wallpaper_list.h"
#include "pixels/pixel_scale.h"
#include "shellutil/picture_format.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace tsln;
using testing::FailureNumber;

namespace {
WLEntry Entry(const std::string& name, const std::string& path = {}) {
    return {name, path.empty() ? "C:\\Walls\\" + name + ".jpg" : path, {}, 0};
}

WLList ListOf(const std::vector<std::string>& names) {
    WLList list;
    for (const auto& name : names)
        list.Append(Entry(name));
    return list;
}

std::vector<std::string> Names(const WLList& list) {
    std::vector<std::string> names;
    for (int16_t position = 1; position <= list.Count(); ++position)
        names.push_back(list[position].Name);
    return names;
}

// The same passes as SortByName, written out plainly, for checking where equal names end.
std::vector<std::string> ReferenceShellSort(std::vector<std::string> names) {
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const int n = static_cast<int>(names.size());
    for (int gap = HalfToEven(n + 1); gap >= 1; gap = HalfToEven(gap)) {
        for (bool swapped = true; swapped;) {
            swapped = false;
            for (int i = 0; i + gap < n; ++i)
                if (lower(names[i]) > lower(names[i + gap]))
                    std::swap(names[i], names[i + gap]), swapped = true;
        }
    }
    return names;
}
} // namespace

TEST_CASE("an entry's stored form and the texts it is read back from") {
    const WLEntry sea{"sea", "C:\\Walls\\sea.jpg", "", 0};
    CHECK(StoredForm(sea) == "C:\\Walls\\sea.jpg*sea**0");
    const WLEntry used{"Blue Sky", "C:\\Screens\\Blue Sky\\logonui.exe", "12/8/2024 9:47:00 AM", -12};
    const WLEntry back = ParseStoredForm(StoredForm(used));
    CHECK(back.Path == used.Path);
    CHECK(back.Name == used.Name);
    CHECK(back.LastUsed == used.LastUsed);
    CHECK(back.UseCount == -12);

    CHECK(ParseStoredForm("C:\\a b\\c d.jpg*c d*x* 7 ").UseCount == 7);
    CHECK(ParseStoredForm("a*b*c*&H10").UseCount == 16);
    CHECK(ParseStoredForm("a*b*c*32767*more*fields").UseCount == 32767);
    CHECK(ParseStoredForm("a*b*c*-32768").UseCount == -32768);
    CHECK(ParseStoredForm("a*b*c*2.5").UseCount == 2); // a fraction rounds half to even

    CHECK(FailureNumber([] { ParseStoredForm("C:\\Walls\\sea.jpg*sea*"); }) == err::kTypeMismatch.number);
    CHECK(FailureNumber([] { ParseStoredForm(""); }) == err::kTypeMismatch.number);
    CHECK(FailureNumber([] { ParseStoredForm("a*b*c*"); }) == err::kTypeMismatch.number);
    CHECK(FailureNumber([] { ParseStoredForm("a*b*c*many"); }) == err::kTypeMismatch.number);
    CHECK(FailureNumber([] { ParseStoredForm("a*b*c*32768"); }) == err::kOverflow.number);
    CHECK(FailureNumber([] { ParseStoredForm("a*b*c*70000"); }) == err::kOverflow.number);
    CHECK(FailureNumber([] { ParseStoredForm("a*b*c*99999999999"); }) == err::kOverflow.number);
}

TEST_CASE("the pieces of a path") {
    const std::string path = "C:\\Screens\\Blue Sky\\logonui.exe";
    CHECK(FilePart(path, 0) == "logonui");
    CHECK(FilePart(path, 1) == "Blue Sky");
    CHECK(FilePart(path, 2) == "logonui.exe");
    CHECK(FilePart(path, 3) == "exe");
    CHECK(FilePart(path, 4) == "C:\\Screens\\Blue Sky\\");
    CHECK(FilePart(path, 5) == "C:\\Screens\\");
    CHECK(FilePart(path, 6) == "");
    CHECK(FilePart(path, -1) == "");

    // The name ends at its first ".", the extension starts after the last one of the whole path.
    CHECK(FilePart("C:\\Walls\\sea.side.jpg", 0) == "sea");
    CHECK(FilePart("C:\\my.pictures\\sea", 0) == "sea");
    CHECK(FilePart("C:\\my.pictures\\sea", 3) == "pictures\\sea");
    CHECK(FilePart("C:\\Walls\\.hidden", 0) == "");
    // Near the root, and without any folder.
    CHECK(FilePart("C:\\sea.jpg", 1) == "C:");
    CHECK(FilePart("C:\\sea.jpg", 4) == "C:\\");
    CHECK(FilePart("C:\\sea.jpg", 5) == "");
    CHECK(FilePart("sea.jpg", 1) == "");
    CHECK(FilePart("sea.jpg", 4) == "");
    CHECK(FilePart("sea.jpg", 2) == "sea.jpg");
    CHECK(FilePart("", 0) == "");

    CHECK(EntryName(path, tType::Logons) == "Blue Sky");
    CHECK(EntryName(path, tType::Wallpapers) == "logonui");
    CHECK(EntryName("C:\\Walls\\sea.jpg", static_cast<tType>(7)) == "sea");
}

TEST_CASE("finding, adding and removing entries") {
    WLList list = ListOf({"a", "b", "c"});
    CHECK(list.Count() == 3);
    CHECK(list[0].Path == "");
    CHECK(list.FindEntry("C:\\WALLS\\B.JPG") == 2);
    CHECK(list.FindEntry("C:\\Walls\\d.jpg") == 0);
    CHECK(list.FindEntry("") == 0);
    CHECK(FailureNumber([&] { (void)list[4]; }) == 9);
    CHECK(FailureNumber([&] { (void)list[-1]; }) == 9);

    SUBCASE("the last entry: the one before becomes current") {
        CHECK(list.RemoveAt(3) == "C:\\Walls\\b.jpg");
        CHECK(Names(list) == std::vector<std::string>{"a", "b"});
    }
    SUBCASE("the first entry: the one after becomes current") {
        CHECK(list.RemoveAt(1) == "C:\\Walls\\b.jpg");
        CHECK(Names(list) == std::vector<std::string>{"b", "c"});
    }
    SUBCASE("the only entry: nothing is current") {
        WLList one = ListOf({"a"});
        CHECK(one.RemoveAt(1) == "");
        CHECK(one.Count() == 0);
    }
    SUBCASE("no such position") {
        CHECK(FailureNumber([&] { list.RemoveAt(0); }) == 9);
        CHECK(FailureNumber([&] { list.RemoveAt(4); }) == 9);
        CHECK(list.Count() == 3);
    }
    SUBCASE("a full list") {
        WLList full;
        for (int i = 0; i < WLList::kMaxCount; ++i)
            full.Append(Entry("x"));
        CHECK(FailureNumber([&] { full.Append(Entry("y")); }) == err::kOverflow.number);
        CHECK(full.Count() == WLList::kMaxCount);
    }
}

TEST_CASE("alphabetical order") {
    CHECK(HalfToEven(5) == 2); // N = 4: the first gap is 2
    CHECK(HalfToEven(6) == 3); // N = 5
    CHECK(HalfToEven(3) == 2); // N = 2, and the gap after 3
    CHECK(HalfToEven(1) == 0);
    CHECK(HalfToEven(4) == 2);

    WLList list = ListOf({"c", "a"});
    list.Append(Entry("B"));
    list.SortByName();
    CHECK(Names(list) == std::vector<std::string>{"a", "B", "c"});

    // Entries move as whole records.
    CHECK(list[2].Path == "C:\\Walls\\B.jpg");

    for (const auto& names :
         std::vector<std::vector<std::string>>{{},
                                               {"z"},
                                               {"b", "a"},
                                               {"e", "d", "c", "b", "a"},
                                               {"sea", "Sea", "reef", "SEA", "dune", "sea"}}) {
        WLList sorted = ListOf(names);
        sorted.SortByName();
        // Equal names end where the passes leave them: the same as the passes written out.
        CHECK(Names(sorted) == ReferenceShellSort(names));
    }
}

TEST_CASE("random order is reproducible from the list's size") {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("n" + std::to_string(100 + i));
    WLList first = ListOf(names), second = ListOf(names);
    first.Shuffle();
    second.Shuffle();
    CHECK(Names(first) == Names(second));
    CHECK(Names(first) != names);
    std::vector<std::string> again = Names(first);
    std::sort(again.begin(), again.end());
    CHECK(again == names); // a permutation: nothing lost, nothing doubled

    // The generator's values stay inside [0, 1) and differ from seed to seed.
    std::set<double> firsts;
    for (uint32_t seed = 0; seed < 50; ++seed) {
        ShuffleRandom random(seed);
        const double value = random.Next();
        CHECK(value >= 0.0);
        CHECK(value < 1.0);
        firsts.insert(value);
    }
    CHECK(firsts.size() == 50);

    WLList empty;
    empty.Shuffle();
    CHECK(empty.Count() == 0);
}

TEST_CASE("the schedule's next entry") {
    const WLList list = ListOf({"a", "b", "c"});
    auto all = [](const WLEntry&) { return true; };
    CHECK(list.NextPosition(3, all) == 1); // current c applies a
    CHECK(list.NextPosition(2, all) == 3); // current b applies c
    CHECK(list.NextPosition(0, all) == 1); // no current entry applies the first
    CHECK(WLList().NextPosition(0, all) == 0);

    // Entries refused are passed over, wrapping round; none usable gives none.
    auto notB = [](const WLEntry& e) { return e.Name != "b"; };
    CHECK(list.NextPosition(1, notB) == 3);
    auto onlyA = [](const WLEntry& e) { return e.Name == "a"; };
    CHECK(list.NextPosition(1, onlyA) == 1);
    CHECK(list.NextPosition(2, [](const WLEntry&) { return false; }) == 0);
}

TEST_CASE("what the list control shows and which line is selected") {
    WLList list;
    list.Append(Entry("sea", "C:\\North\\sea.jpg"));
    list.Append(Entry("reef"));
    list.Append(Entry("sea", "C:\\South\\sea.jpg"));

    const ListShow show = WhatEnumerateShows(list, 3, false);
    REQUIRE(show.lines.size() == 3);
    CHECK(show.lines[0].text == "sea");
    CHECK(show.lines[2].text == "sea");
    CHECK(show.lines[2].itemData == 3);
    // Two entries of the same name: the current one is found by its position, not its name.
    CHECK(show.selectedLine == 2);
    CHECK_FALSE(show.howToAdd);

    CHECK(WhatEnumerateShows(list, 0, false).selectedLine == 0);
    CHECK(WhatEnumerateShows(list, 2, true).howToAdd);
    const ListShow empty = WhatEnumerateShows(WLList(), 0, false);
    CHECK(empty.lines.empty());
    CHECK(empty.selectedLine == -1);
    CHECK(empty.howToAdd);

    CHECK(WhatPreviewShows(3, false, tType::Wallpapers) == PreviewShow::PictureFile);
    CHECK(WhatPreviewShows(3, false, tType::Logons) == PreviewShow::Screenshot);
    CHECK(WhatPreviewShows(3, true, tType::Wallpapers) == PreviewShow::NoPreview);
    CHECK(WhatPreviewShows(0, false, tType::Logons) == PreviewShow::NoPreview);
}

TEST_CASE("a picture fitted inside its preview") {
    const PixelSize box{230, 164};
    auto fit = [&](int w, int h) {
        PixelSize s = FitInside({w, h}, box);
        return std::to_string(s.width) + "x" + std::to_string(s.height);
    };
    CHECK(fit(4000, 3000) == "219x164"); // a 12-megapixel photo: the height fills the box
    CHECK(fit(300, 100) == "230x77");    // wide: the width fills it
    CHECK(fit(3000, 4000) == "123x164");
    CHECK(fit(230, 164) == "230x164");
    CHECK(fit(64, 48) == "64x48"); // small pictures keep their size
    CHECK(fit(100000, 1) == "230x1");
    CHECK(fit(0, 10) == "0x0");
}

TEST_CASE("the picture formats the program takes") {
    CHECK(IsPictureFormat("BM\x36\x00", 4));
    CHECK(IsPictureFormat("\xFF\xD8\xFF\xE0", 4));
    CHECK(IsPictureFormat("GIF87a", 6));
    CHECK(IsPictureFormat("GIF89a....", 10));
    CHECK_FALSE(IsPictureFormat("\x89PNG\r\n\x1a\n", 8));
    CHECK_FALSE(IsPictureFormat("GIF8", 4));
    CHECK_FALSE(IsPictureFormat("", 0));
    CHECK_FALSE(IsPictureFormat("hello, world", 12));
}

TEST_CASE("a picture scaled in bands of rows equals the picture scaled whole") {
    std::vector<uint32_t> photo(37 * 23);
    for (size_t i = 0; i < photo.size(); ++i)
        photo[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFF;
    PixelScaler banded({37, 23}, {10, 7});
    for (int first = 0; first < 23; first += 5)
        banded.AddRows(photo.data() + first * 37, 23 - first < 5 ? 23 - first : 5);
    CHECK(banded.Result() == ScalePixels(photo, 37, 23, 10, 7));
    // Until the last band is in there is nothing to show.
    PixelScaler partial({37, 23}, {10, 7});
    partial.AddRows(photo.data(), 22);
    CHECK(partial.Result().empty());
}

TEST_CASE(
    "where a wallpaper's pixels go: the whole picture stretched, the middle filling, all of it fitted") {
    auto text = [](PixelRect r) {
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
               std::to_string(r.height);
    };
    auto place = [&](PixelSize picture, PixelSize screen, WallpaperFit fit) {
        const Placement p = PlacePicture(picture, screen, fit);
        return text(p.source) + " > " + text(p.target);
    };
    // A 4:3 photo on a 16:10 screen, and an upright one.
    CHECK(place({4000, 3000}, {1280, 800}, WallpaperFit::kStretch) == "0,0 4000x3000 > 0,0 1280x800");
    CHECK(place({4000, 3000}, {1280, 800}, WallpaperFit::kFill) == "0,250 4000x2500 > 0,0 1280x800");
    CHECK(place({4000, 3000}, {1280, 800}, WallpaperFit::kFit) == "0,0 4000x3000 > 106,0 1067x800");
    CHECK(place({1001, 2003}, {1280, 800}, WallpaperFit::kFill) == "0,688 1001x626 > 0,0 1280x800");
    CHECK(place({1001, 2003}, {1280, 800}, WallpaperFit::kFit) == "0,0 1001x2003 > 440,0 400x800");
    // Smaller than the screen: scaled up all the same.
    CHECK(place({64, 48}, {1024, 768}, WallpaperFit::kFit) == "0,0 64x48 > 0,0 1024x768");
    CHECK(place({30, 20}, {1024, 768}, WallpaperFit::kFit) == "0,0 30x20 > 0,42 1024x683");
    CHECK(place({30, 20}, {1024, 768}, WallpaperFit::kFill) == "1,0 27x20 > 0,0 1024x768");
    // Never less than a pixel.
    CHECK(place({100000, 1}, {1024, 768}, WallpaperFit::kFit) == "0,0 100000x1 > 0,383 1024x1");
    CHECK(place({1, 100000}, {1024, 768}, WallpaperFit::kFill) == "0,49999 1x1 > 0,0 1024x768");
}

TEST_CASE("a small picture grows smoothly, and a scaled picture keeps flat areas flat") {
    // Black and white side by side, eight times as wide: a ramp between them, no steps of four.
    const std::vector<uint32_t> ramp = ScalePixels({0x000000, 0xFFFFFF}, 2, 1, 8, 1);
    REQUIRE(ramp.size() == 8);
    CHECK(ramp[0] == 0);
    CHECK(ramp[7] == 0xFFFFFF);
    for (size_t i = 1; i < ramp.size(); ++i)
        CHECK((ramp[i] & 0xFF) >= (ramp[i - 1] & 0xFF));
    CHECK((ramp[3] & 0xFF) > 0x30);
    CHECK((ramp[3] & 0xFF) < 0x80);
    CHECK(ScalePixels(std::vector<uint32_t>(6, 0x80123456), 3, 2, 11, 7) ==
          std::vector<uint32_t>(77, 0x80123456));
}
