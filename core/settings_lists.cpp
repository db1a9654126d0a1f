#include "core/settings_lists.h"

#include <algorithm>

namespace tsln {

namespace {
bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The digits without leading zeros, so that numbers of any length compare by length, then by text.
std::string Significant(const std::string& digits) {
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

bool NumericLess(const std::string& a, const std::string& b) {
    const bool na = AllDigits(a), nb = AllDigits(b);
    if (na != nb) return na; // numbers first
    if (!na) return false;   // other names keep their order
    const std::string sa = Significant(a), sb = Significant(b);
    if (sa.size() != sb.size()) return sa.size() < sb.size();
    return sa < sb;
}
} // namespace

ListPairs InNumericOrder(const RegPairs& pairs) {
    ListPairs list;
    list.reserve(pairs.Count());
    for (const auto& pair : pairs)
        list.emplace_back(pair.first, pair.second.AsText());
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return NumericLess(a.first, b.first); });
    return list;
}

bool IsListValueName(const std::string& name, size_t count) {
    if (!AllDigits(name) || name[0] == '0') return false;
    const std::string limit = std::to_string(count);
    if (name.size() != limit.size()) return name.size() < limit.size();
    return name <= limit;
}

} // namespace tsln
