// The skin manager with real packages in a scratch skins folder, the real tsln.dll, the real registry and
// a real window: listing, creating, previewing and applying skins, and what bad packages do.
#include "core/mod_main.h"
#include "core/units.h"
#include "skins/clsSkins.h"
#include "skins/skin_values.h"
#include "tests/skins/skins_fixture.h"
#include "tools/driver/driver.h"

#include <algorithm>
#include <doctest.h>

using namespace tsln;
using namespace skins_test;

namespace {
const char* const kNotCompatible = "This skin isn't compatible with\r\nyour version of Tessaline!\r\n\r\n"
                                   "You must upgrade Tessaline or use other skin.";
const char* const kNotForUs = "This skin isn't for Tessaline!\r\nPlease use other skin.";

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST_CASE("listing the skins folder") {
    SkinsFixture f;
    f.AddPackage("Blue_Sky");
    f.AddPackage("Night");
    f.AddPackage("Morning Sun");                                      // a blank in the file name itself
    WriteZip(f.PackagePath("readme.CSK"), {{"skin.ini", SkinIni()}}); // the test is case-exact
    f.AddPackage("Secret");
    SetFileAttributesA(f.PackagePath("Secret.csk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    testing::WriteFileBytes(f.PackagePath("notes.txt"), "not a package");
    f.StoreSetting("Skin", "Blue Sky");

    clsSkins skins(f.Setup());
    TestPage page;
    skins.SetControls(page.Bind());
    CHECK(!page.applyEnabled);
    skins.Enumerate();
    CHECK(Sorted(page.lines) == std::vector<std::string>{"Blue Sky", "Morning Sun", "Night"});
    CHECK(page.text == "Blue Sky");
    CHECK(skins.Skin() == "Blue Sky");
    CHECK(page.listEnabled);
    skins.Enumerate(); // filled anew, not appended
    CHECK(page.lines.size() == 3);

    SUBCASE("a preview of another skin enables the apply button, of the current one does not") {
        page.text = "Night";
        CHECK(skins.Preview());
        CHECK(page.picture);
        OLE_XSIZE_HIMETRIC width = 0;
        CHECK(page.picture->get_Width(&width) == S_OK);
        CHECK(width > 0);
        CHECK(page.description == "Name: Test skin\r\nAuthor: The tests\r\nDate: 2024-03-15");
        CHECK(page.applyEnabled);
        page.text = "Blue Sky";
        CHECK(skins.Preview());
        CHECK(!page.applyEnabled);
        CHECK(f.DataFiles().empty());
    }
    SUBCASE("a package whose file name has a blank is found under its shown name") {
        page.text = "Morning Sun";
        CHECK(skins.Preview());
        CHECK(page.applyEnabled);
        TestWindow window;
        skins.ApplyToForm(&window);
        skins.SetSkin("Morning Sun");
        CHECK(skins.Skin() == "Morning Sun");
        CHECK(window.movieBytes == MovieBytes("Morning Sun"));
        skins.ApplyToForm(nullptr);
    }
    SUBCASE("a preview of a package without a screenshot is reported") {
        WriteZip(f.PackagePath("Bare.csk"), {{"skin.ini", SkinIni()}});
        page.text = "Bare";
        CHECK(!skins.Preview());
        CHECK(Contains(f.Log(), "Tessaline.clsSkins.Preview"));
        CHECK(f.DataFiles().empty());
    }
    CHECK(f.watcher.Seen().size() == (f.Log().empty() ? 0u : 1u));
}

TEST_CASE("which skin is current when the object is made") {
    SkinsFixture f;
    SUBCASE("a single package disables the list") {
        f.AddPackage("Only");
        clsSkins skins(f.Setup());
        TestPage page;
        skins.SetControls(page.Bind());
        skins.Enumerate();
        CHECK(page.lines == std::vector<std::string>{"Only"});
        CHECK(!page.listEnabled);
        CHECK(skins.Skin() == "Only");
    }
    SUBCASE("a stored skin whose package was removed gives way to the first listed") {
        f.AddPackage("Night");
        f.AddPackage("Dawn");
        f.StoreSetting("Skin", "Removed");
        clsSkins skins(f.Setup());
        TestPage page;
        skins.SetControls(page.Bind());
        skins.Enumerate();
        CHECK(skins.Skin() == page.lines.front());
        CHECK(f.Log().empty());
    }
    SUBCASE("the stored name is found whatever its case, and takes the package's spelling") {
        f.AddPackage("Dawn");
        f.AddPackage("Night");
        f.StoreSetting("Skin", "night");
        clsSkins skins(f.Setup());
        CHECK(skins.Skin() == "Night");
    }
    SUBCASE("no package at all is fatal") {
        WriteZip(f.PackagePath("readme.CSK"), {{"skin.ini", SkinIni()}});
        {
            clsSkins skins(f.Setup());
            CHECK(f.ended == 1);
            std::vector<testing::BoxInfo> boxes = f.Boxes(1);
            REQUIRE(boxes.size() == 1);
            CHECK(boxes[0].title == "Program error Tessaline");
            const std::string expected = "FATAL ERROR - There isn't any TSLN skin in: \r\n" +
                                         Upper(f.skins.Path()) + "\r\nPlease read HELP.";
            CHECK(boxes[0].text.rfind(expected, 0) == 0);
            CHECK(Contains(f.Log(), expected));
        }
        CHECK(f.StoredSkin() == "<missing>"); // nothing to store
    }
    CHECK(f.DataFiles().empty());
}

TEST_CASE("applying skins to a window") {
    SkinsFixture f;
    f.AddPackage("Blue_Sky", SkinIni({{"COLORS/NormalControl", "255"}, {"POSITION/Top", "-15"}}));
    f.AddPackage("Night");
    f.StoreSetting("Skin", "Night");
    TestWindow window;
    TestPage page;
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    {
        clsSkins skins(f.Setup());
        Bind(skins, window, page);
        page.applyEnabled = true;
        skins.SetSkin(""); // the first skin of a session, with the first run's place

        CHECK(window.back == COLORREF(16711680));
        CHECK(window.fore == COLORREF(0xFFFF));
        CHECK(window.controls[0]->back == COLORREF(16711680));
        CHECK(window.controls[0]->fore == COLORREF(0xFFFF));
        CHECK(window.rTop == 600);
        CHECK(window.rLeft == 300);
        RECT rect = window.Rect();
        CHECK(rect.right - rect.left == 6000 / tx);
        CHECK(rect.bottom - rect.top == 3000 / ty);
        CHECK(rect.left == RoundHalfEven((screenW * tx - 6000) / 2.0 / tx)); // centred
        CHECK(rect.top == RoundHalfEven((screenH * ty - 3000) / 2.0 / ty));
        unique_gdi outline(CreatePolygonRgn(std::vector<POINT>{{0, 0}, {200, 0}, {200, 100}, {0, 100}}.data(),
                                            4, ALTERNATE));
        CHECK(window.RegionEquals(static_cast<HRGN>(outline.get())));
        CHECK(window.movieCalls ==
              std::vector<std::string>{"CurrentFrame", "SetMovie " + AppFolder() + "Night.swf",
                                       "Move 0,0," + std::to_string(rect.right - rect.left) + "," +
                                           std::to_string(rect.bottom - rect.top),
                                       "GotoFrame 1", "Play"});
        CHECK(window.movieBytes == MovieBytes("Night"));
        CHECK(!page.applyEnabled);
        CHECK(f.DataFiles().empty()); // the movie went as soon as the player had it

        SUBCASE("a skin chosen later keeps the movie's frame, its own place and colours") {
            f.StoreNumber("Left", 1500);
            f.StoreNumber("Top", 900);
            window.frame = 7;
            window.movieCalls.clear();
            skins.SetSkin("Blue Sky");
            CHECK(skins.Skin() == "Blue Sky");
            CHECK(window.back == COLORREF(255));
            CHECK(window.rTop == -15);
            rect = window.Rect();
            CHECK(rect.left == 1500 / tx);
            CHECK(rect.top == 900 / ty);
            CHECK(window.movieCalls[1] == "SetMovie " + AppFolder() + "Blue_Sky.swf");
            CHECK(std::vector<std::string>(window.movieCalls.begin() + 3, window.movieCalls.end()) ==
                  std::vector<std::string>{"GotoFrame 1", "GotoFrame 7"});
            SetWindowPos(window.Hwnd(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        SUBCASE("with the sound off") {
            f.StoreNumber("Sound", 0);
            window.frame = 0;
            window.movieCalls.clear();
            skins.SetSkin("");
            CHECK(std::vector<std::string>(window.movieCalls.begin() + 3, window.movieCalls.end()) ==
                  std::vector<std::string>{"GotoFrame 2", "Play"});
            window.frame = 9;
            window.movieCalls.clear();
            skins.SetSkin("");
            CHECK(std::vector<std::string>(window.movieCalls.begin() + 3, window.movieCalls.end()) ==
                  std::vector<std::string>{"GotoFrame 9"});
            SetWindowPos(window.Hwnd(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        CHECK(f.Log().empty());
        CHECK(f.watcher.Seen().empty());
    }
    // Releasing the object stores the skin and where the window is.
    CHECK((f.StoredSkin() == "Blue_Sky" || f.StoredSkin() == "Night"));
    CHECK(settings_test::ReadDword(HKEY_CURRENT_USER, settings_test::At("Settings"), "Left") ==
          DWORD(30 * tx));
    CHECK(settings_test::ReadDword(HKEY_CURRENT_USER, settings_test::At("Settings"), "Top") ==
          DWORD(40 * ty));
    CHECK(f.DataFiles().empty());
}

TEST_CASE("skins that do not fit") {
    SkinsFixture f;
    f.AddPackage("Night");
    f.AddPackage("Old", SkinIni({{"INFO/Version", "1.7"}}));
    f.AddPackage("Blank", SkinIni({{"INFO/Version", "1.8 ;1.0"}})); // the reader trims only the whole value
    f.AddPackage("Lower", SkinIni({{"INFO/For", "tsln"}}));
    TestWindow window;
    TestPage page;

    SUBCASE("each package's own answer") {
        clsSkins skins(f.Setup());
        const std::vector<std::pair<std::string, int>> expected = {
            {"Night", 0}, {"Old", 1}, {"Blank", 1}, {"Lower", 2}, {"Missing", 2}};
        for (const auto& [name, fit] : expected) {
            CHECK(skins.Extract(name));
            CHECK_MESSAGE(skins.CheckCompatibility() == fit, name);
            for (const char* file : {"skin.ini", "screenshot.jpg"})
                DeleteFileA((AppFolder() + file).c_str());
            DeleteFileA((AppFolder() + name + ".swf").c_str());
        }
        CHECK(!skins.Extract("Missing", "skin.ini"));
        CHECK(!skins.Extract("Night", "other.txt"));
        CHECK(f.Log().empty());
    }
    SUBCASE("one chosen from the list is refused and the skin in use stays current") {
        f.StoreSetting("Skin", "Night");
        {
            auto skins = f.Start(window, page);
            window.movieCalls.clear();
            const RECT before = window.Rect();
            for (const char* chosen : {"Old", "Blank", "Lower"}) {
                skins->SetSkin(chosen);
                CHECK(skins->Skin() == "Night");
            }
            std::vector<testing::BoxInfo> boxes = f.Boxes(3);
            REQUIRE(boxes.size() == 3);
            CHECK(boxes[0].text == kNotCompatible);
            CHECK(boxes[0].title == "Tessaline");
            CHECK(boxes[0].icon == "error");
            CHECK(boxes[1].text == kNotCompatible);
            CHECK(boxes[2].text == kNotForUs);
            CHECK(window.movieCalls.empty());
            const RECT after = window.Rect();
            CHECK(EqualRect(&before, &after));
            CHECK(f.ended == 0);
            CHECK(f.DataFiles().empty());
        }
        CHECK(f.StoredSkin() == "Night");
        // The next start goes on with the skin that was in use.
        auto next = f.Start(window, page);
        CHECK(f.watcher.Seen().size() == 3);
        CHECK(f.ended == 0);
    }
    SUBCASE("a stored skin that no longer fits asks for its removal and ends the program") {
        f.StoreSetting("Skin", "Old");
        auto skins = f.Start(window, page);
        std::vector<testing::BoxInfo> boxes = f.Boxes(2);
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].text == kNotCompatible);
        CHECK(boxes[1].text ==
              "Please remove OLD skin from\r\nTessaline skins directory:\r\n" + Upper(f.skins.Path()));
        CHECK(f.ended == 1);
        CHECK(window.movieCalls.empty());
        CHECK(f.DataFiles().empty());
    }
}

TEST_CASE("bad values in a skin's description") {
    SkinsFixture f;
    TestWindow window;
    TestPage page;
    f.StoreSetting("Skin", "Bad");
    SUBCASE("an outline that cannot be made is reported and the window stays rectangular") {
        std::string xs, ys;
        SUBCASE("no outline at all") {
            xs = ys = "-";
        }
        SUBCASE("fewer y values than x values") {
            xs = "0,200,200,0";
            ys = "0,0,100";
        }
        SUBCASE("an outline that encloses nothing") {
            xs = "0,100,200";
            ys = "0,0,0";
        }
        f.AddPackage("Bad", SkinIni({{"SHAPE/GPX", xs}, {"SHAPE/GPY", ys}}));
        SetWindowRgn(window.Hwnd(), CreateRectRgn(0, 0, 5, 5), FALSE);
        auto skins = f.Start(window, page);
        CHECK(!window.HasRegion());
        CHECK(Contains(f.Log(), "Tessaline.clsSkins.CreateFormRegion"));
        CHECK(f.watcher.Seen().size() == 1);
        CHECK(window.movieCalls.size() == 5); // the rest of the skin is applied
        CHECK(f.DataFiles().empty());
    }
    SUBCASE("a size that is no number stops the skin where it fails") {
        f.AddPackage("Bad", SkinIni({{"POSITION/Height", "tall"}}));
        auto skins = f.Start(window, page);
        CHECK(window.back == COLORREF(16711680)); // done before the failure
        CHECK(window.rTop == 600);
        CHECK(window.movieCalls.empty());
        const std::string log = f.Log();
        CHECK(Contains(
            log, "Error Number: 13\r\nType mismatch\r\n\r\nDebug Information:\r\nTessaline.clsSkins.Skin"));
        CHECK(f.DataFiles().empty());
    }
}

TEST_CASE("hostile packages write nothing outside the data folder") {
    SkinsFixture f;
    testing::TempDir outside("outside");
    const std::string parent = AppFolder().substr(0, AppFolder().find_last_of('\\', AppFolder().size() - 2));
    const std::string grandparent = parent.substr(0, parent.find_last_of('\\'));
    const std::vector<ZipItem> hostile = {
        {"../evil.txt", "up"},
        {"../../evil.txt", "up twice"},
        {"sub/../../evil.txt", "sideways"},
        {"/abs_evil.txt", "absolute"},
        {"\\abs_evil2.txt", "absolute"},
        {"C:/drive_evil.txt", "drive"},
        {outside / "evil.txt", "full path"},
        {"../skin.ini", SkinIni()},
        {"sub/skin.ini", SkinIni()},
        {ExeBaseName() + ".log", "replaced log"},
    };
    TestWindow window;
    TestPage page;

    SUBCASE("names that leave the folder") {
        f.AddPackage("Evil", SkinIni(), hostile);
        f.StoreSetting("Skin", "Evil");
        auto skins = f.Start(window, page);
        CHECK(window.movieBytes == MovieBytes("Evil"));
        page.text = "Evil";
        CHECK(skins->Preview());
        CHECK(f.DataFiles().empty());
    }
    SUBCASE("only hostile copies of the description") {
        WriteZip(f.PackagePath("Evil.csk"), hostile);
        f.StoreSetting("Skin", "Evil");
        f.AddPackage("Night");
        clsSkins skins(f.Setup());
        Bind(skins, window, page);
        skins.SetSkin("Evil");
        CHECK(f.Boxes(1).at(0).text == kNotForUs);
        page.text = "Evil";
        CHECK(!skins.Extract("Evil", "nothing.txt"));
        CHECK(skins.Extract("Evil", "evil.txt")); // "../evil.txt" is the first of that name: refused
        CHECK(skins.Extract("Evil", "skin.ini")); // and "../skin.ini"
        CHECK(f.DataFiles().empty());
    }
    SUBCASE("a bomb, a package that is no zip, and a garbage movie") {
        WriteZip(f.PackagePath("Bomb.csk"), {{"skin.ini", SkinIni() + std::string(1 << 20, ';'), true, 600},
                                             {"Bomb.swf", std::string(1 << 20, 'x'), true, 10}});
        testing::WriteFileBytes(f.PackagePath("Junk.csk"), std::string(5000, '\x7F'));
        WriteZip(f.PackagePath("Garbage.csk"),
                 {{"skin.ini", SkinIni()}, {"Garbage.swf", std::string("FWS\x09\xFF\xFF\xFF\xFF", 8)}});
        clsSkins skins(f.Setup());
        Bind(skins, window, page);
        skins.SetSkin("Bomb");
        skins.SetSkin("Junk");
        CHECK(f.Boxes(2).size() == 2);
        CHECK(f.watcher.Seen()[0].text == kNotForUs);
        CHECK(f.watcher.Seen()[1].text == kNotForUs);
        CHECK(window.movieCalls.empty());
        skins.SetSkin("Garbage");
        CHECK(window.movieBytes ==
              std::string("FWS\x09\xFF\xFF\xFF\xFF", 8)); // handed on for the player to refuse
        CHECK(f.DataFiles().empty());
    }
    for (const std::string& path :
         {parent + "\\evil.txt", grandparent + "\\evil.txt", outside / "evil.txt",
          std::string("C:\\abs_evil.txt"), std::string("C:\\abs_evil2.txt"),
          std::string("C:\\drive_evil.txt"), std::string("Z:\\abs_evil.txt"), parent + "\\skin.ini"})
        CHECK_MESSAGE(!testing::PathExists(path), path);
    CHECK(f.Log().find("replaced log") == std::string::npos);
}

TEST_CASE("without any package the program's own exit step ends the process") {
    SkinsFixture f; // keeps the registry the process writes
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string exe = self;
    exe = exe.substr(0, exe.find_last_of('\\')) + "\\skins_alone.exe";
    tsdriver::RunOptions options;
    options.exe = exe;
    options.args = "\"" + AppFolder().substr(0, AppFolder().size() - 1) + "\"";
    tsdriver::RunResult run = tsdriver::Run(options);
    CHECK(run.exited);
    CHECK(run.exitCode == DWORD(kExitRefused));
    REQUIRE(run.boxes.size() == 1);
    CHECK(run.boxes[0].title == "Program error Tessaline");
    const std::string folder = Upper(exe.substr(0, exe.find_last_of('\\')) + "\\SKINS");
    CHECK(run.boxes[0].text.rfind(
              "FATAL ERROR - There isn't any TSLN skin in: \r\n" + folder + "\r\nPlease read HELP.", 0) == 0);
    CHECK(Contains(testing::ReadFileBytes(AppFolder() + "skins_alone.log"), "FATAL ERROR"));
}
