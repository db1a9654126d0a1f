// The picture collections against plain platform baselines, in one process.
//
// Run after building the target bench_wallpaper (which also makes the 12-megapixel test photo):
//     xvfb-run -a wine build/FLAVOUR/bench/bench_wallpaper.exe
// It measures, best of several runs each (the runs of a measure and its baseline take turns):
//   apply:   applying a 12-megapixel JPEG through the collection (load, scale to the screen, write
//            "tsln.bmp", the desktop's values, set the wallpaper) against decoding the same file with the
//            platform's loader alone; then the size of "tsln.bmp" against the screen's pixels × 3 bytes
//            and the headers;
//   preview: the same photo shown in a collection's preview (decode and one scaling pass);
//   repaint: 100 PaintDesktop calls into a screen-sized memory DC with the photo written at the screen's
//            size against the same with it written at its full size (as every wallpaper was before);
//   stretch: 100 StretchBlt calls of the file's bitmap onto such a DC, both sizes alike: what Windows
//            2000/XP's PaintDesktop does with a stretched wallpaper, where Wine's only centres or tiles;
//   list:    restoring and saving a 1 000-entry list (whose files exist) against raw RegEnumValueA and
//            RegSetValueExA loops over the same values, and the existence tests restoring makes;
//   sort:    SortByName and Shuffle of 10 000 entries.
// Everything it changes (the product keys, the Run key, the desktop's values and picture) is put back,
// and its files are removed. It prints one line per measure and the goals:
//     apply <= 1.15 x decode, tsln.bmp <= screen x 3 + headers, list <= 1.5 x raw, sort and shuffle < 50 ms
//     each (the repaint's and the stretch's ratios are told, with no goal).
#include "bench/bench_clock.h"
#include "core/mod_main.h"
#include "core/unique_any.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/cls_wallpaper_logons.h"
#include "shellutil/picture_file.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tsln;

namespace {
constexpr int kRuns = 7;
constexpr int kListRuns = 21;
constexpr int kListEntries = 1000;
constexpr int kSortEntries = 10000;
const char* const kListKey = "Software\\Quillfen\\Tessaline\\Wallpapers\\List";

double Milliseconds(const std::function<void()>& run) {
    return bench::TimeMs(run);
}

// The best of kRuns timings of `run`, with `prepare` (untimed) before each.
double Best(
    const std::function<void()>& run, const std::function<void()>& prepare = [] {}) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        best = std::min(best, Milliseconds(run));
    }
    return best;
}

// A preview that keeps what it is shown and nothing else.
class Preview : public CollectionControls {
public:
    void ClearList() override { lines_ = 0; }
    void AddLine(const std::string&, int16_t) override { ++lines_; }
    void SelectLine(int line) override { selected_ = line; }
    bool SelectedItemData(int16_t& itemData) const override {
        itemData = static_cast<int16_t>(selected_ + 1);
        return selected_ >= 0;
    }
    PixelSize PreviewSize() const override { return {230, 164}; }
    void ShowPicture(unique_gdi bitmap) override { shown_ = std::move(bitmap); }
    HWND OwnerWindow() const override { return nullptr; }

private:
    int lines_ = 0;
    int selected_ = -1;
    unique_gdi shown_;
};

void StoreList(const std::vector<std::string>& texts) {
    testing::DeleteTree(HKEY_CURRENT_USER, kListKey);
    unique_hkey key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kListKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    for (size_t i = 0; i < texts.size(); ++i)
        RegSetValueExA(key.get(), std::to_string(i + 1).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(texts[i].c_str()),
                       static_cast<DWORD>(texts[i].size() + 1));
}

// One measure against its baseline; without a goal, a share of a measure told for what bounds it.
void Report(const char* what, double ours, const char* baselineName, double baseline, double goal = 0) {
    const double ratio = ours / baseline;
    std::printf("%-8s %9.1f ms  %-8s %9.1f ms  ratio %.2f", what, ours, baselineName, baseline, ratio);
    if (goal > 0)
        std::printf(" (goal <= %.2f) %s\n", goal, ratio <= goal ? "met" : "MISSED");
    else
        std::printf("\n");
}

