// The zip extraction interface over the real dist\tsln.dll: listing, selecting, extracting, the events
// and the answers the library gets, and archives that try to write elsewhere.
#include "bench/process_counts.h"
#include "core/app_error.h"
#include "skins/cUnzip.h"
#include "tests/skins/zip_writer.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using namespace tsln;
using testing::FailureNumber;

namespace {
std::string Library() {
    return testing::DistDir() + "\\tsln.dll";
}
std::string Archive(const std::string& name) {
    return std::string(TSLN_TESTS_DIR) + (name == "sample.zip" ? "\\unzip\\data\\" : "\\fuzz\\corpus\\") +
           name;
}

// An object set up for one archive and one target folder.
struct Unzip {
    explicit Unzip(const std::string& archive) {
        zip.SetZipFile(Archive(archive));
        zip.SetUnzipFolder(target.Path());
    }
    bool Has(const std::string& relative) const { return testing::PathExists(target / relative); }
    testing::TempDir target{"unzip"};
    cUnzip zip{Library()};
};

} // namespace

TEST_CASE("listing an archive") {
    Unzip u("sample.zip");
    CHECK(u.zip.Directory() == TSLN_UNZIP_OK);
    REQUIRE(u.zip.FileCount() == 3); // the folder entry is not listed
    const cUnzipEntry& logo = u.zip.Entry(1);
    CHECK(logo.FileName == "logo.bin");
    CHECK(logo.Folder == "skins\\blue");
    CHECK(logo.Size == 10);
    CHECK(logo.PackedSize == 10);
    CHECK(logo.Method == "Stored");
    CHECK(logo.Date.Year == 2024);
    CHECK(logo.Date.Month == 3);
    CHECK(logo.Date.Day == 15);
    CHECK(logo.Date.Hour == 10);
    CHECK(logo.Date.Minute == 42);
    CHECK(logo.CRC == 0xd0bd2924u);
    CHECK(!logo.Encrypted);
    CHECK(!logo.Selected);
    CHECK(u.zip.FileName(2) == "readme.txt");
    CHECK(u.zip.Entry(2).Folder.empty());
    CHECK(u.zip.FileName(3) == "skin.ini");
    CHECK(FailureNumber([&] { u.zip.FileName(0); }) == err::kSubscript.number);
    CHECK(FailureNumber([&] { u.zip.SetFileSelected(4, true); }) == err::kSubscript.number);
    u.zip.Directory(); // appends
    CHECK(u.zip.FileCount() == 6);
    u.zip.SetZipFile(Archive("sample.zip"));
    CHECK(u.zip.FileCount() == 0);
    CHECK(!u.Has("readme.txt"));

    cUnzip encrypted(Library());
    encrypted.SetZipFile(Archive("encrypted.zip"));
    encrypted.Directory();
    REQUIRE(encrypted.FileCount() == 3);
    CHECK(!encrypted.Entry(1).Encrypted);
    CHECK(encrypted.Entry(2).Encrypted);
}

TEST_CASE("extracting what is selected") {
    Unzip u("sample.zip");
    SUBCASE("one entry keeps its stored folder") {
        u.zip.Directory();
        u.zip.SetFileSelected(3, true);
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
        CHECK(u.Has("skins\\blue\\skin.ini"));
        CHECK(!u.Has("readme.txt"));
        CHECK(!u.Has("skins\\blue\\logo.bin"));
    }
    SUBCASE("nothing selected extracts nothing") {
        u.zip.Directory();
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
        CHECK(!u.Has("skins"));
        CHECK(!u.Has("readme.txt"));
    }
    SUBCASE("every entry selected, or none listed, extracts the whole archive") {
        SUBCASE("selected") {
            u.zip.Directory();
            for (int32_t i = 1; i <= u.zip.FileCount(); ++i)
                u.zip.SetFileSelected(i, true);
        }
        SUBCASE("not listed") {}
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
        CHECK(u.Has("readme.txt"));
        CHECK(u.Has("skins\\blue\\logo.bin"));
        CHECK(u.Has("skins\\blue\\skin.ini"));
        CHECK(u.Has("empty"));
    }
    SUBCASE("without an archive nothing happens") {
        u.zip.SetZipFile("");
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
        CHECK(!u.Has("readme.txt"));
    }
}

TEST_CASE("an archive that tries to write elsewhere") {
    testing::TempDir outer("outer");
    const std::string target = outer / "a\\b";
    REQUIRE(CreateDirectoryA((outer / "a").c_str(), nullptr));
    REQUIRE(CreateDirectoryA(target.c_str(), nullptr));
    skins_test::WriteZip(outer / "evil.zip", {{"../up.txt", "x"},
                                              {"..\\..\\up2.txt", "x"},
                                              {"ok/../../up3.txt", "x"},
                                              {"/root.txt", "x"},
                                              {"C:/drive.txt", "x"},
                                              {outer / "full.txt", "x"},
                                              {"ok/fine.txt", "fine"}});
    cUnzip zip(Library());
    zip.SetZipFile(outer / "evil.zip");
    zip.SetUnzipFolder(target);
    std::vector<std::string> printed;
    zip.Progress = [&](int32_t count, const std::string& text) {
        CHECK(count == 1);
        printed.push_back(text);
    };
    CHECK(zip.UnZip() == TSLN_UNZIP_WARNING);
    CHECK(testing::ReadFileBytes(target + "\\ok\\fine.txt") == "fine");
    for (const char* name : {"a\\up.txt", "up2.txt", "a\\up3.txt", "full.txt"})
        CHECK_MESSAGE(!testing::PathExists(outer / name), name);
    CHECK(!testing::PathExists("C:\\root.txt"));
    CHECK(!testing::PathExists("C:\\drive.txt"));
    bool told = false;
    for (const std::string& line : printed)
        told = told || line == "warning: skipped unsafe name: ..\\up.txt"; // "/" shown as "\"
    CHECK(told);
}

