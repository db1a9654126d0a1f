// What the skin tests share: a real window to skin, the skins page's controls, packages built from real
// zip files in a scratch skins folder, a scratch data folder, and the program's registry kept as found.
#pragma once
#include "core/window.h"
#include "skins/clsSkins.h"
#include "tests/core/settings_fixture.h"
#include "tests/skins/zip_writer.h"
#include "tests/support/test_support.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skins_test {

// A control of the test window: a real static child that keeps the colours it takes.
class TestControl : public tsln::SkinColorable {
public:
    TestControl(HWND parent, bool hasForeColor, bool failsBackColor);
    bool SetBackColor(COLORREF color) override;
    bool SetForeColor(COLORREF color) override;

    tsln::unique_hwnd hwnd;
    std::optional<COLORREF> back, fore;

private:
    bool hasForeColor_;
    bool failsBackColor_;
};

// The window skins are applied to: a real top-level window with a plain control, one without a text
// colour and one that fails on its back colour. The movie calls are written down as the main window's
// player would receive them.
class TestWindow : public tsln::Window, public tsln::SkinTarget, public tsln::SkinMovie {
public:
    TestWindow();

    HWND Hwnd() const override { return hwnd(); }
    int ScaleMode() const override { return scaleMode; }
    void ForEachControl(const std::function<void(tsln::SkinColorable&)>& visit) override;
    bool SetBackColor(COLORREF color) override;
    bool SetForeColor(COLORREF color) override;
    void SetRTop(int16_t twips) override { rTop = twips; }
    void SetRLeft(int16_t twips) override { rLeft = twips; }
    tsln::SkinMovie* Movie() override { return this; }

    long CurrentFrame() override;
    void SetMovie(const std::string& path) override;
    void Move(int left, int top, int width, int height) override;
    void GotoFrame(long frame) override;
    void Play() override;

    RECT Rect() const;
    // Whether the window's region covers exactly what `expected` covers; false when it has none.
    bool RegionEquals(HRGN expected) const;
    bool HasRegion() const;

    int scaleMode = 1;
    long frame = 0;
    std::vector<std::string> movieCalls;
    std::string movieBytes; // the movie file's content at the moment it was handed over
    std::optional<int16_t> rTop, rLeft;
    std::optional<COLORREF> back, fore;
    std::vector<std::unique_ptr<TestControl>> controls;

protected:
    const char* FailureSource() const override { return "Tessaline.TestWindow.WindowProc"; }
};

// Whether two regions cover the same pixels (their bands may be split differently).
bool SameArea(HRGN a, HRGN b);

// The skins page's four controls, as the skin manager leaves them.
struct TestPage {
    std::vector<std::string> lines;
    std::string text;
    bool listEnabled = true;
    bool applyEnabled = true;
    tsln::unique_picture picture;
    std::string description;

    tsln::SkinsPageControls Bind();
};

// Binds the manager to the window and the page, as the main window does at its first activation.
void Bind(tsln::clsSkins& skins, TestWindow& window, TestPage& page);

// A skin.ini: every section of a good skin, with `changes` ("SECTION/Key" → value; a value of "-"
// removes the key) applied.
std::string SkinIni(const std::map<std::string, std::string>& changes = {});
// The movie bytes the packages carry (the skin manager only hands the file on).
std::string MovieBytes(const std::string& name);
// The screenshot every package carries: a real JPEG.
std::string Screenshot();

class SkinsFixture {
public:
    SkinsFixture();
    ~SkinsFixture();

    tsln::SkinsSetup Setup();
    // A manager bound to the window and the page that has applied the current skin, as at start-up.
    std::unique_ptr<tsln::clsSkins> Start(TestWindow& window, TestPage& page);
    // A package <name>.csk with skin.ini, screenshot.jpg and <name>.swf, plus `extra` entries.
    void AddPackage(const std::string& name, const std::string& ini = SkinIni(),
                    const std::vector<ZipItem>& extra = {});
    std::string PackagePath(const std::string& fileName) const { return skins / fileName; }
    void StoreSetting(const std::string& name, const std::string& value) const;
    void StoreNumber(const std::string& name, DWORD value) const;
    std::string StoredSkin() const;
    // The files in the data folder, the program log excepted.
    std::vector<std::string> DataFiles() const;
    std::string Log() const;
    // The boxes answered so far (waits for `count` of them first).
    std::vector<testing::BoxInfo> Boxes(size_t count = 0);

    settings_test::RegistryGuard registry; // also points the data folder at a scratch folder
    testing::TempDir skins{"skins"};
    testing::BoxWatcher watcher{IDOK, false}; // the platform's boxes: the tests drive the skinned ones
    int ended = 0;
};

} // namespace skins_test
