#include "shellutil/picture_file.h"
#include "core/app_error.h"
#include "pixels/pixel_scale.h"

#include <windows.h>
#include <cstring>
#include <vector>

namespace tsln {

namespace {
using unique_stream = unique_com<IStream>;

[[noreturn]] void RaiseResult(HRESULT result, int line) {
    throw AppError(static_cast<int32_t>(result), SystemErrorText(static_cast<DWORD>(result)), {}, line);
}

[[noreturn]] void RaiseInvalidPicture(int line) {
    throw Raised(line, err::kInvalidPicture);
}
} // namespace

unique_picture LoadPictureFile(const std::string& path) {
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Win32Failure(GetLastError(), __LINE__);
    DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) throw Win32Failure(GetLastError(), __LINE__);

    // The stream owns the memory once it is created on it.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size == 0 ? 1 : size);
    if (!memory) TSLN_FAIL(err::kOutOfMemory);
    unique_stream stream;
    HRESULT result = CreateStreamOnHGlobal(memory, TRUE, stream.put());
    if (FAILED(result)) {
        GlobalFree(memory);
        RaiseResult(result, __LINE__);
    }
    void* bytes = GlobalLock(memory);
    DWORD read = 0;
    BOOL ok = ReadFile(file.get(), bytes, size, &read, nullptr);
    DWORD code = GetLastError();
    const bool known = ok && IsPictureFormat(bytes, read);
    GlobalUnlock(memory);
    if (!ok) throw Win32Failure(code, __LINE__);
    if (!known) RaiseInvalidPicture(__LINE__);

    unique_picture picture;
    result = OleLoadPicture(stream.get(), static_cast<LONG>(read), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.put()));
    if (FAILED(result)) RaiseResult(result, __LINE__);
    if (!picture) RaiseResult(E_FAIL, __LINE__);
    return picture;
}

HBITMAP PictureBitmap(IPicture* picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) ||
        handle == 0)
        RaiseInvalidPicture(__LINE__);
    return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
}

PixelSize BitmapPixelSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (GetObjectA(bitmap, sizeof info, &info) != sizeof info) RaiseInvalidPicture(__LINE__);
    return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

BITMAPINFO DibFormat(PixelSize size, WORD bitsPerPixel) {
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.width;
    format.bmiHeader.biHeight = size.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = bitsPerPixel;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

std::vector<uint32_t> DesktopPixels(IPicture* picture, PixelSize screen, WallpaperFit fit,
                                    uint32_t background) {
    HBITMAP source = PictureBitmap(picture);
    const PixelSize from = BitmapPixelSize(source);
    if (from.width < 1 || from.height < 1 || screen.width < 1 || screen.height < 1 ||
        screen.width > kMaxScaledSide || screen.height > kMaxScaledSide)
        TSLN_FAIL(err::kOutOfMemory);
    const Placement place = PlacePicture(from, screen, fit);
    const PixelRect& s = place.source;
    const PixelRect& t = place.target;
    // The platform's own halftone stretching differs from system to system (some only sample); our
    // scaler looks the same everywhere. Rows count from the bottom here, as the bitmap keeps them.
    PixelScaler scaler({s.width, s.height}, {t.width, t.height});
    const int bottom = from.height - (s.y + s.height);
    DIBSECTION section = {};
    if (GetObjectA(source, sizeof section, &section) == sizeof section && section.dsBm.bmBits &&
        section.dsBmih.biBitCount == 32 && section.dsBmih.biCompression == BI_RGB) {
        // A loaded picture is usually a 32-bit section already: its rows are read where they are, which
        // saves copying the whole photo once more.
        GdiFlush();
        const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
        const size_t stride = static_cast<size_t>(section.dsBm.bmWidthBytes);
        const bool topDown = section.dsBmih.biHeight < 0;
        for (int row = bottom; row < bottom + s.height; ++row) {
            const size_t at = static_cast<size_t>(topDown ? from.height - 1 - row : row) * stride;
            scaler.AddRows(reinterpret_cast<const uint32_t*>(bits + at) + s.x, 1);
        }
    } else {
        unique_hdc dc(CreateCompatibleDC(nullptr));
        if (!dc) throw Win32Failure(GetLastError(), __LINE__);
        constexpr int kBand = 128;
        BITMAPINFO band = DibFormat(from, 32);
        std::vector<uint32_t> rows(static_cast<size_t>(from.width) * kBand);
        for (int first = 0; first < s.height; first += kBand) {
            const int count = s.height - first < kBand ? s.height - first : kBand;
            if (GetDIBits(dc.get(), source, static_cast<UINT>(bottom + first), static_cast<UINT>(count),
                          rows.data(), &band, DIB_RGB_COLORS) != count)
                throw Win32Failure(ERROR_INVALID_DATA, __LINE__);
            for (int row = 0; row < count; ++row)
                scaler.AddRows(rows.data() + static_cast<size_t>(row) * from.width + s.x, 1);
        }
    }
    std::vector<uint32_t> scaled = scaler.Result();
    if (scaled.empty()) TSLN_FAIL(err::kOutOfMemory);
    if (t.width == screen.width && t.height == screen.height) return scaled;

    std::vector<uint32_t> shown(static_cast<size_t>(screen.width) * screen.height, background & 0xFFFFFF);
    const int targetBottom = screen.height - (t.y + t.height);
    for (int y = 0; y < t.height; ++y)
        std::memcpy(&shown[static_cast<size_t>(targetBottom + y) * screen.width + t.x],
                    &scaled[static_cast<size_t>(y) * t.width],
                    static_cast<size_t>(t.width) * sizeof(uint32_t));
    return shown;
}

unique_gdi BitmapOfRows(const std::vector<uint32_t>& pixels, PixelSize size) {
    // A 24-bit section: the same on every display depth.
    BITMAPINFO format = DibFormat(size, 24);
    void* bits = nullptr;
    unique_gdi bitmap(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) throw Win32Failure(GetLastError(), __LINE__);
    if (pixels.size() != static_cast<size_t>(size.width) * static_cast<size_t>(size.height))
        TSLN_FAIL(err::kOutOfMemory);
    // Its rows padded to whole 32-bit words.
    const size_t stride = (static_cast<size_t>(size.width) * 3 + 3) & ~size_t(3);
    auto* out = static_cast<uint8_t*>(bits);
    for (int y = 0; y < size.height; ++y) {
        uint8_t* row = out + stride * static_cast<size_t>(y);
        const uint32_t* in = &pixels[static_cast<size_t>(y) * size.width];
        for (int x = 0; x < size.width; ++x) {
            row[x * 3] = static_cast<uint8_t>(in[x]);
            row[x * 3 + 1] = static_cast<uint8_t>(in[x] >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(in[x] >> 16);
        }
    }
    return bitmap;
}

unique_gdi FittedBitmap(IPicture* picture, PixelSize box) {
    const PixelSize to = FitInside(BitmapPixelSize(PictureBitmap(picture)), box);
    if (to.width < 1 || to.height < 1) TSLN_FAIL(err::kInvalidCall);
    return BitmapOfRows(DesktopPixels(picture, to, WallpaperFit::kStretch, 0), to);
}

} // namespace tsln
