// Plain facts about picture files and their display: which formats the program takes, and the size a
// picture is shown at inside a box.
#pragma once
#include <cstddef>

namespace tsln {

// True for the formats the program takes, by their content: Windows bitmap ("BM"), JPEG (FF D8 FF) and
// GIF ("GIF87a", "GIF89a"). Whatever else the platform's loader might read (PNG on some systems, icons,
// metafiles) is refused everywhere alike.
bool IsPictureFormat(const void* bytes, size_t size);

struct PixelSize {
    int width = 0;
    int height = 0;
};

// The size of a picture shown inside `box`: scaled down, keeping its aspect, until it fits; a picture
// that fits already keeps its size. Never less than 1 by 1 (for a box of at least that).
PixelSize FitInside(PixelSize picture, PixelSize box);

} // namespace tsln
