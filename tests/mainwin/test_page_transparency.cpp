// The transparency page of the main window: the slider, the two boxes, the preview and the taskbar,
// driven by real mouse input.
#include "core/clsSetari.h"
#include "effects/shell_transparency.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "ui/controls/bitmap.h"

#include <doctest.h>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace mainwin_test;
using tsln::TranspPage;

namespace {

// A taskbar of the test's own: a top-level "Shell_TrayWnd" above the shell's, so the program finds it
// first. It sits at the foot of the screen, away from the main window.
class TestTaskbar {
public:
    TestTaskbar() {
        WNDCLASSA type = {};
        type.lpfnWndProc = DefWindowProcA;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&type); // a second test finds it registered
        window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0,
                                      GetSystemMetrics(SM_CYSCREEN) - 30, 400, 30, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
        REQUIRE(window_);
        ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
        REQUIRE(FindWindowA("Shell_TrayWnd", nullptr) == window_.get());
    }
    int Alpha() const { return LayeredAlpha(window_.get()); }

private:
    tsln::unique_hwnd window_;
};

// A real drag of `slider`: pressed at `from`, moved in steps once the slider holds the mouse (the input
// that follows goes where the mouse is held), released at `to`.
void Drag(HWND slider, POINT from, POINT to) {
    auto held = [slider] {
        GUITHREADINFO info = {sizeof info};
        return GetGUIThreadInfo(GetWindowThreadProcessId(slider, nullptr), &info) &&
               info.hwndCapture == slider;
    };
    MouseAt(from);
    MouseAt(from, MOUSEEVENTF_LEFTDOWN);
    REQUIRE(testing::PumpUntil(held, 10000));
    for (int step = 1; step < 4; ++step)
        MouseAt({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
    MouseAt(to, MOUSEEVENTF_LEFTUP);
    // Done once the slider has let the mouse go: what follows is input of its own.
    REQUIRE(testing::PumpUntil([&] { return !held(); }, 10000));
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// On a check box's square; on the rail near one of its ends.
POINT BoxPoint(HWND box) {
    const RECT rect = ScreenRect(box);
    return {rect.left + 6, (rect.top + rect.bottom) / 2};
}
POINT RailEnd(HWND slider, bool right) {
    const RECT rect = ScreenRect(slider);
    return {right ? rect.right - 2 : rect.left + 1, (rect.top + rect.bottom) / 2};
}

// What the label shows for a slider value: the clearness in per cent.
std::string Percent(int value) {
    return std::to_string(100 - static_cast<int>(std::lround(value * 100.0 / 255.0))) + "%";
}

int Channel(uint32_t rgb, int shift) {
    return (rgb >> shift) & 0xFF;
}

// The alpha the preview drew its strip with, read from the backdrop's surface where the strip and the
// backdrop differ most.
int PreviewAlpha(TranspPage& page) {
    const std::vector<uint32_t> back = tsln::BitmapPixels(page.picPreviewTransp(0).Picture());
    const std::vector<uint32_t> strip = tsln::BitmapPixels(page.picPreviewTransp(1).Picture());
    const SIZE backSize = tsln::BitmapSize(page.picPreviewTransp(0).Picture());
    const SIZE stripSize = tsln::BitmapSize(page.picPreviewTransp(1).Picture());
    int bestX = 0, bestY = 0, bestShift = 0, bestDiff = 0;
    for (int y = 0; y < stripSize.cy; ++y)
        for (int x = 0; x < stripSize.cx; ++x)
            for (int shift : {0, 8, 16}) {
                const int diff = std::abs(Channel(strip[y * stripSize.cx + x], shift) -
                                          Channel(back[y * backSize.cx + x], shift));
                if (diff > bestDiff) bestX = x, bestY = y, bestShift = shift, bestDiff = diff;
            }
    REQUIRE(bestDiff > 100); // the backdrop shows the level plainly
    const COLORREF shown = GetPixel(page.picPreviewTransp(0).SurfaceDC(), bestX, bestY);
    const uint32_t shownRgb = GetRValue(shown) << 16 | GetGValue(shown) << 8 | GetBValue(shown);
    const int src = Channel(strip[bestY * stripSize.cx + bestX], bestShift);
    const int dst = Channel(back[bestY * backSize.cx + bestX], bestShift);
    return static_cast<int>(std::lround((Channel(shownRgb, bestShift) - dst) * 255.0 / (src - dst)));
}

// The page's windows in the real program, found by their class or text.
struct PageWindows {
    HWND slider = nullptr, label = nullptr, startBox = nullptr, taskbarBox = nullptr;
};
BOOL CALLBACK FindPageWindow(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<PageWindows*>(param);
    const std::string text = testing::WindowText(child);
    if (testing::ClassOf(child) == "TessalineSlider") found->slider = child;
    if (!text.empty() && text.back() == '%') found->label = child;
    if (text == "apply to Start Menu") found->startBox = child;
    if (text == "apply to taskbar") found->taskbarBox = child;
    return TRUE;
}

} // namespace

TEST_CASE("page 0: the slider dragged and clicked, the boxes clicked: label, preview and taskbar follow") {
    TestTaskbar taskbar;
    InProcessMain app;
    tsln::clsSetari settings;
    settings.SetTranspLevel(150);
    settings.SetTranspStartMenu(0);
    settings.SetTranspTaskbar(1);
    TranspPage& page = app.window->TranspTab();
    const auto pump = [](const std::function<bool()>& done) { return testing::PumpUntil(done, 10000); };

    REQUIRE(app.Run("tab", "0"));
    CHECK(page.Level().Value() == 150);
    CHECK(page.Level().Enabled());
    CHECK(page.lblDescription().Text() == Percent(150));
    CHECK(std::abs(PreviewAlpha(page) - 145) <= 1);
    CHECK(page.lblDescription().Visible());

    // The thumb dragged past the left end: the lowest value.
    HWND slider = page.Level().hwnd();
    const RECT thumb = page.Level().ThumbRect();
    POINT grip = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ClientToScreen(slider, &grip);
    Drag(slider, grip, {ScreenRect(slider).left - 40, grip.y});
    REQUIRE(pump([&] { return taskbar.Alpha() == 76; }));
    CHECK(page.Level().Value() == 76);
    CHECK(page.lblDescription().Text() == "70%");
    CHECK(std::abs(PreviewAlpha(page) - 71) <= 1);
    CHECK(settings.TranspLevel() == 76);

    // A click on the rail near its right end: the thumb jumps there.
    LeftClickAt(RailEnd(slider, true));
    REQUIRE(pump([&] { return taskbar.Alpha() == 230; }));
    CHECK(page.lblDescription().Text() == "10%");
    CHECK(std::abs(PreviewAlpha(page) - 225) <= 1);
    CHECK(settings.TranspLevel() == 230);

    // Both boxes off: opaque, the slider out of use, the Start menu to be treated again.
    tsln::SetStartMenuHwnd(app.main);
    LeftClickAt(BoxPoint(page.chkTaskTransp(1).hwnd()));
    REQUIRE(pump([&] { return taskbar.Alpha() == 255; }));
    CHECK(page.lblDescription().Text() == "100%");
    CHECK_FALSE(page.Level().Enabled());
    CHECK(PreviewAlpha(page) == 255);
    CHECK(settings.TranspTaskbar() == 0);
    CHECK(tsln::StartMenuHwnd() == nullptr);

    // The Start menu box on: the slider back in use, its level shown; the taskbar stays opaque.
    LeftClickAt(BoxPoint(page.chkTaskTransp(0).hwnd()));
    REQUIRE(pump([&] { return page.Level().Enabled(); }));
    CHECK(page.lblDescription().Text() == "10%");
    CHECK(std::abs(PreviewAlpha(page) - 225) <= 1);
    CHECK(settings.TranspStartMenu() == 1);
    CHECK(taskbar.Alpha() == 255);

    // Filling the page again from settings changed meanwhile: the first box set saves nothing half-read.
    CHECK(app.Run("ok"));
    settings.SetTranspStartMenu(0);
    settings.SetTranspTaskbar(1);
    REQUIRE(app.Run("tab", "0"));
    CHECK(settings.TranspTaskbar() == 1);
    CHECK(page.chkTaskTransp(1).Value());
    CHECK(page.Level().Enabled());
    CHECK(page.lblDescription().Text() == "10%");
    LeftClickAt(RailEnd(slider, true));
    REQUIRE(pump([&] { return taskbar.Alpha() == 230; }));
    CHECK(app.Run("ok"));
    CHECK(app.boxes.Seen().empty());
}

TEST_CASE("page 0 of the real program: a click on the rail and a drag set the level") {
    TestTaskbar taskbar;
    StartedExe app;
    {
        tsln::clsSetari settings;
        settings.SetTranspLevel(150);
        settings.SetTranspStartMenu(0);
        settings.SetTranspTaskbar(1);
    }
    app.Click("tab", "0");
    REQUIRE(testing::WaitFor([&] { return ShownCaption(app.main, "apply to taskbar"); }));
    PageWindows found;
    EnumChildWindows(app.main, &FindPageWindow, reinterpret_cast<LPARAM>(&found));
    HWND slider = found.slider, label = found.label;
    REQUIRE(slider != nullptr);
    REQUIRE(label != nullptr);
    CHECK(testing::WindowText(label) == Percent(150));

    LeftClickAt(RailEnd(slider, true));
    REQUIRE(testing::WaitFor([&] { return tsln::clsSetari().TranspLevel() == 230; }));
    CHECK(testing::WindowText(label) == "10%");

    // From the thumb at the right end to the middle of the rail.
    const RECT rail = ScreenRect(slider);
    Drag(slider, RailEnd(slider, true), {(rail.left + rail.right) / 2, (rail.top + rail.bottom) / 2});
    int level = 0;
    REQUIRE(testing::WaitFor([&] {
        level = tsln::clsSetari().TranspLevel();
        return level > 100 && level < 200;
    }));
    CHECK(testing::WindowText(label) == Percent(level));

    app.Click("ok");
    CHECK(testing::WaitFor([&] { return ShownPages(app.main) == 0; }));
    CHECK(app.process.CloseAgent(20000));
}
