// Small text helpers for what the platform hands back in fixed buffers.
#pragma once
#include <string>

namespace tsln {

// The text up to its first NUL (all of it when there is none).
inline std::string CutAtNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// The text without blanks at either end.
inline std::string TrimSpaces(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace tsln
