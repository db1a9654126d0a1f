#include "core/log_bound.h"

namespace tsln {

std::string NewestLogEntries(const std::string& content, size_t keepBytes) {
    if (content.size() <= keepBytes) return content;
    // An entry ends with its separator line; what follows the first separator after the cut is whole.
    static const std::string kSeparator = "\r\n" + std::string(46, '-') + "\r\n";
    const size_t cut = content.size() - keepBytes;
    const size_t from = cut < kSeparator.size() ? 0 : cut - kSeparator.size();
    const size_t end = content.find(kSeparator, from);
    if (end == std::string::npos) return {};
    return content.substr(end + kSeparator.size());
}

} // namespace tsln
