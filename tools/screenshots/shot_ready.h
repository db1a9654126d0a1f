// What the screenshot helpers tell their script: where the window to take stands on the screen.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

namespace tsln {

// Writes "left top width height" (pixels on the screen) of `window` to the file `path`.
inline void WriteReady(const std::string& path, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top);
        std::fclose(out);
    }
}

} // namespace tsln
