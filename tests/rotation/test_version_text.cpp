// The words and numbers of a version resource, as plain rules.
#include "shellutil/version_text.h"

#include <doctest.h>

using namespace tsln;

TEST_CASE("version numbers as text") {
    CHECK(VersionText(0x00010008, 0x00000008) == "1.08.0008");
    CHECK(VersionText(0x0003000C, 0x00000000) == "3.12.0000");
    // A third number above 0: third and fourth with two digits each, nothing between them.
    CHECK(VersionText(0x00010002, 0x00030004) == "1.02.0304");
    CHECK(VersionText(0x00050001, 0x0A280000) == "5.01.260000");
    // The numbers are signed 16-bit values.
    CHECK(VersionText(0xFFFF0001, 0x00000001) == "-1.01.0001");
    CHECK(VersionText(0x0001FFFB, 0xFFFF0007) == "1.-05.0007");
    CHECK(StructureVersionText(0x00010000) == "1.0");
    CHECK(StructureVersionText(0x0002000A) == "2.10");
}

TEST_CASE("flags, system and type words") {
    CHECK(FileFlagsText(0) == "");
    CHECK(FileFlagsText(0x3) == "Debug PreRel");
    CHECK(FileFlagsText(0x3C) == "Patched Private Info Special");
    CHECK(FileFlagsText(0xFFC0) == ""); // bits without words
    CHECK(FileOSText(0x10001) == "DOS-Win16");
    CHECK(FileOSText(0x10004) == "DOS-Win32");
    CHECK(FileOSText(0x20002) == "OS/2-16 PM-16");
    CHECK(FileOSText(0x30003) == "OS/2-16 PM-32");
    CHECK(FileOSText(0x40004) == "NT-Win32");
    CHECK(FileOSText(0x4) == "Unknown");

    const char* const types[] = {"Unknown", "Application", "DLL", "Driver", "Font",
                                 "VxD",     "Unknown",     "Lib", "Unknown"};
    for (uint32_t type = 0; type < 9; ++type)
        CHECK(FileTypeText(type) == types[type]);

    std::string text = "before";
    CHECK(FileSubTypeText(3, 0, text));
    CHECK(text == "Unknown");
    CHECK(FileSubTypeText(3, 9, text));
    CHECK(text == "Sound drv");
    CHECK(FileSubTypeText(3, 10, text));
    CHECK(text == "Comm drv");
    CHECK(FileSubTypeText(4, 3, text));
    CHECK(text == "TrueType Font");
    text = "kept";
    CHECK_FALSE(FileSubTypeText(3, 11, text));
    CHECK_FALSE(FileSubTypeText(4, 0, text));
    CHECK_FALSE(FileSubTypeText(1, 1, text));
    CHECK_FALSE(FileSubTypeText(7, 3, text));
    CHECK(text == "kept");
}

TEST_CASE("string table prefixes and entry names") {
    CHECK(StringTablePrefix(0x0409, 1200) == "\\StringFileInfo\\040904B0\\");
    CHECK(StringTablePrefix(0x0007, 0x4E4) == "\\StringFileInfo\\000704E4\\");
    CHECK(PredefinedEntryName(0) == "Language");
    CHECK(PredefinedEntryName(2) == "Company Name");
    CHECK(PredefinedEntryName(8) == "Original Filename");
    CHECK(PredefinedEntryName(14) == "LegalTrademarks2");
    CHECK(PredefinedEntryName(15) == "");
    CHECK(PredefinedEntryName(-1) == "");
}
