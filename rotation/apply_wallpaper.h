// Making a picture the desktop wallpaper: every picture is converted to one bitmap file in the
// application folder at the screen's size, which Windows then "stretches" one to one.
#pragma once
#include "core/wallpaper_fit.h"
#include "pixels/pixel_scale.h"

#include <ole2.h>
#include <olectl.h>
#include <cstdint>
#include <string>

namespace tsln {

// The desktop bitmap: the application folder and "tsln.bmp".
std::string DesktopBitmapPath();

// The size Windows shows a stretched wallpaper at: the primary screen's, in pixels. (With more monitors,
// Windows 2000 and XP stretch the same bitmap over each monitor on its own.)
PixelSize WallpaperScreenSize();
// The desktop's background colour, which fit's bars show, as a pixel (0xRRGGBB).
uint32_t DesktopBackground();

// Writes the picture as a Windows bitmap file (file header and 24-bit bottom-up pixels) at `target`, as
// a screen of `screen` pixels shows it (DesktopPixels). The new file replaces an earlier one only once it
// is whole, so a full disk or a locked file leaves the earlier bitmap as it was. Failures raise.
void WriteBitmapFile(IPicture* picture, const std::string& target, PixelSize screen, WallpaperFit fit,
                     uint32_t background);

// "TileWallpaper" "0" and "WallpaperStyle" "2" under HKEY_CURRENT_USER "Control Panel\Desktop" (made
// when missing): one picture stretched over the screen. A write that fails does nothing visible.
void WriteStretchedStyle();

// Sets the desktop picture at once (an empty file removes it), stores it in the user's profile and
// tells every window.
void SetDesktopWallpaper(const std::string& file);

} // namespace tsln
