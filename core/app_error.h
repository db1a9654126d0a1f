// The one failure type: a number, a description, where it was raised and on which line.
#pragma once
#include "core/error_numbers.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace tsln {

struct AppError : std::exception {
    int32_t number = 0;
    std::string description;
    std::string source; // the raising procedure, when it names itself
    int line = 0;       // our own source line, 0 when unknown

    AppError() = default;
    AppError(int32_t n, std::string desc, std::string src = {}, int ln = 0)
        : number(n), description(std::move(desc)), source(std::move(src)), line(ln) {}
    const char* what() const noexcept override { return description.c_str(); }
};

// The failure `kind` raised on `line`. A '%' in its text becomes `detail`; in a text without one, a
// `detail` given replaces the text (the number stays the kind's).
inline AppError Raised(int line, ErrorKind kind, const std::string& detail = {}) {
    std::string text = kind.text;
    const size_t at = text.find('%');
    if (at != std::string::npos)
        text.replace(at, 1, detail);
    else if (!detail.empty())
        text = detail;
    return AppError(kind.number, std::move(text), {}, line);
}
// One of the program's own failures, with its own text.
inline AppError Raised(int line, int32_t number, std::string description) {
    return AppError(number, std::move(description), {}, line);
}

// Raises an AppError that records the line it was raised on: TSLN_FAIL(err::kOverflow),
// TSLN_FAIL(err::kNoSuchElement, "3"), or TSLN_FAIL(number, "the program's own text").
#define TSLN_FAIL(...) throw ::tsln::Raised(__LINE__, __VA_ARGS__)

// How SystemErrorText ends the platform's text.
enum class ErrorTextEnd {
    Trimmed,     // without the trailing line break; "Unknown error N" when the platform has no text
    AsFormatted, // exactly as the platform formats it, line break included; empty when it has no text
};

// The platform's text for a system error code.
std::string SystemErrorText(unsigned long code, ErrorTextEnd end = ErrorTextEnd::Trimmed);

// An AppError for a failed platform call: the code and the platform's text.
AppError Win32Failure(unsigned long code, int line = 0);

// Classifies the exception being handled (call only inside a catch block).
AppError CurrentFailure() noexcept;

// The report text for a failure handled by the procedure named by `source`.
std::string BuildReport(const AppError& failure, const std::string& source);

// The handler of every procedure: report the current failure with the procedure's fixed source and
// Silent choice. Call only inside a catch block; never throws.
void HandleFailure(const char* source, bool silent) noexcept;

constexpr bool kShown = false;
constexpr bool kSilent = true;

// The shape of every handler: runs `body`; when it fails, reports the failure with the handler's fixed
// source and Silent choice and returns `neutral` (false, 0, empty). Nothing escapes, so a window, timer or
// COM callback may be one call of it.
template <typename Neutral, typename Body>
auto Guarded(const char* source, bool silent, Neutral&& neutral, Body&& body) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        HandleFailure(source, silent);
        return std::forward<Neutral>(neutral);
    }
}

// The same for a handler without a result.
template <typename Body>
void Guarded(const char* source, bool silent, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        HandleFailure(source, silent);
    }
}

} // namespace tsln
