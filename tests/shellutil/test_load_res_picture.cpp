// The built-in pictures: real resources of this exe, loaded through a real temporary file.
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "shellutil/load_res_picture.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <set>

using namespace tsln;

namespace {

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return folder;
}

// The loader's temporary files present in a folder.
std::set<std::string> LrpFiles(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    unique_find search(FindFirstFileA((AddBackslash(folder) + "LRP*.tmp").c_str(), &found));
    if (!search) return names;
    do {
        names.insert(found.cFileName);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

SIZE BitmapSize(const unique_picture& picture) {
    OLE_HANDLE handle = 0;
    REQUIRE(picture->get_Handle(&handle) == S_OK);
    BITMAP bitmap{};
    REQUIRE(GetObjectA(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap) ==
            sizeof bitmap);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

short PictureType(const unique_picture& picture) {
    short type = PICTYPE_UNINITIALIZED;
    picture->get_Type(&type);
    return type;
}

AppError FailureOf(int number, const std::string& type) {
    try {
        cLoadResPicture().LoadResPicture(number, type);
    } catch (const AppError& e) {
        return e;
    }
    FAIL("no failure raised for " << number << " " << type);
    return {};
}

// Points TMP and TEMP (where the temporary folder comes from) somewhere else for a while.
class TempFolderAt {
public:
    explicit TempFolderAt(const std::string& folder) {
        for (const char* name : {"TMP", "TEMP"}) {
            char value[MAX_PATH] = {};
            DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
            saved_.push_back({name, length ? std::string(value) : std::string(), length != 0});
            SetEnvironmentVariableA(name, folder.c_str());
        }
    }
    ~TempFolderAt() {
        for (const Saved& s : saved_)
            SetEnvironmentVariableA(s.name, s.existed ? s.value.c_str() : nullptr);
    }
    TempFolderAt(const TempFolderAt&) = delete;
    TempFolderAt& operator=(const TempFolderAt&) = delete;

private:
    struct Saved {
        const char* name;
        std::string value;
        bool existed;
    };
    std::vector<Saved> saved_;
};
} // namespace

TEST_CASE("the built-in pictures load as 230 x 164 bitmaps and leave no temporary file") {
    const std::string temp = TempFolder();
    const std::set<std::string> before = LrpFiles(temp);
    cLoadResPicture loader;
    struct {
        int number;
        const char* type;
    } const pictures[] = {{101, "GIF"}, {101, "GIF"}, {102, "GIF"}, {103, "JPG"}, {103, "jpg"}};
    for (const auto& p : pictures) {
        CAPTURE(p.number);
        CAPTURE(p.type);
        unique_picture picture = loader.LoadResPicture(p.number, p.type);
        REQUIRE(picture);
        CHECK(PictureType(picture) == PICTYPE_BITMAP);
        SIZE size = BitmapSize(picture);
        CHECK(size.cx == 230);
        CHECK(size.cy == 164);
        CHECK(LrpFiles(temp) == before);
    }
}

TEST_CASE("a picture that is not there fails with the loader's source and leaves no file") {
    const std::string temp = TempFolder();
    const std::set<std::string> before = LrpFiles(temp);
    const std::string source = ExeBaseName() + ".cLoadResPicture";
    CHECK(source == "test_shellutil.cLoadResPicture");
    struct {
        int number;
        const char* type;
    } const missing[] = {{999, "GIF"}, {101, "PNG"},  {103, "GIF"},        {101, ""},
                         {0, "GIF"},   {-101, "GIF"}, {65536 + 101, "GIF"}};
    for (const auto& m : missing) {
        CAPTURE(m.number);
        CAPTURE(m.type);
        AppError failure = FailureOf(m.number, m.type);
        CHECK(failure.number == err::kResourceNotFound.number);
        CHECK(failure.description == "Resource with identifier '" + std::to_string(m.number) + "' not found");
        CHECK(failure.source == source);
        CHECK(LrpFiles(temp) == before);
    }
}

TEST_CASE("a resource whose bytes are no picture fails after its temporary file was written") {
    const std::string temp = TempFolder();
    const std::set<std::string> before = LrpFiles(temp);
    AppError failure = FailureOf(900, "GIF");
    CHECK(failure.number == err::kInvalidPicture.number); // told by its content, before the platform's loader
    CHECK(failure.source == ExeBaseName() + ".cLoadResPicture");
    CHECK(LrpFiles(temp) == before);
}

TEST_CASE("the temporary folder decides where the file goes and how a failure reads") {
    SUBCASE("a folder with spaces in its name") {
        testing::TempDir dir("lrp with spaces");
        TempFolderAt at(dir.Path());
        unique_picture picture = cLoadResPicture().LoadResPicture(102, "GIF");
        REQUIRE(picture);
        CHECK(BitmapSize(picture).cx == 230);
        CHECK(LrpFiles(dir.Path()).empty());
    }
    SUBCASE("a folder that does not exist") {
        testing::TempDir dir("lrp");
        const std::string gone = dir / "no such folder";
        TempFolderAt at(gone);
        // What the platform says about a temporary file in that folder.
        char name[MAX_PATH + 1] = {};
        SetLastError(0);
        GetTempFileNameA(gone.c_str(), "LRP", 0, name);
        const DWORD code = GetLastError();
        REQUIRE(code != 0);
        char text[256] = {};
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      code, 0, text, sizeof text, nullptr);

        AppError failure = FailureOf(101, "GIF");
        CHECK(failure.number == static_cast<int32_t>(code | 10000)); // or'ed, not added
        CHECK(failure.description == std::string(text, length));
        CHECK(failure.source == ExeBaseName() + ".cLoadResPicture");
        CHECK_FALSE(testing::PathExists(gone));
    }
}

TEST_CASE("a caller's handler reports the loader's failure and goes on") {
    testing::TempDir logDir("lrplog");
    const std::string oldFolder = AppFolder();
    SetAppFolder(logDir.Path() + "\\");
    auto restore = make_scope_exit([&] { SetAppFolder(oldFolder); });

    auto preview = []() -> unique_picture {
        try {
            return cLoadResPicture().LoadResPicture(4242, "GIF");
        } catch (...) {
            HandleFailure("Tessaline.clsWallpaperLogons.Preview", kSilent);
            return {};
        }
    };
    CHECK_FALSE(preview());
    std::string log = testing::ReadFileBytes(LogFilePath());
    CHECK(log.find("Error Number: 326\r\nResource with identifier '4242' not found") != std::string::npos);
    CHECK(log.find("Tessaline.clsWallpaperLogons.Preview") != std::string::npos);
}
