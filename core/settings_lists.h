// The stored form of the ordered lists: one text value per entry, named "1" to "N" in list order.
#pragma once
#include "core/registry_routines.h"

#include <string>
#include <utility>
#include <vector>

namespace tsln {

// (value name, value text) pairs of a list key, in list order.
using ListPairs = std::vector<std::pair<std::string, std::string>>;

// The pairs ordered by the number their names spell ("2" before "10"), whatever order the registry
// enumerated them in; names that spell no number follow, in their enumeration order.
ListPairs InNumericOrder(const RegPairs& pairs);

// True when `name` is exactly one of "1" .. `count` (decimal, no leading zeros).
bool IsListValueName(const std::string& name, size_t count);

} // namespace tsln
