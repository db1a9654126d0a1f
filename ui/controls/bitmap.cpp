#include "ui/controls/bitmap.h"
#include "core/app_error.h"
#include "ui/controls/control.h"
#include "pixels/pixel_scale.h"

#include <cstring>
#include <vector>

namespace tsln {

namespace {
// A bitmap selected into a memory device context for the length of a scope.
class SelectedBitmap {
public:
    SelectedBitmap(HDC reference, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(reference)), selected_(dc_.get(), bitmap) {}
    HDC dc() const { return selected_ ? dc_.get() : nullptr; }

private:
    unique_hdc dc_;
    unique_select selected_;
};
} // namespace

unique_gdi BitmapFromPicture(IPicture* picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (picture == nullptr || FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
        FAILED(picture->get_Handle(&handle)) || handle == 0)
        TSLN_FAIL(err::kInvalidPropertyValue);
    unique_gdi copy(CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION));
    if (!copy) TSLN_FAIL(err::kOutOfMemory);
    return copy;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::vector<uint32_t> BitmapPixels(HBITMAP bitmap) {
    const SIZE size = BitmapSize(bitmap);
    std::vector<uint32_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    const unique_window_dc screen;
    BITMAPINFO info = TopDown32(size.cx, size.cy);
    if (pixels.empty() || GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info,
                                    DIB_RGB_COLORS) != size.cy)
        TSLN_FAIL(err::kInvalidPropertyValue);
    return pixels;
}

unique_gdi BitmapOfPixels(const std::vector<uint32_t>& pixels, int width, int height) {
    const BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    unique_gdi bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (pixels.empty() || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height) ||
        !bitmap || bits == nullptr)
        TSLN_FAIL(err::kOutOfMemory);
    memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    return bitmap;
}

unique_gdi ScaledBitmap(HBITMAP source, SIZE size) {
    // Averaged by our own code: the platform's halftone stretch only samples on some systems.
    const SIZE from = BitmapSize(source);
    return BitmapOfPixels(ScalePixels(BitmapPixels(source), from.cx, from.cy, size.cx, size.cy), size.cx,
                          size.cy);
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    const SIZE size = BitmapSize(bitmap);
    SelectedBitmap source(dc, bitmap);
    if (source.dc() != nullptr) BitBlt(dc, x, y, size.cx, size.cy, source.dc(), 0, 0, SRCCOPY);
}

void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    if (parent == nullptr) return;
    POINT origin = {0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old;
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

bool MemorySurface::Make(int width, int height) {
    Reset();
    if (width <= 0 || height <= 0) return false;
    {
        const unique_window_dc screen;
        dc_.reset(CreateCompatibleDC(screen.get()));
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    }
    if (dc_ && bitmap_) selected_ = unique_select(dc_.get(), bitmap_.get());
    if (!selected_) {
        Reset();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void MemorySurface::Reset() {
    selected_.reset();
    dc_.reset();
    bitmap_.reset();
    width_ = height_ = 0;
}

void RegisterControlClass(const char* className) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing = {sizeof existing};
    if (GetClassInfoExA(instance, className, &existing)) return;
    WNDCLASSEXA wc = {sizeof wc};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!RegisterClassExA(&wc)) throw Win32Failure(GetLastError(), __LINE__);
}

} // namespace tsln
