// What the main window's tests share: the test skin and its movie's buttons, real mouse input, and the
// main window as seen from outside (another process) or inside (this one).
#pragma once
#include "movie/movie_file.h"
#include "tests/core/settings_fixture.h"
#include "tests/support/box_driver.h"
#include "tests/support/test_support.h"
#include "tools/driver/driver.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <functional>
#include <string>

namespace mainwin_test {

constexpr const char* kPageClass = "TessalinePictureBox";

// The test skin's movie, read from its package's build.
const tsln::movie::Movie& TestMovie();
// The screen point at the centre of the hit area of the movie's button that sends (command, argument),
// as the player window `player` shows the movie.
POINT ButtonPoint(HWND player, const std::string& command, const std::string& argument = {});

// Real mouse input at a screen point: moved there with `buttons` (MOUSEEVENTF_LEFTDOWN...) pressed or
// released at once.
void MouseAt(POINT at, DWORD buttons = 0);
// Real mouse input at a screen point: pressed and released.
void LeftClickAt(POINT at);
void RightClickAt(POINT at);
// A real click at the centre of a control, once its window takes input and nothing covers the control
// there.
void ClickOn(HWND control);

using testing::LayeredAlpha;
bool HasRegion(HWND window);
// The main window's player window (class "ATL:..."), or null.
HWND PlayerOf(HWND main);
// How many page panels of the main window are shown.
int ShownPages(HWND main);

// The registry kept as found, the test skin stored as the current one, translucency on.
struct SkinGuard {
    SkinGuard();
    settings_test::RegistryGuard registry;
    testing::DistSkin skin{TSLN_TEST_SKIN};
};

// The real Tessaline.exe started by the user, its main window shown and faded in; killed at the end if
// still running. `prepare` runs just before the start, with the skin stored.
struct StartedExe {
    explicit StartedExe(const std::function<void()>& prepare = {});
    ~StartedExe() { process.Kill(); }
    // Clicks the movie's button that sends (command, argument).
    void Click(const std::string& command, const std::string& argument = {});

    SkinGuard guard;
    tsdriver::Process process;
    HWND main = nullptr;
    HWND player = nullptr;
};

// Whether a shown control of the main window has that caption.
bool ShownCaption(HWND main, const std::string& caption);
// That shown control, or null.
HWND ShownControl(HWND main, const std::string& caption);

// A main window of this process shown from the test skin in a scratch skins folder, faded in; the
// platform's boxes are answered with `answer`.
struct InProcessMain {
    explicit InProcessMain(int answer = IDOK);
    ~InProcessMain() { tsln::frmMain::Unload(); }

    void Open();
    // Runs a command as the movie sends it, from a focus elsewhere; true when the focus went to cmdFake.
    bool Run(const std::string& command, const std::string& args = {});
    // The shown page, or -1.
    int ShownPage() const;

    settings_test::RegistryGuard registry;
    testing::ComScope com;
    testing::TempDir skins{"main skins"};
    testing::BoxWatcher boxes;
    tsln::frmMain* window = nullptr;
    HWND main = nullptr;
};

} // namespace mainwin_test
