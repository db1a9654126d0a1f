#include "rotation/apply_wallpaper.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/registry_routines.h"
#include "core/unique_any.h"
#include "shellutil/picture_file.h"

#include <windows.h>
#include <cstring>
#include <vector>

namespace tsln {

namespace {
constexpr DWORD kHeadersSize = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);

void WriteAll(HANDLE file, const std::vector<BYTE>& bytes) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    if (written != bytes.size()) throw Win32Failure(ERROR_HANDLE_DISK_FULL, __LINE__);
}
} // namespace

std::string DesktopBitmapPath() {
    return AppFolder() + "tsln.bmp";
}

void WriteBitmapFile(IPicture* picture, const std::string& target) {
    HBITMAP bitmap = PictureBitmap(picture);
    const PixelSize size = BitmapSize(bitmap);
    const uint64_t stride = (static_cast<uint64_t>(size.width) * 3 + 3) & ~uint64_t(3);
    const uint64_t imageSize = stride * static_cast<uint64_t>(size.height);
    if (size.width < 1 || size.height < 1 || imageSize > 0x7FFFFFFFu - kHeadersSize)
        TSLN_FAIL(err::kOutOfMemory, "Out of memory");

    // Headers and pixels in one block, written with one call.
    std::vector<BYTE> bytes(kHeadersSize + static_cast<size_t>(imageSize));
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = static_cast<DWORD>(bytes.size());
    fileHeader.bfOffBits = kHeadersSize;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = size.height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);

    unique_hdc dc(CreateCompatibleDC(nullptr));
    if (!dc) throw Win32Failure(GetLastError(), __LINE__);
    if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(size.height), bytes.data() + kHeadersSize, &info,
                  DIB_RGB_COLORS) != size.height)
        throw Win32Failure(ERROR_INVALID_DATA, __LINE__);
    // GetDIBits may have filled in fields of its own; the file states exactly what it holds.
    info.bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);
    info.bmiHeader.biClrUsed = 0;
    info.bmiHeader.biClrImportant = 0;
    std::memcpy(bytes.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(bytes.data() + sizeof fileHeader, &info.bmiHeader, sizeof info.bmiHeader);

    // A read-only bitmap is left alone, even where the platform would let it be replaced.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Win32Failure(ERROR_ACCESS_DENIED, __LINE__);
    const std::string partial = target + ".new";
    {
        unique_file file(CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw Win32Failure(GetLastError(), __LINE__);
        auto removePartial = make_scope_exit([&] {
            file.reset();
            DeleteFileA(partial.c_str());
        });
        WriteAll(file.get(), bytes);
        if (!CloseHandle(file.release())) throw Win32Failure(GetLastError(), __LINE__);
        if (!MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            throw Win32Failure(GetLastError(), __LINE__);
        removePartial.dismiss();
    }
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
