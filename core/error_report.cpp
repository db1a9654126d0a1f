#include "core/error_report.h"
#include "core/log_bound.h"
#include "core/mod_main.h"
#include "core/unique_any.h"

#include <windows.h>

namespace tsln {

std::string ReportBoxText(const std::string& message) {
    return message + "\r\n\r\nIf this error persist please contact\r\nQuillfen at " + kSupportAddress;
}

std::string LogEntry(const std::string& stamp, const std::string& report) {
    return stamp + "\t" + report + "\r\n" + std::string(46, '-');
}

std::string GeneralDateTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[128] = {};
    char time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

std::string LogFilePath() {
    return AppFolder() + ExeBaseName() + ".log";
}

void BoundLog(const std::string& path) {
    // A read-only log is left alone, as AppendText leaves it.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return;
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return; // in use: the append decides what happens
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size <= kLogLimitBytes) return;
    // Only the tail is read, however large the log grew before.
    constexpr DWORD kKeep = kLogLimitBytes / 2;
    constexpr DWORD kSlack = 64; // room for the separator that ends the entry before the kept ones
    std::string tail(kKeep + kSlack, '\0');
    DWORD read = 0;
    SetFilePointer(file.get(), static_cast<LONG>(size - tail.size()), nullptr, FILE_BEGIN);
    if (!ReadFile(file.get(), tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr) ||
        read != tail.size())
        return;
    const std::string kept = NewestLogEntries(tail, kKeep);
    DWORD written = 0;
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    if (WriteFile(file.get(), kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr))
        SetEndOfFile(file.get());
}

void ReportError(const std::string& message, bool silent) {
    try {
        if (!silent) {
            std::string title = std::string("Program error ") + kProductTitle;
            MessageBoxA(nullptr, ReportBoxText(message).c_str(), title.c_str(),
                        MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        }
        const std::string log = LogFilePath();
        BoundLog(log);
        AppendText(log, LogEntry(GeneralDateTimeNow(), message), false);
    } catch (...) {
        // A report that cannot be shown or written is lost; the caller goes on.
    }
}

bool AppendText(const std::string& path, const std::string& text, bool overwrite) {
    try {
        // A read-only file is left alone even where the platform would let an administrator write it.
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return true;
        unique_file file(CreateFileA(path.c_str(), overwrite ? GENERIC_WRITE : FILE_APPEND_DATA,
                                     FILE_SHARE_READ, nullptr, overwrite ? CREATE_ALWAYS : OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return true;
        if (!overwrite) SetFilePointer(file.get(), 0, nullptr, FILE_END);
        std::string line = text + "\r\n";
        DWORD written = 0;
        WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } catch (...) {
        // Bad path, no access or a full disk: the text is lost, as documented.
    }
    return true;
}

} // namespace tsln
