// The registry accessor against the real registry of the test prefix.
#include "core/app_error.h"
#include "core/registry_routines.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using namespace tsln;
using testing::ScratchKey;

namespace {
RegistryRoutines At(const ScratchKey& scratch, const std::string& subkey = "") {
    RegistryRoutines reg;
    reg.SetHkey(HKEY_CURRENT_USER);
    reg.SetKeyRoot(scratch.Path());
    reg.SetSubkey(subkey);
    return reg;
}
} // namespace

TEST_CASE("reading values: missing key, missing value, defaults and sizes") {
    ScratchKey scratch("reading");
    RegistryRoutines reg = At(scratch, "Settings");

    // No key at all: the marker text, not the default.
    CHECK(reg.GetRegistryValue("Skin", "dflt") == RegValue("Error!"));
    CHECK_FALSE(reg.KeyExists());

    REQUIRE(reg.CreateKey() == "0");
    CHECK(reg.KeyExists());
    CHECK(reg.GetRegistryValue("Skin", "dflt") == RegValue("dflt"));
    CHECK(reg.GetRegistryValue("Skin").IsEmpty());

    // Text stored empty reads back as the caller's default.
    REQUIRE(reg.SetRegistryValue("Empty", std::string(), REG_SZ));
    CHECK(reg.GetRegistryValue("Empty", "fallback") == RegValue("fallback"));
    DWORD type = 0;
    std::vector<BYTE> raw;
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, reg.CurrentKeyPath(), "Empty", type, raw));
    CHECK(type == REG_SZ);

    // Longer than the first buffer: read whole after growing it.
    std::string big(3000, 'x');
    big[2999] = 'z';
    REQUIRE(reg.SetRegistryValue("Big", big, REG_SZ));
    CHECK(reg.GetRegistryValue("Big").AsText() == big);

    REQUIRE(reg.SetRegistryValue("Text", "C:\\Pictures\\a b.jpg", REG_SZ));
    CHECK(reg.GetRegistryValue("Text") == RegValue("C:\\Pictures\\a b.jpg"));
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, reg.CurrentKeyPath(), "Text", type, raw));
    CHECK(raw.size() == 20); // the text and its terminator
}

TEST_CASE("each value type reads back converted") {
    ScratchKey scratch("types");
    RegistryRoutines reg = At(scratch);
    REQUIRE(reg.CreateKey() == "0");
    const std::string path = scratch.Path() + "\\";

    REQUIRE(reg.SetRegistryValue("Level", int32_t(-75), REG_DWORD));
    CHECK(reg.GetRegistryValue("Level") == RegValue(int32_t(-75)));
    REQUIRE(reg.SetRegistryValue("FromText", " 230 ", REG_DWORD));
    CHECK(reg.GetRegistryValue("FromText") == RegValue(int32_t(230)));

    REQUIRE(reg.SetRegistryValue("Bytes", RegValue::Bytes{0x0A, 0x05, 0xFF}, REG_BINARY));
    CHECK(reg.GetRegistryValue("Bytes") == RegValue(RegValue::Bytes{0x0A, 0x05, 0xFF}));

    SetEnvironmentVariableA("TSLN_TEST_DIR", "C:\\Somewhere");
    testing::SetString(HKEY_CURRENT_USER, path, "Expand", "%TSLN_TEST_DIR%\\pic.bmp", REG_EXPAND_SZ);
    CHECK(reg.GetRegistryValue("Expand") == RegValue("C:\\Somewhere\\pic.bmp"));

    std::string multi("one\0two\0\0", 9);
    testing::SetString(HKEY_CURRENT_USER, path, "Multi", multi, REG_MULTI_SZ);
    CHECK(reg.GetRegistryValue("Multi").AsText() == std::string("one\0two", 7));

    // Another program's text written without its terminator keeps its last character, read or listed.
    testing::SetRaw(HKEY_CURRENT_USER, path, "Bare", REG_SZ, "bare", 4);
    CHECK(reg.GetRegistryValue("Bare") == RegValue("bare"));
    CHECK(*reg.EnumRegistryValues(HKEY_CURRENT_USER, scratch.Path()).Find("Bare") == RegValue("bare"));

    // A type the accessor does not handle gives the default, though the value is there.
    const BYTE qword[8] = {1};
    testing::SetRaw(HKEY_CURRENT_USER, path, "Qword", REG_QWORD, qword, sizeof qword);
    DWORD type = 0;
    std::vector<BYTE> raw;
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, path, "Qword", type, raw));
    REQUIRE(type == REG_QWORD);
    CHECK(reg.GetRegistryValue("Qword", "d") == RegValue("d"));
}

TEST_CASE("writing: the key is never created, bad conversions write nothing") {
    ScratchKey scratch("writing");
    RegistryRoutines reg = At(scratch, "Missing");
    CHECK_FALSE(reg.SetRegistryValue("X", "y", REG_SZ));
    CHECK_FALSE(testing::KeyExists(HKEY_CURRENT_USER, reg.CurrentKeyPath()));

    reg.SetSubkey("");
    REQUIRE(reg.CreateKey() == "0"); // an empty subkey addresses the base key itself
    CHECK(testing::KeyExists(HKEY_CURRENT_USER, scratch.Path()));

    try {
        reg.SetRegistryValue("Number", "twelve", REG_DWORD);
        FAIL("a text that is no number must not become a DWORD");
    } catch (const AppError& e) {
        CHECK(e.number == 13);
        CHECK(e.description == "Type mismatch");
    }
    CHECK_THROWS_AS(reg.SetRegistryValue("Number", "99999999999", REG_DWORD), AppError);
    CHECK_THROWS_AS(reg.SetRegistryValue("Bytes", int32_t(5), REG_BINARY), AppError);
    DWORD type;
    std::vector<BYTE> raw;
    CHECK_FALSE(testing::ReadRaw(HKEY_CURRENT_USER, scratch.Path() + "\\", "Number", type, raw));
}

