// Entry-name safety, name matching and the small formatting helpers of the zip reader.
#include "unzip/zip_archive.h"

#include <doctest.h>

using namespace tsln::zip;

TEST_CASE("ordinary entry names are safe") {
    for (const char* name : {"readme.txt", "skins/blue/skin.ini", "skins\\blue\\logo.bin", "empty/", "a/b/c/",
                             "name with spaces.txt", ".hidden", "a.b.c", "CONSOLE.txt", "COM10", "LPT0.log",
                             "auxiliary/file", "nul_file", "x..y"}) {
        CAPTURE(name);
        CHECK(IsSafeEntryName(name));
    }
}

TEST_CASE("names that could escape the target or reach a device are unsafe") {
    for (const char* name :
         {"",           "../evil.txt", "..\\evil.txt", "a/../../b",        "a\\..\\..\\b", "a/..",
          "..",         "/abs.txt",    "\\abs.txt",    "//server/share/x", "C:\\x.txt",    "C:/x.txt",
          "c:x.txt",    "ok:stream",   "a//b",         "a\\\\b",           "./a",          "a/./b",
          "CON",        "con",         "aux.txt",      "sub/lpt1.log",     "COM9.x",       "nul",
          "PRN.tar.gz", "NUL /x",      "conin$",       "CONOUT$.txt",      "trailing.",    "trailing /x",
          "a/b.",       "what?.txt",   "star*.txt",    "pipe|.txt",        "q\".txt",      "<x>",
          "tab\there",  "folder//"}) {
        CAPTURE(name);
        CHECK_FALSE(IsSafeEntryName(name));
    }
    CHECK_FALSE(IsSafeEntryName(std::string("nul\0byte", 8)));
}

TEST_CASE("reserved device names with and without extensions") {
    CHECK(IsReservedDeviceName("CON"));
    CHECK(IsReservedDeviceName("Lpt9.txt"));
    CHECK(IsReservedDeviceName("com1.a.b"));
    CHECK(IsReservedDeviceName("AUX "));
    CHECK_FALSE(IsReservedDeviceName("COM0"));
    CHECK_FALSE(IsReservedDeviceName("CONX"));
    CHECK_FALSE(IsReservedDeviceName("xCON"));
}

TEST_CASE("stored paths become Windows paths") {
    CHECK(ToWindowsPath("skins/blue/skin.ini") == "skins\\blue\\skin.ini");
    CHECK(ToWindowsPath("empty/") == "empty\\");
    CHECK(ToWindowsPath("root.txt") == "root.txt");
}

TEST_CASE("include names match whole paths, case by option") {
    CHECK(NameMatches("skins/blue/skin.ini", "skins/blue/skin.ini", true));
    CHECK(NameMatches("skins/blue/skin.ini", "SKINS/Blue/Skin.INI", false));
    CHECK_FALSE(NameMatches("skins/blue/skin.ini", "SKINS/Blue/Skin.INI", true));
    CHECK(NameMatches("skins/blue/skin.ini", "skins\\blue\\skin.ini", true));
    CHECK_FALSE(NameMatches("skins/blue/skin.ini", "skin.ini", false));
    CHECK_FALSE(NameMatches("skins/blue/skin.ini", "skins/blue/*", false));
    CHECK_FALSE(NameMatches("a.txt", "a.txt2", false));
}

TEST_CASE("method texts") {
    Entry e;
    e.method = 0;
    CHECK(MethodText(e) == "Stored");
    e.method = 8;
    CHECK(MethodText(e) == "Defl:N");
    e.flags = 2;
    CHECK(MethodText(e) == "Defl:X");
    e.flags = 4;
    CHECK(MethodText(e) == "Defl:F");
    e.flags = 6 | 1;
    CHECK(MethodText(e) == "Defl:S");
    e.method = 12;
    CHECK(MethodText(e) == "BZip2");
    e.method = 99;
    CHECK(MethodText(e) == "Unk:099");
}

TEST_CASE("compression factor is the rounded percent saved") {
    CHECK(CompressionFactor(36, 66) == 45);
    CHECK(CompressionFactor(37, 54) == 31);
    CHECK(CompressionFactor(10, 10) == 0);
    CHECK(CompressionFactor(20, 10) == 0);
    CHECK(CompressionFactor(0, 0) == 0);
    CHECK(CompressionFactor(0, 1000) == 100);
    CHECK(CompressionFactor(1, 1000) == 100);
}

TEST_CASE("DOS date and time decode") {
    const DosStamp s = DecodeDosStamp((44 << 9) | (3 << 5) | 15, (10 << 11) | (42 << 5) | 15);
    CHECK(s.year == 2024);
    CHECK(s.month == 3);
    CHECK(s.day == 15);
    CHECK(s.hour == 10);
    CHECK(s.minute == 42);
    CHECK(s.second == 30);
}

TEST_CASE("the worse outcome wins, a wrong password only over a warning") {
    CHECK(Worse(Result::kOk, Result::kWarning) == Result::kWarning);
    CHECK(Worse(Result::kWarning, Result::kBadPassword) == Result::kBadPassword);
    CHECK(Worse(Result::kBadPassword, Result::kBadArchive) == Result::kBadArchive);
    CHECK(Worse(Result::kBadArchive, Result::kBadPassword) == Result::kBadArchive);
    CHECK(Worse(Result::kDiskError, Result::kBadArchive) == Result::kDiskError);
}

TEST_CASE("traditional encryption round-trips") {
    const std::string text = "Tessaline secret";
    ZipCrypto enc("pw"), dec("pw"), wrong("px");
    std::string cipher, plain, garbled;
    for (char c : text)
        cipher += static_cast<char>(enc.Encrypt(static_cast<uint8_t>(c)));
    for (char c : cipher)
        plain += static_cast<char>(dec.Decrypt(static_cast<uint8_t>(c)));
    for (char c : cipher)
        garbled += static_cast<char>(wrong.Decrypt(static_cast<uint8_t>(c)));
    CHECK(cipher != text);
    CHECK(plain == text);
    CHECK(garbled != text);
}

TEST_CASE("UTF-8 is decoded strictly") {
    std::u16string text;
    CHECK(Utf8ToUtf16("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", text));
    CHECK(text == u"caf\u00e9 \u20ac \U0001F600");
    for (const char* bad :
         {"\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xc3", "\xc3(", "\xff", "\x80"}) {
        CAPTURE(bad);
        CHECK_FALSE(Utf8ToUtf16(bad, text));
        CHECK(text.find(u'\ufffd') != std::u16string::npos);
    }
}

TEST_CASE("names are read in the encoding of their archiver") {
    CHECK(EncodingForHost(0) == NameEncoding::kOem);
    CHECK(EncodingForHost(11) == NameEncoding::kOem);
    CHECK(EncodingForHost(14) == NameEncoding::kOem);
    CHECK(EncodingForHost(3) == NameEncoding::kAsStored);
    CHECK(EncodingForHost(19) == NameEncoding::kAsStored);
    const Latin1Converter latin1;
    std::string out;
    CHECK(ToAnsiName("na\xc3\xafve", NameEncoding::kUtf8, latin1, out));
    CHECK(out == "na\xefve");
    CHECK_FALSE(ToAnsiName("\xe2\x82\xac", NameEncoding::kUtf8, latin1, out));
    CHECK(out == "?");
    CHECK(ToAnsiName("raw\xc3\xaf", NameEncoding::kAsStored, latin1, out));
    CHECK(out == "raw\xc3\xaf");
}
