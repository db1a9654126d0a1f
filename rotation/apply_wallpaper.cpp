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

PixelSize WallpaperScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

uint32_t DesktopBackground() {
    const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
    return static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}

void WriteBitmapFile(IPicture* picture, const std::string& target, PixelSize screen, WallpaperFit fit,
                     uint32_t background) {
    const uint64_t stride =
        (static_cast<uint64_t>(screen.width > 0 ? screen.width : 0) * 3 + 3) & ~uint64_t(3);
    const uint64_t imageSize = stride * static_cast<uint64_t>(screen.height > 0 ? screen.height : 0);
    if (screen.width < 1 || screen.height < 1 || imageSize > 0x7FFFFFFFu - kHeadersSize)
        TSLN_FAIL(err::kOutOfMemory);
    // At the screen's size: a few megabytes however large the photo.
    const std::vector<uint32_t> pixels = DesktopPixels(picture, screen, fit, background);

    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = static_cast<DWORD>(kHeadersSize + imageSize);
    fileHeader.bfOffBits = kHeadersSize;
    BITMAPINFOHEADER fileInfo = DibFormat(screen, 24).bmiHeader; // bottom-up, as the pixels are
    fileInfo.biSizeImage = static_cast<DWORD>(imageSize);
    std::vector<BYTE> headers(kHeadersSize);
    std::memcpy(headers.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(headers.data() + sizeof fileHeader, &fileInfo, sizeof fileInfo);

    // A read-only bitmap is left alone, even where the platform would let it be replaced.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Win32Failure(ERROR_ACCESS_DENIED, __LINE__);
    const std::string partial = target + ".new";
    unique_file file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw Win32Failure(GetLastError(), __LINE__);
    auto removePartial = make_scope_exit([&] {
        file.reset();
        DeleteFileA(partial.c_str());
    });
    WriteAll(file.get(), headers.data(), headers.size());
    // The rows go out in bands of 24-bit rows, each written while it is still in the cache.
    const int bandRows = static_cast<int>(std::max<uint64_t>(1, kBandBytes / stride));
    std::vector<BYTE> band(static_cast<size_t>(stride) * static_cast<size_t>(bandRows));
    for (int first = 0; first < screen.height; first += bandRows) {
        const int rows = std::min(bandRows, screen.height - first);
        for (int y = 0; y < rows; ++y) {
            BYTE* out = band.data() + static_cast<size_t>(stride) * y;
            const uint32_t* in = &pixels[static_cast<size_t>(first + y) * screen.width];
            for (int x = 0; x < screen.width; ++x) {
                out[x * 3] = static_cast<BYTE>(in[x]);
                out[x * 3 + 1] = static_cast<BYTE>(in[x] >> 8);
                out[x * 3 + 2] = static_cast<BYTE>(in[x] >> 16);
            }
        }
        WriteAll(file.get(), band.data(), static_cast<size_t>(stride) * static_cast<size_t>(rows));
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
