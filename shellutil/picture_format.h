// Plain facts about picture files: which formats the program takes, and where a wallpaper's pixels go on
// the screen (PixelSize and FitInside come with the scaling code).
#pragma once
#include "core/wallpaper_fit.h"
#include "pixels/pixel_scale.h"

#include <cstddef>

namespace tsln {

// True for the formats the program takes, by their content: Windows bitmap ("BM"), JPEG (FF D8 FF) and
// GIF ("GIF87a", "GIF89a"). Whatever else the platform's loader might read (PNG on some systems, icons,
// metafiles) is refused everywhere alike.
bool IsPictureFormat(const void* bytes, size_t size);

// A rectangle of pixels, counted from the top left.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Which part of a picture is shown (`source`) and where on the screen it goes (`target`): stretch shows
// the whole picture over the whole screen; fill shows the middle part of the screen's shape over the whole
// screen; fit shows the whole picture as large as fits, centred. Both rectangles at least 1 by 1; both
// sizes must be.
struct Placement {
    PixelRect source;
    PixelRect target;
};
Placement PlacePicture(PixelSize picture, PixelSize screen, WallpaperFit fit);

} // namespace tsln
