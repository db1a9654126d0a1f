// What the main window's tests share: the test skin and its movie's buttons, real mouse input, and the
// main window as seen from outside (another process) or inside (this one).
#pragma once
#include "movie/movie_file.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/box_driver.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <string>

namespace mainwin_test {

constexpr const char* kPageClass = "TessalinePictureBox";

// The test skin's movie, read from its package's build.
const tsln::movie::Movie& TestMovie();
// The screen point at the centre of the hit area of the movie's button that sends (command, argument),
// as the player window `player` shows the movie.
POINT ButtonPoint(HWND player, const std::string& command, const std::string& argument = {});

// Real mouse input at a screen point: pressed and released.
void LeftClickAt(POINT at);
void RightClickAt(POINT at);

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

} // namespace mainwin_test
