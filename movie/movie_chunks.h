// The chunk tags of the movie file, shared by its reader and its writer.
#pragma once
#include <cstdint>

namespace tsln::movie::chunk {

constexpr uint32_t Tag(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr uint32_t kImage = Tag('I', 'M', 'A', 'G');
constexpr uint32_t kSound = Tag('S', 'O', 'U', 'N');
constexpr uint32_t kItem = Tag('I', 'T', 'E', 'M');
constexpr uint32_t kButton = Tag('B', 'U', 'T', 'N');
constexpr uint32_t kFrame = Tag('F', 'R', 'A', 'M');

} // namespace tsln::movie::chunk
