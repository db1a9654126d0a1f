// Logon-screen collections: the version-resource test on adding and applying, the machine's "UIHost"
// value with and without the rights to write it, and the screenshot previews.
#include "core/error_report.h"
#include "rotation/cls_wallpaper_logons.h"
#include "rotation/collection_view.h"
#include "tests/rotation/rotation_fixture.h"
#include "tests/shellutil/file_dialog.h"
#include "tests/support/shell_calls.h"

#include <doctest.h>

using namespace tsln;
using namespace rotation_test;

namespace {
constexpr tsln::tType kL = tsln::tType::Logons;

// Logon screens, each in a folder of its own below one temporary folder.
struct Screens {
    testing::TempDir dir{"screens"};
    // Copies a fixture program to <folder>\<file> and returns that path.
    std::string Add(const std::string& folder, const std::string& fixture, const std::string& file) {
        const std::string into = dir / folder;
        CreateDirectoryA(into.c_str(), nullptr);
        const std::string path = into + "\\" + file;
        REQUIRE(CopyFileA(FixtureProgram(fixture).c_str(), path.c_str(), FALSE));
        return path;
    }
};

std::string UIHost() {
    return testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost");
}

clsWallpaperLogons& Logons(clsWallpaperLogons& wl) {
    wl.SettType(tType::Logons);
    return wl;
}

std::string Question(const std::string& path) {
    return path + "\r\n it's not a valid LOGONUI file!\r\n\r\nDo you want to download more XP Logon Screens?";
}
} // namespace

TEST_CASE("a logon screen is told by its version resource, not by its file name") {
    CollectionGuard guard;
    testing::BoxWatcher boxes(IDNO);
    Screens screens;
    clsWallpaperLogons wl;
    Logons(wl);

    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    wl.AddFile(blue);
    REQUIRE(wl.Entries().Count() == 1);
    CHECK(wl.Entries()[1].Name == "Blue Sky");
    CHECK(boxes.Seen().empty());

    // Strings kept under US English only, while the translation names German.
    wl.AddFile(screens.Add("Fallback", "english\\english.exe", "english.exe"));
    CHECK(wl.Entries().Count() == 2);

    const std::string ordinary = screens.Add("Plain", "notlogon\\logonui.exe", "logonui.exe");
    wl.AddFile(ordinary);
    CHECK(wl.Entries().Count() == 2);
    REQUIRE(boxes.Seen().size() == 1);
    CHECK(boxes.Seen()[0].title == "Tessaline");
    CHECK(boxes.Seen()[0].icon == "information");
    CHECK(boxes.Seen()[0].buttons == "Yes No");
    CHECK(boxes.Seen()[0].text == Question(ordinary));
    const std::string log = guard.Log();
    CHECK(log.find("Error Number: -2147221503\r\nError occured when trying to add LogonUI " + ordinary +
                   "\r\nNot a valid LOGONUI file!") != std::string::npos);
    CHECK(log.find("Project1.clsWallpaperLogons.AddWL") != std::string::npos);

    // No version resource at all, and strings without a translation table to find them by.
    wl.AddFile(screens.Add("Bare", "plain\\plain.exe", "logonui.exe"));
    wl.AddFile(screens.Add("Untranslated", "notrans\\notrans.exe", "logonui.exe"));
    wl.AddFile(screens.dir / "Nowhere\\logonui.exe");
    CHECK(wl.Entries().Count() == 2);
    CHECK(boxes.Seen().size() == 4);
}

TEST_CASE("the download page is offered for a file that is no logon screen") {
    CollectionGuard guard;
    testing::BoxWatcher boxes(IDYES);
    testing::ShellCalls calls;
    Screens screens;
    clsWallpaperLogons wl;
    Logons(wl).AddFile(screens.Add("Plain", "notlogon\\logonui.exe", "logonui.exe"));
    CHECK(wl.Entries().Count() == 0);
    CHECK(calls.Next() == "xdg-open\thttp://www.quillfen.com/cgi-bin/linkcount/to.cgi?l=TSLN_logons");
}

TEST_CASE("applying a logon screen writes UIHost; the default writes the standard program") {
    CollectionGuard guard;
    Screens screens;
    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    {
        clsWallpaperLogons wl;
        Logons(wl).AddFile(blue);
        wl.SetWL(kNextEntry);
        CHECK(UIHost() == blue);
        // Where Winlogon reads it: the view of this flavour, the 64-bit one on 64-bit Windows.
        CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", testing::kOwnView) == blue);
#ifdef _WIN64
        CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", testing::kOtherView) != blue);
#endif
        CHECK(wl.CurrentPath() == blue);
        CHECK(wl.Entries()[1].UseCount == 1);
        DWORD type = 0;
        std::vector<BYTE> data;
        REQUIRE(testing::ReadRaw(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", type, data));
        CHECK(type == REG_SZ);

        wl.SetWL(kDefaultEntry);
        CHECK(UIHost() == "LOGONUI.EXE");
        CHECK(wl.CurrentPath() == "");
    }
    CHECK(guard.StoredCurrent(kL) == "");
    CHECK(guard.Log().empty());
}

TEST_CASE("without administrator rights nothing changes and the administrator message is shown") {
    CollectionGuard guard;
    testing::BoxWatcher boxes;
    Screens screens;
    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", "LOGONUI.EXE");
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl, tType::Logons);
    wl.AddFile(blue);
    wl.SetWL(kDefaultEntry); // the current path is now empty
    {
        testing::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kWinlogonKey);
        page.Choose(0);
        wl.SetWL(kSelectedEntry);
        wl.SetWL(kDefaultEntry);
        wl.SetWL(kNextEntry); // the schedule: log only
    }
    CHECK(UIHost() == "LOGONUI.EXE");
    CHECK(wl.Entries().Count() == 1);
    CHECK(wl.Entries()[1].UseCount == 0);
    CHECK(wl.CurrentPath() == "");
    const auto seen = boxes.Seen();
    REQUIRE(seen.size() == 2);
    CHECK(seen[0].title == "Program error Tessaline");
    CHECK(seen[0].text.find("Error Number: -2147221503\r\nError occured when trying to set LogonUI " + blue +
                            "\r\nTo change LogonUI you must be logged in as administrator!") == 0);
    CHECK(seen[0].text.find("Tessaline.clsWallpaperLogons.Sett") != std::string::npos);
    CHECK(seen[1].text.find("Error occured when trying to set LogonUI \r\nTo change LogonUI you must be "
                            "logged in as administrator!") != std::string::npos);
    const std::string log = guard.Log();
    size_t count = 0;
    for (size_t at = log.find("To change LogonUI"); at != std::string::npos;
         at = log.find("To change", at + 1))
        ++count;
    CHECK(count == 3);
}

