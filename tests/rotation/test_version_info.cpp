// Version resources read from small programs built with the tests, each with a resource of its own.
#include "shellutil/file_version_info.h"
#include "tests/rotation/rotation_fixture.h"

#include <doctest.h>

using namespace tsln;
using rotation_test::FixtureProgram;

namespace {
std::string LanguageName(WORD language) {
    char name[256] = {};
    DWORD length = VerLanguageNameA(language, name, sizeof name);
    return std::string(name, length);
}
} // namespace

TEST_CASE("a new object, and a file without a version resource") {
    CFileVersionInfo info;
    CHECK_FALSE(info.Available());
    for (int which = 0; which <= 14; ++which)
        CHECK(info.PredefinedValue(which) == "");
    CHECK(info.VerFile() == "");
    CHECK(info.FileType() == "");

    info.SetFullPathName(FixtureProgram("plain\\plain.exe"));
    CHECK(info.FullPathName() == FixtureProgram("plain\\plain.exe"));
    CHECK_FALSE(info.Available());
    CHECK(info.OriginalFilename() == "");
    CHECK(info.VerFile() == "");
    CHECK(info.FileOS() == "");
}

TEST_CASE("every property of a full resource") {
    CFileVersionInfo info;
    info.SetFullPathName(FixtureProgram("blue\\blue.exe"));
    REQUIRE(info.Available());
    CHECK(info.VerStructure() == "1.0");
    CHECK(info.VerFile() == "1.08.0008");
    CHECK(info.VerProduct() == "5.01.260000");
    CHECK(info.FileFlags() == "Debug PreRel");
    CHECK(info.FileOS() == "NT-Win32");
    CHECK(info.FileType() == "Application");
    CHECK(info.FileSubType() == "");
    CHECK(info.Language() == LanguageName(0x409));
    CHECK(info.Language() != "");
    CHECK(info.Comments() == "Blue sky over the logon");
    CHECK(info.CompanyName() == "Skyline Screens");
    CHECK(info.FileDescription() == "Windows Logon User Interface Host");
    CHECK(info.FileVersion() == "1.8.0.8");
    CHECK(info.InternalName() == "logonui");
    CHECK(info.LegalCopyright() == "Copyright (C) Skyline Screens");
    CHECK(info.LegalTrademarks() == "Blue Sky");
    CHECK(info.OriginalFilename() == "LOGONUI.EXE");
    CHECK(info.ProductName() == "Blue Sky Logon");
    CHECK(info.ProductVersion() == "5.1");
    CHECK(info.PrivateBuild() == "private 7");
    CHECK(info.SpecialBuild() == "special 9");

    const char* const names[] = {
        "Language",        "Comments",        "Company Name",     "File Description",  "File Version",
        "Internal Name",   "Legal Copyright", "Legal Trademarks", "Original Filename", "Product Name",
        "Product Version", "Private Build",   "Special Build",    "LegalTrademarks1",  "LegalTrademarks2"};
    const std::string values[] = {info.Language(),
                                  info.Comments(),
                                  info.CompanyName(),
                                  info.FileDescription(),
                                  info.FileVersion(),
                                  info.InternalName(),
                                  info.LegalCopyright(),
                                  info.LegalTrademarks(),
                                  info.OriginalFilename(),
                                  info.ProductName(),
                                  info.ProductVersion(),
                                  info.PrivateBuild(),
                                  info.SpecialBuild(),
                                  "",
                                  ""};
    for (int which = 0; which <= 14; ++which) {
        CAPTURE(which);
        CHECK(info.PredefinedName(which) == names[which]);
        CHECK(info.PredefinedValue(which) == values[which]);
    }
    CHECK(info.PredefinedName(15) == "");
    CHECK(info.PredefinedValue(-1) == "");
    CHECK(info.PredefinedValue(15) == "");
}

TEST_CASE("strings kept only under US English are found there when they have a company name") {
    CFileVersionInfo info;
    info.SetFullPathName(FixtureProgram("english\\english.exe"));
    REQUIRE(info.Available());
    CHECK(info.Language() == LanguageName(0x407));
    CHECK(info.CompanyName() == "Fallback Audio");
    CHECK(info.FileDescription() == "Sound driver");
    CHECK(info.OriginalFilename() == "logonui.exe");
    CHECK(info.PredefinedValue(13) == "Mark one");
    CHECK(info.PredefinedValue(14) == "Mark two");
    CHECK(info.VerFile() == "3.12.0000");
    CHECK(info.FileFlags() == "Patched Private Info Special");
    CHECK(info.FileOS() == "DOS-Win16");
    CHECK(info.FileType() == "Driver");
    CHECK(info.FileSubType() == "Sound drv");

    // Without a company name under US English, the translation's own table is read.
    info.SetFullPathName(FixtureProgram("german\\german.exe"));
    CHECK(info.CompanyName() == "");
    CHECK(info.FileDescription() == "Schrift");
    CHECK(info.ProductName() == "Schriften");
    CHECK(info.OriginalFilename() == "");
    CHECK(info.VerFile() == "1.02.0304");
    CHECK(info.FileOS() == "Unknown");
    CHECK(info.FileType() == "Font");
    CHECK(info.FileSubType() == "TrueType Font");
}

TEST_CASE("what a new reading leaves as it was") {
    CFileVersionInfo info;
    info.SetFullPathName(FixtureProgram("english\\english.exe"));
    // An application's subtype has no words: the driver's stay.
    info.SetFullPathName(FixtureProgram("blue\\blue.exe"));
    CHECK(info.FileType() == "Application");
    CHECK(info.FileSubType() == "Sound drv");

    // No translation table: the fixed part is read, the language and strings are not.
    info.SetFullPathName(FixtureProgram("notrans\\notrans.exe"));
    CHECK(info.VerFile() == "-1.01.0001");
    CHECK(info.FileType() == "Unknown");
    CHECK(info.OriginalFilename() == "LOGONUI.EXE"); // still blue.exe's
    CHECK(info.Language() == LanguageName(0x409));

    // No version resource: nothing but Available changes.
    info.SetFullPathName(FixtureProgram("plain\\plain.exe"));
    CHECK_FALSE(info.Available());
    CHECK(info.VerFile() == "-1.01.0001");
    CHECK(info.CompanyName() == "Skyline Screens");

    // A path the platform cannot expand changes nothing at all.
    info.SetFullPathName("");
    CHECK(info.FullPathName() == FixtureProgram("plain\\plain.exe"));
}

TEST_CASE("the path is the one the platform expands") {
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof before, before);
    REQUIRE(SetCurrentDirectoryA(FixtureProgram("blue").c_str()));
    CFileVersionInfo info;
    info.SetFullPathName("..\\blue\\.\\blue.exe");
    SetCurrentDirectoryA(before);
    CHECK(info.FullPathName() == FixtureProgram("blue\\blue.exe"));
    CHECK(info.OriginalFilename() == "LOGONUI.EXE");

    info.SetFullPathName(FixtureProgram("blue\\no such program.exe"));
    CHECK_FALSE(info.Available());
}
