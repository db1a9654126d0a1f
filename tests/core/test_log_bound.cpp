// The program log stays bounded: past its limit it keeps its newest whole entries.
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/log_bound.h"
#include "core/mod_main.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using namespace tsln;

namespace {
std::string Entry(const std::string& text) {
    return LogEntry("1/2/2026 3:04:05 AM", text) + "\r\n";
}
} // namespace

TEST_CASE("the newest whole entries are kept, never a part of one") {
    const std::string a = Entry("first"), b = Entry("second"), c = Entry("third\r\nline");
    const std::string log = a + b + c;
    CHECK(NewestLogEntries(log, log.size()) == log);
    CHECK(NewestLogEntries(log, b.size() + c.size()) == b + c);
    CHECK(NewestLogEntries(log, b.size() + c.size() - 1) == c);
    CHECK(NewestLogEntries(log, c.size()) == c);
    CHECK(NewestLogEntries(log, c.size() - 1).empty());
    CHECK(NewestLogEntries("no entries at all, only text" + std::string(100, 'x'), 10).empty());
}

TEST_CASE("a log past its limit is cut back to its newest entries when the next report comes") {
    testing::TempDir dir("logbound");
    const std::string old = AppFolder();
    SetAppFolder(dir.Path() + "\\");
    auto back = make_scope_exit([&] { SetAppFolder(old); });

    // Just under the limit: appended to as ever.
    std::string log;
    for (int i = 0; log.size() < kLogLimitBytes - 200; ++i)
        log += Entry("Error Number: 76\r\nPath not found\r\n\r\nDebug Information:\r\nentry " +
                     std::to_string(i));
    REQUIRE(testing::WriteFileBytes(LogFilePath(), log));
    ReportError("the last that fits", kSilent);
    std::string now = testing::ReadFileBytes(LogFilePath());
    CHECK(now.compare(0, log.size(), log) == 0);
    for (int i = 0; now.size() <= kLogLimitBytes; ++i) {
        ReportError("filler " + std::to_string(i), kSilent);
        now = testing::ReadFileBytes(LogFilePath());
    }
    REQUIRE(now.size() > kLogLimitBytes);

    // Past it: the next report finds about half the limit of whole entries, then its own.
    ReportError("after the cut", kSilent);
    now = testing::ReadFileBytes(LogFilePath());
    CHECK(now.size() <= kLogLimitBytes / 2 + 200);
    CHECK(now.size() > kLogLimitBytes / 2 - 300);
    CHECK(now.rfind("1/2/2026", 0) == 0); // begins with a whole entry of the old ones
    const std::string tail = "\tafter the cut\r\n" + std::string(46, '-') + "\r\n";
    CHECK(now.compare(now.size() - tail.size(), tail.size(), tail) == 0);
    CHECK(now.find("\tthe last that fits\r\n") != std::string::npos);

    // A read-only log is never cut.
    std::string full = testing::ReadFileBytes(LogFilePath());
    for (int i = 0; full.size() <= kLogLimitBytes; ++i)
        full += Entry("bulk " + std::to_string(i));
    REQUIRE(testing::WriteFileBytes(LogFilePath(), full));
    SetFileAttributesA(LogFilePath().c_str(), FILE_ATTRIBUTE_READONLY);
    ReportError("while read-only", kSilent);
    SetFileAttributesA(LogFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(testing::ReadFileBytes(LogFilePath()) == full);
}
