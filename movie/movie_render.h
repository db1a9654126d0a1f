// Draws a movie frame with GDI into a device context, scaled by the "NoBorder" rule. Pictures are
// resampled once per size and kept, fonts once per height, so repainting an unchanged size is cheap.
#pragma once
#include "core/unique_any.h"
#include "movie/movie_file.h"
#include "movie/movie_stage.h"

#include <windows.h>
#include <vector>

namespace tsln::movie {

// The face used for text that names none.
constexpr const char* kDefaultFace = "Tahoma";

class Renderer {
public:
    // The movie must outlive its use here; nullptr clears. Drops every cached picture and font.
    void SetMovie(const Movie* movie);

    // Paints the area 0,0-width,height of `dc` completely: the background, then frame `frame`'s display
    // list, each button in the look `states` gives it. Without a movie (or frame 0) the area is white.
    void Draw(HDC dc, int width, int height, int frame, const ButtonStates& states);

private:
    struct CachedPicture {
        int width = 0;
        int height = 0;
        unique_gdi bitmap;
    };
    struct CachedFont {
        int height = 0;
        unique_gdi font;
    };

    void DrawItem(HDC dc, size_t index, const View& view, int width, int height);
    void DrawShape(HDC dc, const Item& item, const View& view);
    void DrawText(HDC dc, size_t index, const View& view);
    void DrawPicture(HDC dc, size_t index, const View& view, int width, int height);
    HBITMAP PictureBitmap(size_t index, int width, int height);

    const Movie* movie_ = nullptr;
    std::vector<CachedPicture> pictures_; // by item
    std::vector<CachedFont> fonts_;       // by item
    unique_hdc source_;                   // holds a picture while it is blended
};

// A top-down 32-bit DIB section of the given size, and its pixels.
unique_gdi CreateDib(int width, int height, void** bits);

} // namespace tsln::movie
