// Report texts, the program log and the reporter's boxes.
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <stdexcept>

using namespace tsln;

namespace {
const std::string kHyphens(46, '-');

// Points the application folder at a temporary folder for the length of a test.
struct AppFolderAt {
    testing::TempDir dir{"log"};
    std::string old = AppFolder();
    AppFolderAt() { SetAppFolder(dir.Path() + "\\"); }
    ~AppFolderAt() { SetAppFolder(old); }
    std::string Log() const { return LogFilePath(); }
};

// Splits a log into its entries; each must end in CR LF, the hyphen line, CR LF.
std::vector<std::string> Entries(const std::string& log) {
    std::vector<std::string> entries;
    const std::string closing = "\r\n" + kHyphens + "\r\n";
    size_t start = 0;
    for (size_t at; (at = log.find(closing, start)) != std::string::npos; start = at + closing.size())
        entries.push_back(log.substr(start, at - start));
    REQUIRE(start == log.size());
    return entries;
}
} // namespace

TEST_CASE("report text") {
    AppError missing(53, "File not found");
    CHECK(BuildReport(missing, "Tessaline.clsSkins.Extract") ==
          "Error Number: 53\r\nFile not found\r\n\r\nDebug Information:\r\nTessaline.clsSkins.Extract");

    AppError timers(static_cast<int32_t>(0x80047925u), "No timers available", {}, 120);
    CHECK(BuildReport(timers, "Tessaline.modMain.Main") ==
          "Error Number: -2147190491\r\nNo timers available\r\n\r\nDebug "
          "Information:\r\nTessaline.modMain.Main.120");
}

TEST_CASE("failures of every kind become one report") {
    auto classify = [](auto raise) {
        try {
            raise();
        } catch (...) {
            return CurrentFailure();
        }
        return AppError();
    };
    AppError a = classify([] { TSLN_FAIL(76, "Path not found"); });
    CHECK(a.number == 76);
    CHECK(a.line > 0);
    CHECK(classify([] { throw std::bad_alloc(); }).number == 7);
    CHECK(classify([] { throw std::runtime_error("odd"); }).description == "odd");
    CHECK(classify([] { throw 5; }).number == 51);

    AppError w = Win32Failure(ERROR_FILE_NOT_FOUND);
    CHECK(w.number == 2);
    CHECK_FALSE(w.description.empty());
    CHECK(w.description.back() != '\n');
}

TEST_CASE("log entries") {
    CHECK(LogEntry("12/8/2026 1:44:17 AM", "text") == "12/8/2026 1:44:17 AM\ttext\r\n" + kHyphens);
    std::string now = GeneralDateTimeNow();
    CHECK(now.find(' ') != std::string::npos); // short date, a blank, long time
    CHECK(now.find(':') != std::string::npos);
}

TEST_CASE("AppendText appends, overwrites and never fails") {
    testing::TempDir dir("append");
    const std::string file = dir / "notes.log";
    CHECK(AppendText(file, "one", false));
    CHECK(AppendText(file, "two", false));
    CHECK(testing::ReadFileBytes(file) == "one\r\ntwo\r\n");
    CHECK(AppendText(file, "three", true));
    CHECK(testing::ReadFileBytes(file) == "three\r\n");
    CHECK(AppendText(dir / "fresh.log", "x", true));
    CHECK(testing::ReadFileBytes(dir / "fresh.log") == "x\r\n");

    CHECK(AppendText(dir / "no\\such\\folder\\a.log", "lost", false));
    CHECK(AppendText("", "lost", true));

    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK(AppendText(file, "lost", false));
    CHECK(AppendText(file, "lost", true));
    CHECK(testing::ReadFileBytes(file) == "three\r\n");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("silent reports are only logged, one entry each") {
    AppFolderAt folder;
    testing::BoxWatcher boxes;
    ReportError("first", kSilent);
    ReportError("second\r\nline", kSilent);
    std::vector<std::string> entries = Entries(testing::ReadFileBytes(folder.Log()));
    REQUIRE(entries.size() == 2);
    CHECK(entries[0].substr(entries[0].find('\t')) == "\tfirst");
    CHECK(entries[1].substr(entries[1].find('\t')) == "\tsecond\r\nline");
    CHECK(boxes.Seen().empty());
    CHECK(folder.Log() == folder.dir.Path() + "\\test_core.log");
}

TEST_CASE("shown reports open the error box, then log") {
    AppFolderAt folder;
    {
        testing::BoxWatcher boxes;
        try {
            TSLN_FAIL(53, "File not found");
        } catch (...) {
            HandleFailure("Tessaline.clsSkins.Extract", kShown);
        }
        std::vector<testing::BoxInfo> seen = boxes.Seen();
        REQUIRE(seen.size() == 1);
        CHECK(seen[0].title == "Program error Tessaline");
        CHECK(seen[0].icon == "error");
        CHECK(seen[0].text.rfind("Error Number: 53\r\nFile not found\r\n\r\nDebug Information:\r\n"
                                 "Tessaline.clsSkins.Extract.",
                                 0) == 0);
        CHECK(seen[0].text.find("\r\n\r\nIf this error persist please contact\r\nQuillfen at ") !=
              std::string::npos);
    }
    std::vector<std::string> entries = Entries(testing::ReadFileBytes(folder.Log()));
    REQUIRE(entries.size() == 1);
    CHECK(entries[0].find("\tError Number: 53\r\n") != std::string::npos);
    CHECK(entries[0].find("If this error persist") == std::string::npos); // the box's lines stay in the box

    // A read-only log: the box still shows and nothing is written.
    SetFileAttributesA(folder.Log().c_str(), FILE_ATTRIBUTE_READONLY);
    {
        testing::BoxWatcher boxes;
        ReportError("while read-only", kShown);
        CHECK(boxes.Seen().size() == 1);
    }
    SetFileAttributesA(folder.Log().c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(Entries(testing::ReadFileBytes(folder.Log())).size() == 1);
}

TEST_CASE("a missing application folder loses the report quietly") {
    std::string old = AppFolder();
    SetAppFolder("Z:\\no\\such\\place\\");
    ReportError("lost", kSilent);
    SetAppFolder(old);
    CHECK_FALSE(testing::PathExists("Z:\\no\\such\\place"));
}

TEST_CASE("a guarded handler reports with its own source and returns its neutral result") {
    AppFolderAt folder;
    testing::BoxWatcher boxes;
    CHECK(Guarded("Tessaline.test.Sum", kSilent, 0, [] { return 2 + 3; }) == 5);
    CHECK(Guarded("Tessaline.test.Fails", kSilent, -1, []() -> int { TSLN_FAIL(53, "File not found"); }) ==
          -1);
    CHECK(Guarded("Tessaline.test.Text", kSilent, "", []() -> std::string {
              throw std::runtime_error("x");
          }).empty());
    bool ran = false;
    Guarded("Tessaline.test.Void", kSilent, [&] {
        ran = true;
        throw 1;
    });
    CHECK(ran);

    std::vector<std::string> entries = Entries(testing::ReadFileBytes(folder.Log()));
    REQUIRE(entries.size() == 3);
    CHECK(entries[0].find(
              "Error Number: 53\r\nFile not found\r\n\r\nDebug Information:\r\nTessaline.test.Fails.") !=
          std::string::npos);
    CHECK(entries[1].find("\r\nTessaline.test.Text") != std::string::npos);
    CHECK(entries[2].find("Error Number: 51\r\nInternal error") != std::string::npos);
    CHECK(entries[2].find("\r\nTessaline.test.Void") != std::string::npos);
    CHECK(boxes.Seen().empty());
}
