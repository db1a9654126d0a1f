// The reporter: shows a failure (unless silent) and appends it to the program log.
#pragma once
#include "core/product.h"

#include <string>

namespace tsln {

// Shows the report in an error box (unless Silent) and appends a log entry. Never fails.
void ReportError(const std::string& message, bool silent);

// The whole text of the error box for a report.
std::string ReportBoxText(const std::string& message);

// One log entry for `report` stamped with `stamp`: stamp, TAB, report, CR LF, 46 hyphens (no final CR LF;
// AppendText adds it).
std::string LogEntry(const std::string& stamp, const std::string& report);

// The current local time in the system's general date-and-time format (short date, blank, long time).
std::string GeneralDateTimeNow();

// The program log: the application folder, the executable's base name, ".log".
std::string LogFilePath();

// Cuts a log past kLogLimitBytes back to its newest whole entries (core/log_bound.h); a log that cannot be
// read or written is left as it is.
void BoundLog(const std::string& path);

// Writes text and CR LF to the file, replacing its content or appending. Failures are ignored.
bool AppendText(const std::string& path, const std::string& text, bool overwrite);

} // namespace tsln