void Apply(const std::string& photo) {
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    wl.AddFile(photo);
    clsWallpaperLogons shown;
    shown.SettType(tType::Wallpapers);
    shown.SetControls(std::make_unique<Preview>());
    shown.AddFile(photo); // filled with its one line, selected
    // The three take turns, so that a busy moment of the machine falls on all of them alike.
    double decode = 1e30, apply = 1e30, preview = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        decode = std::min(decode, Milliseconds([&] { LoadPictureFile(photo); }));
        apply = std::min(apply, Milliseconds([&] { wl.SetWL(kNextEntry); }));
        preview = std::min(preview, Milliseconds([&] { shown.Preview(); }));
    }
    Report("apply", apply, "decode", decode, 1.15);
    Report("preview", preview, "decode", decode, 1.5);
    const PixelSize screen = WallpaperScreenSize();
    const long long bytes = testing::ReadFileBytes(DesktopBitmapPath()).size();
    const long long limit = 54 + ((screen.width * 3LL + 3) & ~3LL) * screen.height;
    std::printf("%-8s %9lld bytes  for a %dx%d screen (goal <= %lld) %s\n", "tsln.bmp", bytes, screen.width,
                screen.height, limit, bytes <= limit ? "met" : "MISSED");
}

struct Repaint100 {
    double paint = 0;   // PaintDesktop
    double stretch = 0; // StretchBlt of the bitmap over the whole DC
};