TEST_CASE("an entry that is no logon screen when it is applied is dropped; one held locked stays") {
    CollectionGuard guard;
    Screens screens;
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", "LOGONUI.EXE");
    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    const std::string red = screens.Add("Red Sky", "blue\\blue.exe", "red.exe");
    clsWallpaperLogons wl;
    Logons(wl).AddFile(blue);
    wl.AddFile(red);
    wl.SetWL(kDefaultEntry);
    {
        // Held by another program without sharing: it cannot be read now, which says nothing against it.
        const unique_file held(CreateFileA(blue.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(held);
        wl.SetWL(kNextEntry);
        CHECK(wl.Entries().Count() == 2);
        CHECK(UIHost() == "LOGONUI.EXE");
        wl.SetWL(kDefaultEntry);
    }
    REQUIRE(CopyFileA(FixtureProgram("notlogon\\logonui.exe").c_str(), blue.c_str(), FALSE));
    wl.SetWL(kNextEntry);
    CHECK(wl.Entries().Count() == 1);
    CHECK(wl.Entries()[1].Path == red);
    CHECK(wl.CurrentPath() == red); // the dropped entry's neighbour
    CHECK(UIHost() == "LOGONUI.EXE");
    CHECK(guard.Log().find("Error occured when trying to set LogonUI " + blue +
                           "\r\nNot a valid LOGONUI file!") != std::string::npos);
}

TEST_CASE("a logon screen's preview is the screenshot in its folder") {
    CollectionGuard guard;
    Screens screens;
    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    REQUIRE(CreateDirectoryA((screens.dir / "Blue Sky\\folder.jpg").c_str(), nullptr));
    REQUIRE(testing::WriteFileBytes(screens.dir / "Blue Sky\\readme.txt", "how to install"));
    REQUIRE(CopyFileA(DataFile("sea.jpg").c_str(), (screens.dir / "Blue Sky\\shot.JPG").c_str(), FALSE));
    const std::string bare = screens.Add("Bare", "blue\\blue.exe", "logonui.exe");
    REQUIRE(CreateDirectoryA((screens.dir / "Bare\\x.gif").c_str(), nullptr));
    REQUIRE(testing::WriteFileBytes(screens.dir / "Bare\\readme.txt", "no pictures here"));
    const std::string broken = screens.Add("Broken", "blue\\blue.exe", "logonui.exe");
    REQUIRE(testing::WriteFileBytes(screens.dir / "Broken\\shot.gif", "not a picture"));

    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl, tType::Logons);
    wl.AddFile(blue);
    wl.AddFile(bare);
    wl.AddFile(broken);
    REQUIRE(page.Lines() == std::vector<std::string>{"Bare", "Blue Sky", "Broken"});

    page.Choose(1);
    CHECK(wl.Preview());
    const Pixels shown = ReadPixels(page.Shown());
    CHECK(shown.width == 64);
    CHECK(shown.height == 48);

    page.Choose(0);
    CHECK(wl.Preview());
    CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));

    page.Choose(2);
    CHECK(wl.Preview());
    CHECK(ReadPixels(page.Shown()) == BuiltInPixels(kNoPreviewPicture));
    CHECK(guard.Log().find("Tessaline.clsWallpaperLogons.LScreenshot") != std::string::npos);
}

TEST_CASE("choosing a logon screen with the real picker") {
    CollectionGuard guard;
    Screens screens;
    const std::string blue = screens.Add("Blue Sky", "blue\\blue.exe", "blue.exe");
    TestPage page;
    clsWallpaperLogons wl;
    page.Open(wl, tType::Logons);
    std::string proposed;
    testing::DialogDriver driver("Select a Logon Screen file", [&](HWND dialog) {
        proposed = testing::WindowText(shelltest::FileNameEdit(dialog));
        shelltest::TypeFileName(dialog, blue);
        testing::Press(dialog, IDOK);
    });
    wl.AddFile();
    driver.Finish();
    CHECK(driver.Acted());
    CHECK(proposed == "LOGONUI.EXE");
    REQUIRE(wl.Entries().Count() == 1);
    CHECK(wl.Entries()[1].Name == "Blue Sky");
    // Each logon screen sits in a folder of its own: the picker opens on the folder above next time.
    CHECK(wl.LastFolder() == screens.dir.Path() + "\\");
}
