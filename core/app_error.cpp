#include "core/app_error.h"
#include "core/error_report.h"

#include <windows.h>
#include <new>

namespace tsln {

std::string SystemErrorText(unsigned long code, ErrorTextEnd end) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    if (end == ErrorTextEnd::AsFormatted) return text;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "Unknown error " + std::to_string(code);
    return text;
}

AppError Win32Failure(unsigned long code, int line) {
    return AppError(static_cast<int32_t>(code), SystemErrorText(code), {}, line);
}

AppError CurrentFailure() noexcept {
    try {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return Raised(0, err::kOutOfMemory);
    } catch (const std::exception& e) {
        return AppError(err::kInvalidCall.number, e.what());
    } catch (...) {
        return Raised(0, err::kInternal);
    }
}

std::string BuildReport(const AppError& failure, const std::string& source) {
    std::string report = "Error Number: " + std::to_string(failure.number) + "\r\n";
    report += failure.description + "\r\n\r\nDebug Information:\r\n" + source;
    if (failure.line > 0) report += "." + std::to_string(failure.line);
    return report;
}

void HandleFailure(const char* source, bool silent) noexcept {
    try {
        ReportError(BuildReport(CurrentFailure(), source), silent);
    } catch (...) {
        // The reporter never fails towards its caller.
    }
}

} // namespace tsln
