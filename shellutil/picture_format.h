// Plain facts about picture files: which formats the program takes (PixelSize and FitInside come with
// the scaling code).
#pragma once
#include "pixels/pixel_scale.h"

#include <cstddef>

namespace tsln {

// True for the formats the program takes, by their content: Windows bitmap ("BM"), JPEG (FF D8 FF) and
// GIF ("GIF87a", "GIF89a"). Whatever else the platform's loader might read (PNG on some systems, icons,
// metafiles) is refused everywhere alike.
bool IsPictureFormat(const void* bytes, size_t size);

} // namespace tsln
