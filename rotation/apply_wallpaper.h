// Making a picture the desktop wallpaper: every picture is converted to one bitmap file in the
// application folder, which Windows stretches over the screen.
#pragma once
#include <ole2.h>
#include <olectl.h>
#include <string>

namespace tsln {

// The desktop bitmap: the application folder and "tsln.bmp".
std::string DesktopBitmapPath();

// Writes the picture as a Windows bitmap file (file header and 24-bit bottom-up pixels) at `target`.
// The new file replaces an earlier one only once it is whole, so a full disk or a locked file leaves the
// earlier bitmap as it was. Failures raise.
void WriteBitmapFile(IPicture* picture, const std::string& target);

// "TileWallpaper" "0" and "WallpaperStyle" "2" under HKEY_CURRENT_USER "Control Panel\Desktop" (made
// when missing): one picture stretched over the screen. A write that fails does nothing visible.
void WriteStretchedStyle();

// Sets the desktop picture at once (an empty file removes it), stores it in the user's profile and
// tells every window.
void SetDesktopWallpaper(const std::string& file);

} // namespace tsln