// 100 desktop repaints into a screen-sized memory DC, with the photo's bitmap written at `size`.
Repaint100 Repaints(IPicture* picture, PixelSize size) {
    WriteBitmapFile(picture, DesktopBitmapPath(), size, WallpaperFit::kStretch, 0);
    WriteStretchedStyle();
    SetDesktopWallpaper(DesktopBitmapPath());
    const PixelSize screen = WallpaperScreenSize();
    unique_window_dc desktop(nullptr);
    unique_hdc memory(CreateCompatibleDC(desktop.get()));
    unique_gdi target(CreateCompatibleBitmap(desktop.get(), screen.width, screen.height));
    const unique_select use(memory.get(), target.get());
    unique_gdi file(LoadImageA(nullptr, DesktopBitmapPath().c_str(), IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    unique_hdc source(CreateCompatibleDC(desktop.get()));
    const unique_select from(source.get(), file.get());
    SetStretchBltMode(memory.get(), COLORONCOLOR);
    Repaint100 best{1e30, 1e30}; // best of three: a full-size repaint is slow
    for (int run = 0; run < 3; ++run) {
        best.paint = std::min(best.paint, Milliseconds([&] {
                                  for (int i = 0; i < 100; ++i)
                                      PaintDesktop(memory.get());
                              }));
        best.stretch = std::min(best.stretch, Milliseconds([&] {
                                    for (int i = 0; i < 100; ++i)
                                        StretchBlt(memory.get(), 0, 0, screen.width, screen.height,
                                                   source.get(), 0, 0, size.width, size.height, SRCCOPY);
                                }));
    }
    return best;
}

void Repaint(const std::string& photo) {
    unique_picture picture = LoadPictureFile(photo);
    const Repaint100 full = Repaints(picture.get(), BitmapPixelSize(PictureBitmap(picture.get())));
    const Repaint100 screenSized = Repaints(picture.get(), WallpaperScreenSize());
    Report("repaint", screenSized.paint, "full", full.paint);
    Report("stretch", screenSized.stretch, "full", full.stretch);
}

void List(const testing::TempDir& folder) {
    std::vector<std::string> texts;
    for (int i = 0; i < kListEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "wall%04d", i);
        const std::string path = folder / (std::string(name) + ".jpg");
        testing::WriteFileBytes(path, "");
        texts.push_back(path + "*" + name + "*12/8/2024 9:47:00 AM*" + std::to_string(i % 50));
    }
    StoreList(texts);

    // The baselines: every value read in one enumeration, every value written through one open key. The
    // four timings take turns, so that the registry's own slower and faster moments fall on all alike.
    auto rawReadOnce = [&] {
        unique_hkey key;
        RegOpenKeyExA(HKEY_CURRENT_USER, kListKey, 0, KEY_READ, key.put());
        std::vector<char> data(4096);
        for (DWORD i = 0;; ++i) {
            char name[260];
            DWORD nameLength = sizeof name, type = 0, size = static_cast<DWORD>(data.size());
            if (RegEnumValueA(key.get(), i, name, &nameLength, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
                break;
        }
    };
    auto rawWriteOnce = [&] {
        unique_hkey key;
        RegOpenKeyExA(HKEY_CURRENT_USER, kListKey, 0, KEY_WRITE, key.put());
        for (size_t i = 0; i < texts.size(); ++i)
            RegSetValueExA(key.get(), std::to_string(i + 1).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(texts[i].c_str()),
                           static_cast<DWORD>(texts[i].size() + 1));
    };
    double rawRead = 1e30, rawWrite = 1e30, restore = 1e30, save = 1e30;
    for (int i = 0; i < kListRuns; ++i) {
        rawRead = std::min(rawRead, Milliseconds(rawReadOnce));
        auto wl = std::make_unique<clsWallpaperLogons>();
        restore = std::min(restore, Milliseconds([&] { wl->SettType(tType::Wallpapers); }));
        rawWrite = std::min(rawWrite, Milliseconds(rawWriteOnce));
        save = std::min(save, Milliseconds([&] { wl.reset(); }));
    }
    // What restoring must add to the enumeration: one existence test per entry.
    const double checks = Best([&] {
        for (int i = 0; i < kListEntries; ++i)
            GetFileAttributesA(texts[i].substr(0, texts[i].find('*')).c_str());
    });
    Report("restore", restore, "enum", rawRead);
    std::printf("%-8s %9.1f ms  (the %d existence tests alone, part of restore)\n", "checks", checks,
                kListEntries);
    Report("save", save, "set", rawWrite);
    Report("list", restore + save, "raw", rawRead + rawWrite, 1.5);
}

void Sort(const testing::TempDir& folder) {
    // Names in no order, of mixed case; their files need not exist (an absent folder keeps them).
    std::vector<std::string> texts;
    uint32_t seed = 12345;
    for (int i = 0; i < kSortEntries; ++i) {
        std::string name;
        for (int c = 0; c < 8; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const char letter = static_cast<char>('a' + (seed >> 24) % 26);
            name += (seed >> 20) & 1 ? static_cast<char>(letter - 'a' + 'A') : letter;
        }
        texts.push_back(folder / ("absent\\" + name + ".jpg") + "*" + name + "**0");
    }
    StoreList(texts);
    clsWallpaperLogons wl;
    wl.SettType(tType::Wallpapers);
    if (wl.Entries().Count() != kSortEntries) std::printf("restored %d entries only\n", wl.Entries().Count());
    clsSetari settings;
    const double byName = Best([&] { wl.Sort(); },
                               [&] {
                                   settings.SetWSort(0);
                                   wl.Sort();
                                   settings.SetWSort(255);
                               });
    const double shuffle = Best([&] { wl.Sort(); },
                                [&] {
                                    settings.SetWSort(255);
                                    wl.Sort();
                                    settings.SetWSort(0);
                                });
    std::printf("%-8s %9.1f ms  (%d entries, goal < 50 ms) %s\n", "sort", byName, kSortEntries,
                byName < 50 ? "met" : "MISSED");
    std::printf("%-8s %9.1f ms  (%d entries, goal < 50 ms) %s\n", "shuffle", shuffle, kSortEntries,
                shuffle < 50 ? "met" : "MISSED");
}
} // namespace

int main() {
    try {
        // A box would stop an unattended run: any is answered, and told at the end.
        testing::BoxWatcher boxes;
        testing::ProductKeys keys;
        testing::RegValueSnapshot tile(HKEY_CURRENT_USER, "Control Panel\\Desktop", "TileWallpaper");
        testing::RegValueSnapshot style(HKEY_CURRENT_USER, "Control Panel\\Desktop", "WallpaperStyle");
        testing::RegValueSnapshot wallpaper(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper");
        char before[MAX_PATH + 1] = {};
        SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof before, before, 0);
        testing::TempDir folder("bench");
        const std::string appFolder = AppFolder();
        SetAppFolder(folder.Path() + "\\");
        {
            const std::string photo = TSLN_BENCH_PHOTO;
            if (!FileExists(photo)) {
                std::printf("no test photo at %s (build the target bench_wallpaper)\n", photo.c_str());
                return 1;
            }
            Apply(photo);
            Repaint(photo);
            List(folder);
            Sort(folder);
        }
        SetAppFolder(appFolder);
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, before, 0);
        for (const auto& box : boxes.Seen())
            std::printf("unexpected message box \"%s\": %s\n", box.title.c_str(), box.text.c_str());
        return 0;
    } catch (...) {
        std::printf("the benchmark failed\n");
        return 1;
    }
}
