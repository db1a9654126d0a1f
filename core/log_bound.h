// The program log's bound: a log that grows without end (a folder gone for a month, failing on every
// scheduled change) would fill the disk and bury the first, useful entries under repeats. Past the limit
// the log keeps its newest whole entries, about half the limit, so that the file is cut seldom and every
// entry left reads as written.
#pragma once
#include <cstddef>
#include <string>

namespace tsln {

// The size past which the log is cut back to its newest entries.
constexpr size_t kLogLimitBytes = 1024 * 1024;

// The newest whole entries of a log's content that fit in `keepBytes` (each entry ends with the line of
// hyphens and CR LF); empty when no entry ends within them.
std::string NewestLogEntries(const std::string& content, size_t keepBytes);

} // namespace tsln
