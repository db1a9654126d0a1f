// Applying wallpapers for real: the desktop bitmap file, the desktop's values and picture, and what
// becomes of an entry whose picture cannot be converted or whose bitmap cannot be written.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/cls_wallpaper_logons.h"
#include "shellutil/picture_file.h"
#include "tests/rotation/rotation_fixture.h"

#include <doctest.h>

using namespace tsln;
using namespace rotation_test;

namespace {
constexpr tsln::tType kW = tsln::tType::Wallpapers;

std::string Stored(const std::string& path, const std::string& name, int count = 0) {
    return path + "*" + name + "**" + std::to_string(count);
}

uint32_t Field32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string DesktopPicture() {
    char path[MAX_PATH + 1] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0);
    return path;
}

// The names in a folder, sub-folders aside.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    tsln::unique_find find(FindFirstFileA((AddBackslash(folder) + "*").c_str(), &entry));
    if (!find) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (FindNextFileA(find.get(), &entry));
    return names;
}

// Applies the first entry of a list of the given files the way the schedule does.
void ApplyFirst(const CollectionGuard& guard, const std::vector<std::string>& paths, clsWallpaperLogons& wl) {
    std::vector<std::string> stored;
    for (const auto& path : paths)
        stored.push_back(Stored(path, FilePart(path, 0)));
    guard.StoreList(kW, stored);
    guard.StoreCurrent(kW, "");
    wl.SettType(tType::Wallpapers);
    wl.SetWL(kNextEntry);
}

// The pixel of the desktop bitmap that shows the point (x, y) of a stretched picture of that size.
uint32_t AtPicture(const Pixels& shown, int x, int y, int width, int height) {
    return shown.At(static_cast<int>((x + 0.5) * shown.width / width),
                    static_cast<int>((y + 0.5) * shown.height / height));
}
} // namespace

TEST_CASE("applying a JPEG leaves a true 24-bit bitmap at the screen's size stretched over the desktop") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    const std::string sea = dir / "sea.jpg";
    REQUIRE(CopyFileA(DataFile("sea.jpg").c_str(), sea.c_str(), FALSE));
    testing::SetString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", "1");
    testing::SetString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "0");
    {
        clsWallpaperLogons wl;
        ApplyFirst(guard, {sea}, wl);
        CHECK(wl.CurrentPath() == sea);
        CHECK(wl.Entries()[1].UseCount == 1);
        CHECK(wl.Entries()[1].LastUsed != "");
    }
    const std::string bytes = testing::ReadFileBytes(guard.BitmapPath());
    const PixelSize screen = WallpaperScreenSize();
    const uint32_t stride = (screen.width * 3 + 3) & ~3u;
    REQUIRE(bytes.size() == 54 + stride * screen.height);
    CHECK(bytes.substr(0, 2) == "BM");
    CHECK(Field32(bytes, 2) == bytes.size()); // file size
    CHECK(Field32(bytes, 10) == 54);          // pixels right after the two headers
    CHECK(Field32(bytes, 14) == 40);          // BITMAPINFOHEADER
    CHECK(Field32(bytes, 18) == static_cast<uint32_t>(screen.width));
    CHECK(Field32(bytes, 22) == static_cast<uint32_t>(screen.height)); // positive: bottom-up rows
    CHECK((Field32(bytes, 26) & 0xFFFF) == 1);
    CHECK((Field32(bytes, 26) >> 16) == 24);
    CHECK(Field32(bytes, 30) == 0); // BI_RGB
    CHECK(Field32(bytes, 34) == stride * screen.height);
    // The pixels are the picture as the platform decodes it, scaled to the screen.
    unique_picture decoded = LoadPictureFile(sea);
    const Pixels picture = ReadPixels(PictureBitmap(decoded.get()));
    CHECK(BitmapFilePixels(bytes).rgb == ScalePixels(picture.rgb, 64, 48, screen.width, screen.height));

    DWORD type = 0;
    std::vector<BYTE> data;
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", type, data));
    CHECK(type == REG_SZ);
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper") == "0");
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", type, data));
    CHECK(type == REG_SZ);
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle") == "2");
    CHECK(DesktopPicture() == guard.BitmapPath());
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper") == guard.BitmapPath());
    const std::vector<std::string> saved = guard.StoredList(kW);
    REQUIRE(saved.size() == 1);
    CHECK(saved[0].substr(saved[0].size() - 2) == "*1");
}