TEST_CASE("creating and deleting keys and values") {
    ScratchKey scratch("keys");
    RegistryRoutines reg = At(scratch, "Wallpapers\\List");
    REQUIRE(reg.CreateKey() == "0");
    CHECK(testing::KeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Wallpapers\\List"));

    // A key that has subkeys stays; the result is 0 either way.
    CHECK(reg.DeleteKey("Wallpapers") == 0);
    CHECK(testing::KeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Wallpapers"));
    CHECK(reg.DeleteKey("Nothing") == 0);
    CHECK(reg.DeleteKey("Wallpapers\\List") == 0);
    CHECK_FALSE(testing::KeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Wallpapers\\List"));

    reg.SetSubkey("Wallpapers");
    REQUIRE(reg.SetRegistryValue("1", "a", REG_SZ));
    CHECK(reg.DeleteValue("1") == ERROR_SUCCESS);
    CHECK(reg.DeleteValue("1") == ERROR_FILE_NOT_FOUND);
    reg.SetSubkey("Gone");
    CHECK(reg.DeleteValue("1") == ERROR_FILE_NOT_FOUND);

    // Paths relative to the root itself.
    CHECK(reg.DeleteSubkey(scratch.Path() + "\\Wallpapers").empty());
    CHECK_FALSE(testing::KeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Wallpapers"));
    CHECK(reg.DeleteSubkey(scratch.Path() + "\\Never\\There").empty());
}

TEST_CASE("enumerating values converts each type and keeps the registry's order") {
    ScratchKey scratch("enum");
    RegistryRoutines reg;
    const std::string path = scratch.Path() + "\\List";
    CHECK(reg.EnumRegistryValues(HKEY_CURRENT_USER, path).Count() == 0);

    testing::SetString(HKEY_CURRENT_USER, path, "1", "a");
    testing::SetString(HKEY_CURRENT_USER, path, "2", "b");
    RegPairs pairs = reg.EnumRegistryValues(HKEY_CURRENT_USER, path);
    REQUIRE(pairs.Count() == 2);
    CHECK(pairs[0].first == "1");
    CHECK(pairs[0].second == RegValue("a"));
    CHECK(pairs[1].first == "2");
    CHECK(pairs[1].second == RegValue("b"));

    testing::SetBinary(HKEY_CURRENT_USER, path, "bin", {0x0A, 0x05, 0xFF});
    testing::SetDword(HKEY_CURRENT_USER, path, "dw", 0xFFFFFFFE);
    testing::SetString(HKEY_CURRENT_USER, path, "multi", std::string("x\0y\0\0", 5), REG_MULTI_SZ);
    testing::SetString(HKEY_CURRENT_USER, path, "empty", "");
    std::string long_text(5000, 'q');
    testing::SetString(HKEY_CURRENT_USER, path, "long", long_text);
    pairs = reg.EnumRegistryValues(HKEY_CURRENT_USER, path);
    REQUIRE(pairs.Find("BIN") != nullptr);
    CHECK(*pairs.Find("bin") == RegValue("0A 05 FF"));
    CHECK(*pairs.Find("dw") == RegValue(int32_t(-2)));
    CHECK(*pairs.Find("multi") == RegValue("x,y"));
    CHECK(*pairs.Find("empty") == RegValue(""));
    CHECK(*pairs.Find("long") == RegValue(long_text));
    CHECK(pairs.Find("missing") == nullptr);

    // The order is whatever the registry enumerates (Wine sorts names as text); callers that need a
    // numeric order sort the names themselves.
    testing::SetString(HKEY_CURRENT_USER, path, "10", "j");
    pairs = reg.EnumRegistryValues(HKEY_CURRENT_USER, path);
    const std::vector<std::string> enumerated = testing::ValueNames(HKEY_CURRENT_USER, path);
    REQUIRE(enumerated.size() == 8);
    REQUIRE(pairs.Count() == enumerated.size());
    for (size_t i = 0; i < enumerated.size(); ++i)
        CHECK(pairs[i].first == enumerated[i]);
}

TEST_CASE("TrimNull and hex text") {
    std::string text("abc\0def", 7);
    CHECK(RegistryRoutines::TrimNull(text) == "abc");
    CHECK(text == "abc");
    std::string whole = "whole";
    CHECK(RegistryRoutines::TrimNull(whole) == "whole");
    CHECK(BytesToHexText(nullptr, 0).empty());
    const uint8_t one = 0xA0;
    CHECK(BytesToHexText(&one, 1) == "A0");
}

TEST_CASE("value conversions") {
    CHECK(TextToLong("42") == 42);
    CHECK(TextToLong("-7") == -7);
    CHECK(TextToLong("&HFF") == 255);
    CHECK(TextToLong("&HFFFFFFFF") == -1);
    CHECK(TextToLong("2.5") == 2); // half to even
    CHECK(TextToLong("3.5") == 4);
    CHECK(TextToLong("2147483647") == 2147483647);
    CHECK_THROWS_AS(TextToLong("2147483648"), AppError);
    CHECK_THROWS_AS(TextToLong(""), AppError);
    CHECK_THROWS_AS(TextToLong("12abc"), AppError);
    CHECK_THROWS_AS(TextToLong("&H"), AppError);
    CHECK(RegValue(int32_t(12)).AsText() == "12");
    CHECK(RegValue().AsText().empty());
    CHECK(RegValue().AsLong() == 0);
    CHECK(RegValue("ab").AsBytes() == RegValue::Bytes{'a', 'b'});
}
