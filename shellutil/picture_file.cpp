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
    throw AppError(kInvalidPicture, "Invalid picture", {}, line);
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
    if (!memory) TSLN_FAIL(err::kOutOfMemory, "Out of memory");
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

unique_gdi FittedBitmap(IPicture* picture, PixelSize box) {
    HBITMAP source = PictureBitmap(picture);
    const PixelSize from = BitmapPixelSize(source);
    const PixelSize to = FitInside(from, box);
    if (to.width < 1 || to.height < 1) TSLN_FAIL(err::kInvalidCall, "Invalid procedure call or argument");

    // A 24-bit section: the same on every display depth.
    BITMAPINFO format = DibFormat(to, 24);
    void* bits = nullptr;
    unique_gdi fitted(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_hdc dc(CreateCompatibleDC(nullptr));
    if (!fitted || !dc) throw Win32Failure(GetLastError(), __LINE__);

    if (to.width == from.width && to.height == from.height) {
        if (GetDIBits(dc.get(), source, 0, static_cast<UINT>(to.height), bits, &format, DIB_RGB_COLORS) !=
            to.height)
            throw Win32Failure(ERROR_INVALID_DATA, __LINE__);
        return fitted;
    }
    // The platform's own halftone stretching differs from system to system (some only interpolate
    // between two samples); averaging here looks the same everywhere. The source is read in bands so
    // that a large photo never needs a second full copy.
    constexpr int kBand = 128;
    BITMAPINFO band = DibFormat(from, 32);
    std::vector<uint32_t> rows(static_cast<size_t>(from.width) * kBand);
    PixelScaler scaler(from, to);
    for (int first = 0; first < from.height; first += kBand) {
        const int count = from.height - first < kBand ? from.height - first : kBand;
        if (GetDIBits(dc.get(), source, static_cast<UINT>(first), static_cast<UINT>(count), rows.data(),
                      &band, DIB_RGB_COLORS) != count)
            throw Win32Failure(ERROR_INVALID_DATA, __LINE__);
        scaler.AddRows(rows.data(), count);
    }
    // Into the 24-bit section, its rows padded to whole 32-bit words.
    const std::vector<uint32_t> scaled = scaler.Result();
    const size_t stride = (static_cast<size_t>(to.width) * 3 + 3) & ~size_t(3);
    auto* out = static_cast<uint8_t*>(bits);
    for (int y = 0; y < to.height; ++y) {
        uint8_t* row = out + stride * static_cast<size_t>(y);
        for (int x = 0; x < to.width; ++x) {
            const uint32_t pixel = scaled[static_cast<size_t>(y) * to.width + x];
            row[x * 3] = static_cast<uint8_t>(pixel);
            row[x * 3 + 1] = static_cast<uint8_t>(pixel >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(pixel >> 16);
        }
    }
    return fitted;
}

} // namespace tsln
