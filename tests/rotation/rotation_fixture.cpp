#include "tests/rotation/rotation_fixture.h"
#include "core/mod_main.h"
#include "core/units.h"
#include "rotation/collection_binding.h"
#include "shellutil/load_res_picture.h"

#include <cstring>
#include <stdexcept>

namespace rotation_test {

const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

namespace {
const char* const kPageClass = "TessalineTestPage";

std::string ListKey(tsln::tType kind) {
    return settings_test::At(tsln::IsLogons(kind) ? "Logons\\List" : "Wallpapers\\List");
}
std::string KindKey(tsln::tType kind) {
    return settings_test::At(tsln::IsLogons(kind) ? "Logons" : "Wallpapers");
}

std::string DesktopWallpaper() {
    char path[MAX_PATH + 1] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0);
    return path;
}

void Put32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Put16(std::string& bytes, uint16_t value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}
uint32_t Get32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
} // namespace

std::string DataFile(const std::string& name) {
    return std::string(TSLN_ROTATION_DATA) + "\\" + name;
}

std::string FixtureProgram(const std::string& name) {
    return std::string(TSLN_ROTATION_FIXTURES) + "\\" + name;
}

CollectionGuard::CollectionGuard()
    : tile_(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper"),
      style_(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"),
      wallpaper_(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"),
      uiHost_(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost"), wallpaperBefore_(DesktopWallpaper()) {}

CollectionGuard::~CollectionGuard() {
    // The desktop takes its picture back; the snapshots then put back the stored values exactly.
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaperBefore_.c_str()), 0);
}

std::string CollectionGuard::Log() const {
    return testing::ReadFileBytes(registry_.LogPath());
}

std::string CollectionGuard::BitmapPath() const {
    return tsln::AppFolder() + "tsln.bmp";
}

void CollectionGuard::StoreList(tsln::tType kind, const std::vector<std::string>& texts) const {
    testing::DeleteTree(HKEY_CURRENT_USER, ListKey(kind));
    tsln::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ListKey(kind).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make the list key");
    for (size_t i = 0; i < texts.size(); ++i)
        RegSetValueExA(key.get(), std::to_string(i + 1).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(texts[i].c_str()),
                       static_cast<DWORD>(texts[i].size() + 1));
}

std::vector<std::string> CollectionGuard::StoredList(tsln::tType kind) const {
    // Exactly the values "1" to "N", in the order of their numbers.
    const size_t count = testing::ValueNames(HKEY_CURRENT_USER, ListKey(kind)).size();
    std::vector<std::string> texts;
    for (size_t i = 1; i <= count; ++i) {
        DWORD type = 0;
        std::vector<BYTE> data;
        const std::string name = std::to_string(i);
        texts.push_back(testing::ReadRaw(HKEY_CURRENT_USER, ListKey(kind), name, type, data)
                            ? testing::ReadString(HKEY_CURRENT_USER, ListKey(kind), name)
                            : "<no value " + name + ">");
    }
    return texts;
}

void CollectionGuard::StoreCurrent(tsln::tType kind, const std::string& path) const {
    testing::SetString(HKEY_CURRENT_USER, KindKey(kind), "Current", path);
}

std::string CollectionGuard::StoredCurrent(tsln::tType kind) const {
    return testing::ReadString(HKEY_CURRENT_USER, KindKey(kind), "Current");
}

// The page's real binding, counting the pictures it is handed.
class CountingControls : public tsln::CollectionControls {
public:
    explicit CountingControls(TestPage& page)
        : page_(page), bound_(tsln::BindCollectionPage(*page.list_, *page.image_, *page.label_)) {}
    void ClearList() override { bound_->ClearList(); }
    void AddLine(const std::string& text, int16_t itemData) override { bound_->AddLine(text, itemData); }
    void SelectLine(int line) override { bound_->SelectLine(line); }
    bool SelectedItemData(int16_t& itemData) const override { return bound_->SelectedItemData(itemData); }
    tsln::PixelSize PreviewSize() const override { return bound_->PreviewSize(); }
    void ShowPicture(tsln::unique_gdi bitmap) override {
        bound_->ShowPicture(std::move(bitmap));
        ++page_.picturesShown_;
    }
    HWND OwnerWindow() const override { return bound_->OwnerWindow(); }

private:
    TestPage& page_;
    std::unique_ptr<tsln::CollectionControls> bound_;
};

TestPage::TestPage() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kPageClass;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&windowClass); // a second registration fails harmlessly
    window_ = CreateWindowExA(0, kPageClass, "collection page", WS_OVERLAPPEDWINDOW, 20, 20, 480, 320,
                              nullptr, nullptr, instance, nullptr);
    if (!window_) throw std::runtime_error("no test page");
    auto twips = [](int pixels) { return tsln::PixelsToTwips(pixels, tsln::ScreenDpiX()); };
    panel_ = std::make_unique<tsln::PictureBox>(window_, tsln::Bounds{0, 0, twips(460), twips(280)});
    list_ = std::make_unique<tsln::ComboBox>(panel_->hwnd(),
                                             tsln::Bounds{twips(10), twips(10), twips(230), twips(200)});
    // The preview as large as the pictures the collection fits into it.
    image_ = std::make_unique<tsln::Image>(panel_->hwnd(),
                                           tsln::Bounds{twips(10), twips(40), twips(230), twips(164)});
    label_ = std::make_unique<tsln::Label>(panel_->hwnd(), "",
                                           tsln::Bounds{twips(250), twips(40), twips(200), twips(100)});
    list_->Click = [this] {
        if (OnSelect) OnSelect();
    };
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

TestPage::~TestPage() {
    // The controls' objects go before their windows; the windows go with the page.
    label_.reset();
    image_.reset();
    list_.reset();
    panel_.reset();
    DestroyWindow(window_);
}

std::unique_ptr<tsln::CollectionControls> TestPage::Controls() {
    return std::make_unique<CountingControls>(*this);
}

void TestPage::Open(tsln::clsWallpaperLogons& wl, tsln::tType kind) {
    wl.SettType(kind);
    wl.SetControls(Controls());
    wl.Enumerate();
}

std::vector<std::string> TestPage::Lines() const {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list_->hwnd(), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[512] = {};
        SendMessageA(list_->hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

std::vector<int> TestPage::ItemData() const {
    std::vector<int> data;
    const LRESULT count = SendMessageA(list_->hwnd(), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        data.push_back(
            static_cast<int>(SendMessageA(list_->hwnd(), CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    return data;
}

int TestPage::SelectedLine() const {
    return static_cast<int>(SendMessageA(list_->hwnd(), CB_GETCURSEL, 0, 0));
}

void TestPage::Choose(int line) const {
    SendMessageA(list_->hwnd(), CB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

HBITMAP TestPage::Shown() const {
    return image_->Picture();
}

Pixels ReadPixels(HBITMAP bitmap) {
    Pixels pixels;
    BITMAP info = {};
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) == 0) return pixels;
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = pixels.width;
    format.bmiHeader.biHeight = -pixels.height; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bgrx(static_cast<size_t>(pixels.width) * pixels.height);
    tsln::unique_hdc dc(CreateCompatibleDC(nullptr));
    GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(pixels.height), bgrx.data(), &format, DIB_RGB_COLORS);
    for (uint32_t value : bgrx)
        pixels.rgb.push_back(value & 0xFFFFFF);
    return pixels;
}

Pixels BuiltInPixels(int number) {
    tsln::unique_picture picture = tsln::cLoadResPicture().LoadResPicture(number, "GIF");
    return ReadPixels(tsln::PictureBitmap(picture.get()));
}

Pixels BitmapFilePixels(const std::string& bytes) {
    Pixels pixels;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return pixels;
    const uint32_t offset = Get32(bytes, 10);
    const int width = static_cast<int>(Get32(bytes, 18));
    const int height = static_cast<int>(Get32(bytes, 22));
    const uint16_t bits = static_cast<uint16_t>(Get32(bytes, 28) & 0xFFFF);
    if (bits != 24 || width <= 0 || height <= 0) return pixels;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    if (bytes.size() < offset + stride * height) return pixels;
    pixels.width = width;
    pixels.height = height;
    for (int y = 0; y < height; ++y) {
        const size_t row = offset + stride * (height - 1 - y); // bottom-up
        for (int x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + row + 3 * x);
            pixels.rgb.push_back(static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0]);
        }
    }
    return pixels;
}

std::string BitmapFileBytes(int width, int height, const std::function<uint32_t(int, int)>& colour) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t image = stride * static_cast<uint32_t>(height);
    std::string bytes = "BM";
    Put32(bytes, 54 + image);
    Put32(bytes, 0);
    Put32(bytes, 54);
    Put32(bytes, 40);
    Put32(bytes, static_cast<uint32_t>(width));
    Put32(bytes, static_cast<uint32_t>(height));
    Put16(bytes, 1);
    Put16(bytes, 24);
    for (uint32_t field : {0u, image, 2835u, 2835u, 0u, 0u})
        Put32(bytes, field);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>((c >> 8) & 0xFF);
            bytes += static_cast<char>((c >> 16) & 0xFF);
        }
        bytes.append(stride - static_cast<uint32_t>(width) * 3, '\0');
    }
    return bytes;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

std::string UnusedDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    throw std::runtime_error("every drive letter is taken");
}

} // namespace rotation_test
