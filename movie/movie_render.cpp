#include "movie/movie_render.h"
#include "movie/image_scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tsln::movie {
namespace {

RECT DeviceRect(const Box& box, const View& v) {
    return {v.X(box.x), v.Y(box.y), v.X(box.x + box.width), v.Y(box.y + box.height)};
}

int Scaled(double length, const View& v) {
    return static_cast<int>(std::lround(length * v.scale));
}

COLOR16 Channel(Color c, int shift) {
    return static_cast<COLOR16>(((c >> shift) & 0xFF) << 8);
}

unique_gdi BitmapOf(const Image& image) {
    void* bits = nullptr;
    unique_gdi bitmap = CreateDib(image.width, image.height, &bits);
    if (bitmap) std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return bitmap;
}

} // namespace

unique_gdi CreateDib(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return unique_gdi(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

void Renderer::SetMovie(const Movie* movie) {
    movie_ = movie;
    pictures_.clear();
    fonts_.clear();
    if (movie) {
        pictures_.resize(movie->items.size());
        fonts_.resize(movie->items.size());
    }
}

void Renderer::Draw(HDC dc, int width, int height, int frame, const ButtonStates& states) {
    RECT all = {0, 0, width, height};
    if (!movie_ || frame < 1 || frame > movie_->frameCount) {
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    unique_gdi background(CreateSolidBrush(movie_->background));
    FillRect(dc, &all, static_cast<HBRUSH>(background.get()));
    const View view = View::NoBorder(movie_->width, movie_->height, width, height);
    SetBkMode(dc, TRANSPARENT);
    for (const DisplayEntry& entry : movie_->Frame(frame).display) {
        if (!entry.button) {
            DrawItem(dc, entry.index, view, width, height);
            continue;
        }
        const Button& button = movie_->buttons[entry.index];
        for (uint16_t item : button.looks[static_cast<int>(states.LookOf(entry.index))])
            DrawItem(dc, item, view, width, height);
    }
}

void Renderer::DrawItem(HDC dc, size_t index, const View& view, int width, int height) {
    const Item& item = movie_->items[index];
    switch (item.kind) {
    case ItemKind::kText:
        DrawText(dc, index, view);
        break;
    case ItemKind::kPicture:
        DrawPicture(dc, index, view, width, height);
        break;
    default:
        DrawShape(dc, item, view);
        break;
    }
}

void Renderer::DrawShape(HDC dc, const Item& item, const View& view) {
    RECT r = DeviceRect(item.box, view);
    if (item.kind == ItemKind::kGradient) {
        TRIVERTEX corners[2] = {
            {r.left, r.top, Channel(item.from, 0), Channel(item.from, 8), Channel(item.from, 16), 0},
            {r.right, r.bottom, Channel(item.to, 0), Channel(item.to, 8), Channel(item.to, 16), 0}};
        GRADIENT_RECT span = {0, 1};
        GradientFill(dc, corners, 2, &span, 1, item.vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        return;
    }
    if (item.kind == ItemKind::kRect && item.lineWidth == 0) {
        if (!item.filled) return;
        unique_gdi brush(CreateSolidBrush(item.fill));
        FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
        return;
    }
    unique_gdi brush(item.filled ? CreateSolidBrush(item.fill) : nullptr);
    unique_gdi pen(item.lineWidth > 0
                       ? CreatePen(PS_INSIDEFRAME, std::max(1, Scaled(item.lineWidth, view)), item.line)
                       : nullptr);
    const unique_select useBrush(dc, brush ? brush.get() : GetStockObject(NULL_BRUSH));
    const unique_select usePen(dc, pen ? pen.get() : GetStockObject(NULL_PEN));
    // Without a pen GDI fills one pixel short on the right and at the bottom.
    const int grow = pen ? 0 : 1;
    switch (item.kind) {
    case ItemKind::kRect:
        Rectangle(dc, r.left, r.top, r.right + grow, r.bottom + grow);
        break;
    case ItemKind::kRoundRect: {
        const int corner = std::max(0, Scaled(2.0 * item.radius, view));
        RoundRect(dc, r.left, r.top, r.right + grow, r.bottom + grow, corner, corner);
        break;
    }
    case ItemKind::kEllipse:
        Ellipse(dc, r.left, r.top, r.right + grow, r.bottom + grow);
        break;
    case ItemKind::kPolygon: {
        std::vector<POINT> points(item.points.size());
        for (size_t i = 0; i < points.size(); ++i)
            points[i] = {view.X(item.points[i].x), view.Y(item.points[i].y)};
        SetPolyFillMode(dc, ALTERNATE);
        Polygon(dc, points.data(), static_cast<int>(points.size()));
        break;
    }
    default:
        break;
    }
}

void Renderer::DrawText(HDC dc, size_t index, const View& view) {
    const Item& item = movie_->items[index];
    RECT r = DeviceRect(item.box, view);
    if (r.right <= r.left || r.bottom <= r.top || item.text.empty()) return;
    const int height = std::max(1, Scaled(item.size, view));
    CachedFont& cached = fonts_[index];
    if (!cached.font || cached.height != height) {
        cached.font.reset(
            CreateFontA(-height, 0, 0, 0, (item.flags & text_flags::kBold) ? FW_BOLD : FW_NORMAL,
                        (item.flags & text_flags::kItalic) != 0, (item.flags & text_flags::kUnderline) != 0,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, item.face.empty() ? kDefaultFace : item.face.c_str()));
        cached.height = height;
    }
    const unique_select useFont(dc, cached.font ? cached.font.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, item.color);
    UINT format = DT_NOPREFIX;
    format |= item.align == Align::kCentre ? DT_CENTER : item.align == Align::kRight ? DT_RIGHT : DT_LEFT;
    const int length = static_cast<int>(item.text.size());
    if (item.flags & text_flags::kWrap) {
        format |= DT_WORDBREAK;
        if (item.valign != VAlign::kTop) {
            // Wrapped text is placed by the height it takes.
            RECT measure = r;
            const int used = ::DrawTextA(dc, item.text.c_str(), length, &measure, format | DT_CALCRECT);
            const int spare = (r.bottom - r.top) - used;
            if (spare > 0) r.top += item.valign == VAlign::kMiddle ? spare / 2 : spare;
        }
    } else {
        format |= DT_SINGLELINE;
        format |= item.valign == VAlign::kMiddle   ? DT_VCENTER
                  : item.valign == VAlign::kBottom ? DT_BOTTOM
                                                   : DT_TOP;
    }
    ::DrawTextA(dc, item.text.c_str(), length, &r, format);
}

HBITMAP Renderer::PictureBitmap(size_t index, int width, int height) {
    CachedPicture& cached = pictures_[index];
    if (!cached.bitmap || cached.width != width || cached.height != height) {
        const Image& image = movie_->images[movie_->items[index].image];
        cached.bitmap = (width == image.width && height == image.height)
                            ? BitmapOf(image)
                            : BitmapOf(Scale(image, width, height));
        cached.width = width;
        cached.height = height;
    }
    return static_cast<HBITMAP>(cached.bitmap.get());
}

void Renderer::DrawPicture(HDC dc, size_t index, const View& view, int width, int height) {
    const Item& item = movie_->items[index];
    const Image& image = movie_->images[item.image];
    const RECT r = DeviceRect(item.box, view);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || r.right <= 0 || r.bottom <= 0 || r.left >= width || r.top >= height) return;
    // Very large targets are stretched by the platform rather than resampled into memory.
    const bool resample = static_cast<long long>(w) * h <= kMaxScaledPixels;
    HBITMAP bitmap = resample ? PictureBitmap(index, w, h) : PictureBitmap(index, image.width, image.height);
    if (!bitmap) return;
    if (!source_) source_.reset(CreateCompatibleDC(dc));
    if (!source_) return;
    const unique_select use(source_.get(), bitmap);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, r.left, r.top, w, h, source_.get(), 0, 0, resample ? w : image.width,
               resample ? h : image.height, blend);
}

} // namespace tsln::movie
