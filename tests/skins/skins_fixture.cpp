#include "tests/skins/skins_fixture.h"
#include "core/app_error.h"
#include "core/mod_main.h"

#include <doctest.h>

namespace skins_test {

namespace {
const char* const kSettingsKey = "Software\\Quillfen\\Tessaline\\Settings";
} // namespace

TestControl::TestControl(HWND parent, bool hasForeColor, bool failsBackColor)
    : hasForeColor_(hasForeColor), failsBackColor_(failsBackColor) {
    hwnd.reset(CreateWindowExA(0, "STATIC", "label", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr));
    REQUIRE(hwnd);
}

bool TestControl::SetBackColor(COLORREF color) {
    if (failsBackColor_) TSLN_FAIL(tsln::err::kInvalidPropertyValue);
    back = color;
    return true;
}

bool TestControl::SetForeColor(COLORREF color) {
    if (!hasForeColor_) return false;
    fore = color;
    return true;
}

TestWindow::TestWindow() {
    REQUIRE(Create(GetModuleHandleA(nullptr), "TessalineSkinTest", "Skin test", WS_POPUP, 0, 10, 10, 300, 300,
                   nullptr));
    controls.push_back(std::make_unique<TestControl>(hwnd(), true, false));
    controls.push_back(std::make_unique<TestControl>(hwnd(), false, false));
    controls.push_back(std::make_unique<TestControl>(hwnd(), true, true));
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void TestWindow::ForEachControl(const std::function<void(tsln::SkinColorable&)>& visit) {
    for (auto& control : controls)
        visit(*control);
}

bool TestWindow::SetBackColor(COLORREF color) {
    back = color;
    return true;
}

bool TestWindow::SetForeColor(COLORREF color) {
    fore = color;
    return true;
}

long TestWindow::CurrentFrame() {
    movieCalls.push_back("CurrentFrame");
    return frame;
}

void TestWindow::SetMovie(const std::string& path) {
    movieCalls.push_back("SetMovie " + path);
    movieBytes = testing::ReadFileBytes(path);
    if (frame < 1) frame = 1;
}

void TestWindow::Move(int left, int top, int width, int height) {
    movieCalls.push_back("Move " + std::to_string(left) + "," + std::to_string(top) + "," +
                         std::to_string(width) + "," + std::to_string(height));
}

void TestWindow::GotoFrame(long to) {
    movieCalls.push_back("GotoFrame " + std::to_string(to));
    frame = to;
}

void TestWindow::Play() {
    movieCalls.push_back("Play");
}

RECT TestWindow::Rect() const {
    RECT rect = {};
    GetWindowRect(hwnd(), &rect);
    return rect;
}

bool TestWindow::HasRegion() const {
    tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(hwnd(), static_cast<HRGN>(region.get())) != ERROR;
}

bool TestWindow::RegionEquals(HRGN expected) const {
    tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(hwnd(), static_cast<HRGN>(region.get())) == ERROR) return false;
    return SameArea(static_cast<HRGN>(region.get()), expected);
}

bool SameArea(HRGN a, HRGN b) {
    tsln::unique_gdi difference(CreateRectRgn(0, 0, 0, 0));
    return CombineRgn(static_cast<HRGN>(difference.get()), a, b, RGN_XOR) == NULLREGION;
}

tsln::SkinsPageControls TestPage::Bind() {
    tsln::SkinsPageControls c;
    c.ClearList = [this] { lines.clear(); };
    c.AddToList = [this](const std::string& line) { lines.push_back(line); };
    c.ListText = [this] { return text; };
    c.SetListText = [this](const std::string& value) { text = value; };
    c.EnableList = [this](bool on) { listEnabled = on; };
    c.ShowPreview = [this](tsln::unique_picture shown) { picture = std::move(shown); };
    c.SetDescription = [this](const std::string& value) { description = value; };
    c.EnableApply = [this](bool on) { applyEnabled = on; };
    return c;
}

void Bind(tsln::clsSkins& skins, TestWindow& window, TestPage& page) {
    skins.ApplyToForm(&window);
    skins.SetControls(page.Bind());
}

std::string SkinIni(const std::map<std::string, std::string>& changes) {
    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections = {
        {"INFO",
         {{"For", "TSLN"},
          {"Version", "1.1;1.8"},
          {"Name", "Test skin"},
          {"Author", "The tests"},
          {"Date", "2024-03-15"}}},
        {"COLORS", {{"NormalControl", "16711680"}, {"NormalFont", "&H00FFFF"}}},
        {"POSITION", {{"Top", "600"}, {"Left", "300"}, {"Height", "3000"}, {"Width", "6000"}}},
        {"SHAPE", {{"GPX", "0,200,200,0"}, {"GPY", "0,0,100,100"}}},
    };
    std::string ini;
    for (const auto& section : sections) {
        ini += "[" + section.first + "]\r\n";
        for (const auto& entry : section.second) {
            std::string value = entry.second;
            auto change = changes.find(section.first + "/" + entry.first);
            if (change != changes.end()) value = change->second;
            if (value != "-") ini += entry.first + "=" + value + "\r\n";
        }
    }
    return ini;
}

std::string MovieBytes(const std::string& name) {
    return "movie of " + name + std::string("\0\x01\x02\xFF", 4);
}

std::string Screenshot() {
    static const std::string bytes = testing::ReadFileBytes(TSLN_RES_DIR "\\pictures\\103.jpg");
    REQUIRE(!bytes.empty());
    return bytes;
}

SkinsFixture::SkinsFixture() = default;
SkinsFixture::~SkinsFixture() = default;

tsln::SkinsSetup SkinsFixture::Setup() {
    return {skins.Path() + "\\", testing::DistDir() + "\\tsln.dll", [this] { ++ended; }};
}

std::unique_ptr<tsln::clsSkins> SkinsFixture::Start(TestWindow& window, TestPage& page) {
    auto skins = std::make_unique<tsln::clsSkins>(Setup());
    Bind(*skins, window, page);
    skins->SetSkin("");
    return skins;
}

void SkinsFixture::AddPackage(const std::string& name, const std::string& ini,
                              const std::vector<ZipItem>& extra) {
    std::vector<ZipItem> items = {
        {"skin.ini", ini}, {"screenshot.jpg", Screenshot()}, {name + ".swf", MovieBytes(name)}};
    items.insert(items.end(), extra.begin(), extra.end());
    WriteZip(PackagePath(name + ".csk"), items);
}

void SkinsFixture::StoreSetting(const std::string& name, const std::string& value) const {
    testing::SetString(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

void SkinsFixture::StoreNumber(const std::string& name, DWORD value) const {
    testing::SetDword(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

std::string SkinsFixture::StoredSkin() const {
    return testing::ReadString(HKEY_CURRENT_USER, kSettingsKey, "Skin");
}

std::vector<std::string> SkinsFixture::DataFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    tsln::unique_find search(FindFirstFileA((tsln::AppFolder() + "*").c_str(), &found));
    if (!search) return names;
    const std::string log = tsln::ExeBaseName() + ".log";
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != ".." && lstrcmpiA(name.c_str(), log.c_str()) != 0) names.push_back(name);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

std::string SkinsFixture::Log() const {
    return testing::ReadFileBytes(registry.LogPath());
}

std::vector<testing::BoxInfo> SkinsFixture::Boxes(size_t count) {
    testing::PumpUntil([&] { return watcher.Seen().size() >= count; }, 10000);
    return watcher.Seen();
}

} // namespace skins_test
