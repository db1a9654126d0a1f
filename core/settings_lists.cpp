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
} // namespace

ListPairs InNumericOrder(const RegPairs& pairs) {
    // Each name's order is worked out once; the sort then compares small records.
    struct Key {
        bool number;
        std::string digits; // without leading zeros, for numbers
        size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(pairs.Count());
    for (size_t i = 0; i < pairs.Count(); ++i) {
        const std::string& name = pairs[i].first;
        const bool number = AllDigits(name);
        keys.push_back({number, number ? Significant(name) : std::string(), i});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.number != b.number) return a.number; // numbers first
        if (!a.number) return false;               // other names keep their order
        if (a.digits.size() != b.digits.size()) return a.digits.size() < b.digits.size();
        return a.digits < b.digits;
    });
    ListPairs list;
    list.reserve(keys.size());
    for (const Key& key : keys)
        list.emplace_back(pairs[key.index].first, pairs[key.index].second.AsText());
    return list;
}

bool IsListValueName(const std::string& name, size_t count) {
    if (!AllDigits(name) || name[0] == '0') return false;
    const std::string limit = std::to_string(count);
    if (name.size() != limit.size()) return name.size() < limit.size();
    return name <= limit;
}

} // namespace tsln
