// What the collection tests share: the registry places and files a collection touches, kept as found;
// a real window with a list and a preview bound as a page's controls; pictures made by the tests.
#pragma once
#include "core/collection_kind.h"
#include "rotation/cls_wallpaper_logons.h"
#include "rotation/collection_controls.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"
#include "ui/controls/picture_box.h"
#include "tests/core/settings_fixture.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rotation_test {

// A checked-in picture of tests/rotation/data, and a fixture program built with the tests (by its
// folder and file name, for example "blue\\blue.exe").
std::string DataFile(const std::string& name);
std::string FixtureProgram(const std::string& name);

extern const char* const kDesktopKey;  // below HKEY_CURRENT_USER
extern const char* const kWinlogonKey; // below HKEY_LOCAL_MACHINE

// Keeps as found what a collection changes: the product keys and the Run value, the desktop's values
// and picture, the machine's "UIHost". The application folder is a scratch folder that receives
// "tsln.bmp" and the program log.
class CollectionGuard {
public:
    CollectionGuard();
    ~CollectionGuard();
    // Everything logged since the guard was made.
    std::string Log() const;
    std::string BitmapPath() const; // the desktop bitmap
    // A list stored as the settings store writes it.
    void StoreList(tsln::tType kind, const std::vector<std::string>& texts) const;
    std::vector<std::string> StoredList(tsln::tType kind) const;
    void StoreCurrent(tsln::tType kind, const std::string& path) const;
    std::string StoredCurrent(tsln::tType kind) const;

private:
    settings_test::RegistryGuard registry_;
    testing::RegValueSnapshot tile_;
    testing::RegValueSnapshot style_;
    testing::RegValueSnapshot wallpaper_;
    testing::RegValueSnapshot uiHost_;
    std::string wallpaperBefore_;
};

// A real top-level window holding a page panel with the program's own list, preview image and label,
// bound as a collection page's controls. Selecting a line from code runs OnSelect through the list's
// Click, as the main window's selection handler does.
class TestPage {
public:
    TestPage();
    ~TestPage();
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;

    // A binding of this page's controls for SetControls; the page must outlive it.
    std::unique_ptr<tsln::CollectionControls> Controls();
    // What the main window does when it opens a collection's page: the kind set (the list restored),
    // the page's controls bound, the list filled.
    void Open(tsln::clsWallpaperLogons& wl, tsln::tType kind = tsln::tType::Wallpapers);
    std::function<void()> OnSelect;

    std::vector<std::string> Lines() const;
    std::vector<int> ItemData() const;
    int SelectedLine() const;
    // Selects a line as the user does (without running OnSelect).
    void Choose(int line) const;
    // The bitmap the preview shows (still owned by it), or null.
    HBITMAP Shown() const;
    int PicturesShown() const { return picturesShown_; }
    HWND Window() const { return window_; }

private:
    friend class CountingControls;
    HWND window_ = nullptr;
    std::unique_ptr<tsln::PictureBox> panel_;
    std::unique_ptr<tsln::ComboBox> list_;
    std::unique_ptr<tsln::Image> image_;
    std::unique_ptr<tsln::Label> label_;
    int picturesShown_ = 0;
};

// A bitmap's pixels as 0xRRGGBB values, rows from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};
Pixels ReadPixels(HBITMAP bitmap);
// The pixels of a built-in picture as the loader decodes them.
Pixels BuiltInPixels(int number);
// The pixels of a 24-bit Windows bitmap file, read from its bytes; empty when the file is none.
Pixels BitmapFilePixels(const std::string& bytes);

// The bytes of a 24-bit Windows bitmap file with pixels from `colour(x, y)` (0xRRGGBB).
std::string BitmapFileBytes(int width, int height, const std::function<uint32_t(int, int)>& colour);
// True when every channel of the two colours differs by at most `tolerance`.
bool Near(uint32_t a, uint32_t b, int tolerance);

// The Windows drive letter of no drive at all ("Q:" or the first free one after it).
std::string UnusedDrive();

} // namespace rotation_test