TEST_CASE("the events and the answers the library gets") {
    SUBCASE("an existing file is kept unless the listener or the option says otherwise") {
        Unzip u("sample.zip");
        testing::WriteFileBytes(u.target / "readme.txt", "mine");
        std::vector<std::string> asked;
        u.zip.OverwritePrompt = [&](const std::string& file, int& response) {
            asked.push_back(file);
            CHECK(response == IDM_REPLACE_NO);
        };
        u.zip.UnZip();
        CHECK(testing::ReadFileBytes(u.target / "readme.txt") == "mine");
        REQUIRE(asked.size() == 1);
        CHECK(asked[0].find('/') == std::string::npos);
        u.zip.OverwritePrompt = [&](const std::string&, int& response) { response = IDM_REPLACE_YES; };
        u.zip.UnZip();
        CHECK(testing::ReadFileBytes(u.target / "readme.txt") != "mine");
        testing::WriteFileBytes(u.target / "readme.txt", "mine");
        u.zip.OverwritePrompt = [&](const std::string&, int&) { FAIL("asked with OverwriteExisting"); };
        u.zip.SetOverwriteExisting(true);
        u.zip.UnZip();
        CHECK(testing::ReadFileBytes(u.target / "readme.txt") != "mine");
    }
    SUBCASE("passwords: given, or refused once for the whole call") {
        Unzip u("encrypted.zip");
        int asked = 0;
        u.zip.PasswordRequest = [&](std::string& password, bool& cancel) {
            ++asked;
            password = "  tessaline  "; // trimmed
        };
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
        CHECK(asked == 1); // the second entry opens with the same password
        CHECK(testing::ReadFileBytes(u.target / "secret\\one.txt") == "first secret\n");
        testing::RemoveTree(u.target / "secret");

        asked = 0;
        u.zip.PasswordRequest = [&](std::string& password, bool& cancel) {
            ++asked;
            password = "tessaline";
            cancel = true;
        };
        CHECK(u.zip.UnZip() == TSLN_UNZIP_BADPASSWORD);
        CHECK(asked == 1);
        CHECK(!u.Has("secret\\one.txt"));
        asked = 0;
        u.zip.UnZip(); // the refusal lasts one call only
        CHECK(asked == 1);
        u.zip.PasswordRequest = nullptr;
        CHECK(u.zip.UnZip() == TSLN_UNZIP_BADPASSWORD);
        CHECK(u.Has("plain.txt"));
    }
    SUBCASE("cancelling, and a call made from inside a listener") {
        Unzip u("sample.zip");
        std::vector<std::string> names;
        cUnzip inner(Library());
        inner.SetZipFile(Archive("encrypted.zip"));
        u.zip.Cancel = [&](const std::string& name, bool& cancel) {
            names.push_back(name);
            if (names.size() == 1) inner.Directory(); // the outer object is served again afterwards
            cancel = name == "skins\\blue\\skin.ini";
        };
        CHECK(u.zip.UnZip() == TSLN_UNZIP_CANCELLED);
        CHECK(inner.FileCount() == 3);
        CHECK(names ==
              std::vector<std::string>{"skins\\blue\\logo.bin", "readme.txt", "skins\\blue\\skin.ini"});
        CHECK(!u.Has("skins\\blue\\skin.ini"));
    }
    SUBCASE("a listener's failure reaches the caller once the library has returned") {
        Unzip u("sample.zip");
        u.zip.Cancel = [&](const std::string&, bool&) { TSLN_FAIL(err::kInvalidPropertyValue); };
        CHECK(FailureNumber([&] { u.zip.UnZip(); }) == err::kInvalidPropertyValue.number);
        CHECK(!u.Has("readme.txt")); // it counted as cancelling
        u.zip.Cancel = nullptr;
        CHECK(u.zip.UnZip() == TSLN_UNZIP_OK);
    }
}

TEST_CASE("archives read again and again keep none of the process's handles") {
    auto readOnce = [] {
        Unzip u("sample.zip");
        REQUIRE(u.zip.Directory() == TSLN_UNZIP_OK);
    };
    readOnce();
    const long before = bench::CountObjects().handles;
    for (int i = 0; i < 50; ++i)
        readOnce();
    CHECK(bench::CountObjects().handles <= before + 2); // each load of the library kept one on 32-bit
}

TEST_CASE("a library that cannot be loaded") {
    cUnzip zip(testing::DistDir() + "\\missing.dll");
    zip.SetZipFile(Archive("sample.zip"));
    AppError failure;
    try {
        zip.Directory();
    } catch (const AppError& e) {
        failure = e;
    }
    CHECK(failure.number == ERROR_MOD_NOT_FOUND);
    CHECK(!failure.description.empty());
}