TEST_CASE("bitmaps keep their exact pixels on a screen of their size, GIF and progressive JPEG convert, one "
          "file serves them all") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    auto colour = [](int x, int y) {
        return static_cast<uint32_t>(x * 40 << 16 | y * 70 << 8 | (x + y) * 20);
    };
    const std::string grid = dir / "grid.bmp";
    REQUIRE(testing::WriteFileBytes(grid, BitmapFileBytes(5, 3, colour)));
    // Told by their content: a GIF stored without an extension converts as well.
    const std::string dune = dir / "dune", wide = dir / "wide.jpg";
    REQUIRE(CopyFileA(DataFile("dune.gif").c_str(), dune.c_str(), FALSE));
    REQUIRE(CopyFileA(DataFile("wide.jpg").c_str(), wide.c_str(), FALSE));

    {
        unique_picture picture = LoadPictureFile(grid);
        WriteBitmapFile(picture.get(), guard.BitmapPath(), {5, 3}, WallpaperFit::kFill, 0);
    }
    Pixels pixels = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
    REQUIRE(pixels.width == 5);
    REQUIRE(pixels.height == 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            CHECK(pixels.At(x, y) == colour(x, y));

    const PixelSize screen = WallpaperScreenSize();
    clsWallpaperLogons wl;
    ApplyFirst(guard, {grid, dune, wide}, wl);
    pixels = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
    CHECK(pixels.width == screen.width);
    CHECK(pixels.height == screen.height);

    wl.SetWL(kNextEntry);
    CHECK(wl.CurrentPath() == dune);
    pixels = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
    CHECK(pixels.width == screen.width);
    unique_picture gif = LoadPictureFile(dune);
    const Pixels duneSize = ReadPixels(PictureBitmap(gif.get()));
    CHECK(Near(AtPicture(pixels, 10, 10, duneSize.width, duneSize.height), 0xE08020u, 8));

    wl.SetWL(kNextEntry);
    CHECK(wl.CurrentPath() == wide);
    pixels = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
    CHECK(pixels.width == screen.width);
    CHECK(pixels.height == screen.height);
    CHECK(Near(AtPicture(pixels, 10, 50, 300, 100), 0xD02020u, 24));
    CHECK(Near(AtPicture(pixels, 290, 50, 300, 100), 0x2040D0u, 24));

    // Nothing but the one bitmap (and no half-written file) is left in the application folder.
    CHECK(FilesIn(AppFolder()) == std::vector<std::string>{"tsln.bmp"});
    CHECK(DesktopPicture() == guard.BitmapPath());
}

