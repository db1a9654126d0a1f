#include "rotation/apply_wallpaper.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/registry_routines.h"
#include "core/unique_any.h"
#include "shellutil/picture_file.h"

#include <windows.h>
#include <algorithm>
#include <cstring>
#include <vector>

namespace tsln {

namespace {
constexpr DWORD kHeadersSize = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
// About half a megabyte of rows at a time.
constexpr uint64_t kBandBytes = 512 * 1024;
} // namespace

std::string DesktopBitmapPath() {
    return AppFolder() + "tsln.bmp";
}

void WriteBitmapFile(IPicture* picture, const std::string& target) {
    HBITMAP bitmap = PictureBitmap(picture);
    const PixelSize size = BitmapPixelSize(bitmap);
    const uint64_t stride = (static_cast<uint64_t>(size.width) * 3 + 3) & ~uint64_t(3);
    const uint64_t imageSize = stride * static_cast<uint64_t>(size.height);
    if (size.width < 1 || size.height < 1 || imageSize > 0x7FFFFFFFu - kHeadersSize)
        TSLN_FAIL(err::kOutOfMemory);

    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = static_cast<DWORD>(kHeadersSize + imageSize);
    fileHeader.bfOffBits = kHeadersSize;
    BITMAPINFO info = DibFormat(size, 24); // bottom-up, as the file keeps its rows
    BITMAPINFOHEADER fileInfo = info.bmiHeader;
    fileInfo.biSizeImage = static_cast<DWORD>(imageSize);
    std::vector<BYTE> headers(kHeadersSize);
    std::memcpy(headers.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(headers.data() + sizeof fileHeader, &fileInfo, sizeof fileInfo);

    // A read-only bitmap is left alone, even where the platform would let it be replaced.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Win32Failure(ERROR_ACCESS_DENIED, __LINE__);
    unique_hdc dc(CreateCompatibleDC(nullptr));
    if (!dc) throw Win32Failure(GetLastError(), __LINE__);
    const std::string partial = target + ".new";
    unique_file file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Win32Failure(GetLastError(), __LINE__);
    auto removePartial = make_scope_exit([&] {
        file.reset();
        DeleteFileA(partial.c_str());
    });
    WriteAll(file.get(), headers.data(), headers.size());
    // The rows go out in bands from the bottom up, so that a large photo needs no second full copy
    // and each band is written while it is still in the cache.
    const int bandRows = static_cast<int>(std::max<uint64_t>(1, kBandBytes / stride));
    std::vector<BYTE> band(static_cast<size_t>(stride) * static_cast<size_t>(bandRows));
    for (int first = 0; first < size.height; first += bandRows) {
        const int rows = std::min(bandRows, size.height - first);
        if (GetDIBits(dc.get(), bitmap, static_cast<UINT>(first), static_cast<UINT>(rows), band.data(), &info,
                      DIB_RGB_COLORS) != rows)
            throw Win32Failure(ERROR_INVALID_DATA, __LINE__);
        band.resize(static_cast<size_t>(stride) * static_cast<size_t>(rows));
        WriteAll(file.get(), band.data(), band.size());
    }
    if (!CloseHandle(file.release())) throw Win32Failure(GetLastError(), __LINE__);
    if (!MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw Win32Failure(GetLastError(), __LINE__);
    removePartial.dismiss();
}

void WriteStretchedStyle() {
    RegistryRoutines desktop;
    desktop.SetHkey(HKEY_CURRENT_USER);
    desktop.SetKeyRoot("Control Panel");
    desktop.SetSubkey("Desktop");
    if (!desktop.KeyExists()) desktop.CreateKey();
    desktop.SetRegistryValue("TileWallpaper", RegValue("0"), REG_SZ);
    desktop.SetRegistryValue("WallpaperStyle", RegValue("2"), REG_SZ);
}

void SetDesktopWallpaper(const std::string& file) {
    // The platform answers TRUE even for a file it cannot show; there is nothing to learn from it.
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(file.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

} // namespace tsln
