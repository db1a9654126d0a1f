// How a wallpaper meets a screen of another shape: stretched over it (the picture's proportions given
// up), filling it (proportions kept, the overflow cropped evenly) or fitting inside it (proportions kept,
// the rest of the screen in the desktop's colour). Stored as its text; anything else reads as stretch,
// the look of every wallpaper before the choice existed.
#pragma once
#include <string>

namespace tsln {

enum class WallpaperFit { kStretch, kFill, kFit };

inline const char* WallpaperFitText(WallpaperFit fit) {
    switch (fit) {
    case WallpaperFit::kFill:
        return "fill";
    case WallpaperFit::kFit:
        return "fit";
    default:
        return "stretch";
    }
}

inline WallpaperFit WallpaperFitOf(const std::string& text) {
    if (text == "fill") return WallpaperFit::kFill;
    if (text == "fit") return WallpaperFit::kFit;
    return WallpaperFit::kStretch;
}

} // namespace tsln
