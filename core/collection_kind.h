// The two kinds of picture collection. The number is what the program has always stored and passed for
// a kind; every value but Logons behaves as Wallpapers.
#pragma once
#include <cstdint>

namespace tsln {

enum class tType : int32_t { Logons = 0, Wallpapers = 1 };

inline bool IsLogons(tType kind) {
    return kind == tType::Logons;
}

} // namespace tsln
