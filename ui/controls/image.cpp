#include "ui/controls/image.h"
#include "pixels/pixel_scale.h"
#include "ui/controls/bitmap.h"

#include <shellapi.h>

namespace tsln {

Image::Image(HWND parent, const Bounds& bounds) : PaintedControl("Image", kNoColors, 0, 0) {
    CreatePainted(parent, "TessalineImage", "", 0, bounds);
}

void Image::SetPicture(unique_gdi bitmap) {
    scaled_.reset();
    picture_ = std::move(bitmap);
    if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
}

RECT Image::PictureRect() const {
    RECT client = {};
    if (hwnd() != nullptr) GetClientRect(hwnd(), &client);
    const SIZE own = BitmapSize(Picture());
    const PixelSize shown = FitInside({own.cx, own.cy}, {client.right, client.bottom});
    const LONG left = (client.right - shown.width) / 2, top = (client.bottom - shown.height) / 2;
    return {left, top, left + shown.width, top + shown.height};
}

void Image::Paint(HDC dc, const RECT& client) {
    PaintParentBackground(hwnd(), dc);
    if (!picture_) return;
    const RECT place = PictureRect();
    const SIZE shown = {place.right - place.left, place.bottom - place.top};
    const SIZE own = BitmapSize(Picture());
    if (shown.cx == own.cx && shown.cy == own.cy) return DrawBitmap(dc, Picture(), place.left, place.top);
    if (BitmapSize(static_cast<HBITMAP>(scaled_.get())).cx != shown.cx ||
        BitmapSize(static_cast<HBITMAP>(scaled_.get())).cy != shown.cy)
        scaled_ = ScaledBitmap(Picture(), shown);
    DrawBitmap(dc, static_cast<HBITMAP>(scaled_.get()), place.left, place.top);
}

void Image::SetAcceptFiles(bool accept) {
    accept_ = accept;
    if (hwnd() != nullptr) DragAcceptFiles(hwnd(), accept ? TRUE : FALSE);
}

void Image::Dropped(HDROP drop) {
    std::vector<std::string> paths;
    {
        auto finish = make_scope_exit([drop] { DragFinish(drop); });
        if (!accept_) return;
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
            path.resize(DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size())));
            paths.push_back(std::move(path));
        }
    }
    Raise("FilesDropped", FilesDropped, paths);
}

LRESULT Image::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DROPFILES:
        Dropped(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd());
        return 0;
    case WM_LBUTTONUP: {
        // A click is a press and a release inside the image.
        if (!pressed_) return 0;
        pressed_ = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(hwnd(), &client);
        const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&client, at)) Raise("Click", Click);
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_SIZE:
        scaled_.reset();
        return PaintedControl::WindowMessage(message, wParam, lParam);
    default:
        return PaintedControl::WindowMessage(message, wParam, lParam);
    }
}

} // namespace tsln