TEST_CASE("the default removes the desktop picture, still writes the values, and leaves tsln.bmp") {
    CollectionGuard guard;
    REQUIRE(testing::WriteFileBytes(guard.BitmapPath(), "the bitmap of before"));
    testing::SetString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", "1");
    testing::SetString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle", "0");
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(guard.BitmapPath().c_str()), 0);
    wl.SetWL(kDefaultEntry);
    CHECK(DesktopPicture() == "");
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper") == "0");
    CHECK(testing::ReadString(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle") == "2");
    CHECK(testing::ReadFileBytes(guard.BitmapPath()) == "the bitmap of before");
}

TEST_CASE("a file that is no picture is dropped and reported, and the desktop keeps its picture") {
    const std::string jpeg = testing::ReadFileBytes(DataFile("sea.jpg"));
    struct Bad {
        const char* name;
        std::string bytes; // empty name of a folder: made as a folder
        bool folder;
    };
    for (const Bad& bad :
         {Bad{"words.jpg", "Dear reader, this is a letter.", false}, Bad{"empty.jpg", "", false},
          Bad{"cut.jpg", jpeg.substr(0, jpeg.size() / 2), false},
          Bad{"kelp.png", testing::ReadFileBytes(DataFile("kelp.png")), false},
          Bad{"kelp.jpg", testing::ReadFileBytes(DataFile("kelp.png")), false},
          Bad{"a folder.jpg", "", true}}) {
        CAPTURE(bad.name);
        CollectionGuard guard;
        testing::TempDir dir("walls");
        const std::string path = dir / bad.name;
        if (bad.folder)
            REQUIRE(CreateDirectoryA(path.c_str(), nullptr));
        else
            REQUIRE(testing::WriteFileBytes(path, bad.bytes));
        const std::string good = dir / "sea.jpg";
        REQUIRE(CopyFileA(DataFile("sea.jpg").c_str(), good.c_str(), FALSE));
        const std::string before = DesktopPicture();
        {
            clsWallpaperLogons wl;
            ApplyFirst(guard, {path, good}, wl);
            CHECK(wl.Entries().Count() == 1);
            CHECK(wl.Entries()[1].Path == good);
            CHECK(wl.CurrentPath() == good); // the removed entry's neighbour
            CHECK(wl.Entries()[1].UseCount == 0);
        }
        CHECK(DesktopPicture() == before);
        CHECK_FALSE(testing::PathExists(guard.BitmapPath()));
        CHECK(guard.StoredList(kW) == std::vector<std::string>{Stored(good, "sea")});
        const std::string log = guard.Log();
        CHECK(log.find("error occured when trying to save as bitmap " + path) != std::string::npos);
        CHECK(log.find("Tessaline.clsWallpaperLogons.SaveBMP") != std::string::npos);
        CHECK(log.find("Tessaline.clsWallpaperLogons.Sett") != std::string::npos);
    }
}

TEST_CASE("a desktop bitmap that cannot be written keeps the entry and the bitmap of before") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    const std::string sea = dir / "sea.jpg";
    REQUIRE(CopyFileA(DataFile("sea.jpg").c_str(), sea.c_str(), FALSE));
    REQUIRE(testing::WriteFileBytes(guard.BitmapPath(), "the bitmap of before"));
    const std::string before = DesktopPicture();
    clsWallpaperLogons wl;

    SUBCASE("the bitmap is locked") {
        tsln::unique_file locked(CreateFileA(guard.BitmapPath().c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(locked);
        ApplyFirst(guard, {sea}, wl);
    }
    SUBCASE("the bitmap is read-only") {
        REQUIRE(SetFileAttributesA(guard.BitmapPath().c_str(), FILE_ATTRIBUTE_READONLY));
        ApplyFirst(guard, {sea}, wl);
        SetFileAttributesA(guard.BitmapPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    CHECK(wl.Entries().Count() == 1);
    CHECK(wl.CurrentPath() == "");
    CHECK(wl.Entries()[1].UseCount == 0);
    CHECK(testing::ReadFileBytes(guard.BitmapPath()) == "the bitmap of before");
    for (const std::string& name : FilesIn(AppFolder())) // nothing half-written is left
        CHECK((name == "tsln.bmp" || name == ExeBaseName() + ".log"));
    CHECK(DesktopPicture() == before);
    CHECK(guard.Log().find("error occured when trying to save as bitmap " + sea) != std::string::npos);
}

TEST_CASE("the use count stops at its largest value") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    const std::string sea = dir / "sea.jpg";
    REQUIRE(CopyFileA(DataFile("sea.jpg").c_str(), sea.c_str(), FALSE));
    guard.StoreList(kW, {Stored(sea, "sea", 32767)});
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    wl.SetWL(kNextEntry);
    CHECK(wl.CurrentPath() == sea);
    CHECK(wl.Entries()[1].UseCount == 32767);
    CHECK(guard.Log().empty());
}

TEST_CASE("the fit chosen: stretch, fill and fit on the screen, read as stretch when missing or unknown") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    // Three upright stripes, red, green and blue, in a picture four times as wide as high: on any screen
    // of a usual shape, fill shows only the green one and fit leaves bars above and below.
    auto stripes = [](int x, int) { return x < 100 ? 0xFF0000u : x < 300 ? 0x00FF00u : 0x0000FFu; };
    const std::string wide = dir / "stripes.bmp";
    REQUIRE(testing::WriteFileBytes(wide, BitmapFileBytes(400, 100, stripes)));
    const PixelSize screen = WallpaperScreenSize();
    const int w = screen.width, h = screen.height;
    REQUIRE(w < 4 * h);
    const std::string key = "Software\\Quillfen\\Tessaline\\Wallpapers";
    clsSetari settings;
    auto applied = [&] {
        clsWallpaperLogons wl;
        ApplyFirst(guard, {wide}, wl);
        REQUIRE(wl.CurrentPath() == wide);
        const Pixels shown = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
        REQUIRE(shown.width == w);
        REQUIRE(shown.height == h);
        return shown;
    };
    auto stretched = [&](const Pixels& shown) {
        return shown.At(0, 0) == 0xFF0000 && shown.At(w / 2, h - 1) == 0x00FF00 &&
               shown.At(w - 1, 0) == 0x0000FF;
    };

    for (const char* unknown : {"", "zoom", "FIT"}) {
        CAPTURE(unknown);
        if (*unknown) testing::SetString(HKEY_CURRENT_USER, key, "Fit", unknown);
        CHECK(settings.WFit() == WallpaperFit::kStretch);
        CHECK(stretched(applied()));
    }
    testing::SetDword(HKEY_CURRENT_USER, key, "Fit", 2);
    CHECK(settings.WFit() == WallpaperFit::kStretch);
    Pixels shown = applied();
    CHECK(stretched(shown));
    // Scaled up smoothly: between the red and the green stripe the colours blend over a few pixels.
    int blends = 0;
    for (int x = 0; x < w / 2; ++x) {
        const uint32_t c = shown.At(x, h / 2);
        blends += (c >> 16) > 40 && (c >> 16) < 215 && ((c >> 8) & 0xFF) > 40 && ((c >> 8) & 0xFF) < 215;
    }
    CHECK(blends >= 1);
    CHECK(blends <= w / 100 + 2);

    settings.SetWFit(WallpaperFit::kFill);
    CHECK(testing::ReadString(HKEY_CURRENT_USER, key, "Fit") == "fill");
    shown = applied();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 2}})
        CHECK(shown.At(x, y) == 0x00FF00);

    settings.SetWFit(WallpaperFit::kFit);
    CHECK(settings.WFit() == WallpaperFit::kFit);
    shown = applied();
    const uint32_t background = DesktopBackground();
    const int barEnd = (h - w / 4) / 2; // the picture's rows, centred
    for (int x : {0, w / 2, w - 1}) {
        CHECK(shown.At(x, 0) == background);
        CHECK(shown.At(x, barEnd - 2) == background);
        CHECK(shown.At(x, h - 1) == background);
        CHECK(shown.At(x, h - barEnd + 1) == background);
    }
    CHECK(shown.At(0, h / 2) == 0xFF0000);
    CHECK(shown.At(w / 2, h / 2) == 0x00FF00);
    CHECK(shown.At(w - 1, h / 2) == 0x0000FF);
}

TEST_CASE("written for a smaller screen, fine detail becomes its even mean and a photo keeps its colours") {
    CollectionGuard guard;
    testing::TempDir dir("walls");
    // A one-pixel checkerboard for a screen a quarter its size, and for one of no whole ratio.
    const std::string board = dir / "board.bmp";
    REQUIRE(testing::WriteFileBytes(
        board, BitmapFileBytes(640, 480, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; })));
    unique_picture picture = LoadPictureFile(board);
    for (auto [size, tolerance] : {std::pair{PixelSize{320, 240}, 1}, {PixelSize{250, 170}, 12}}) {
        CAPTURE(size.width);
        WriteBitmapFile(picture.get(), guard.BitmapPath(), size, WallpaperFit::kStretch, 0);
        const Pixels shown = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
        REQUIRE(shown.width == size.width);
        int worst = 0;
        for (uint32_t c : shown.rgb)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(static_cast<int>((c >> shift) & 0xFF) - 128));
        CHECK(worst <= tolerance);
    }

    // A photo, smaller and larger: the mean of each colour stays.
    picture = LoadPictureFile(DataFile("wide.jpg"));
    auto means = [](const Pixels& p) {
        double sums[3] = {0, 0, 0};
        for (uint32_t c : p.rgb)
            for (int k = 0; k < 3; ++k)
                sums[k] += (c >> (8 * k)) & 0xFF;
        return std::vector<double>{sums[0] / p.rgb.size(), sums[1] / p.rgb.size(), sums[2] / p.rgb.size()};
    };
    const std::vector<double> before = means(ReadPixels(PictureBitmap(picture.get())));
    for (PixelSize size : {PixelSize{97, 31}, PixelSize{1200, 400}}) {
        WriteBitmapFile(picture.get(), guard.BitmapPath(), size, WallpaperFit::kStretch, 0);
        const std::vector<double> after = means(BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath())));
        for (int k = 0; k < 3; ++k)
            CHECK(std::abs(after[k] - before[k]) < 2.0);
    }
}
