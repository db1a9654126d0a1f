// The main window's opening against its own fade, in one process.
//
// Run after building the target bench_mainwin:
//     xvfb-run -a wine build/FLAVOUR/bench/bench_mainwin.exe
// (the movie player must be registered in the prefix: wine regsvr32 build/dist/tslnplay.dll). It measures,
// best of five runs each:
//   show: from the call that shows the main window (the tray click's) to the end of its fade-in, with the
//         test skin: loading the window, the player and its controls, unpacking and applying the skin,
//         and the fade from 50 to 230 in steps of 10 every 10 ms;
//   fade: that fade alone on a plain layered window of the same size (18 ticks of 10 ms).
// The product's keys are put back and the unpacked files removed. It prints both and the goal:
//     show <= 1.3 x fade.
#include "bench/bench_clock.h"
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "effects/clsTranspEffects.h"
#include "tests/support/test_support.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tsln;

namespace {
constexpr int kRuns = 5;

// Runs the thread's messages until `done` holds; the time when it first did.
double RunUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    return bench::NowMs();
}

// The opening is over when the fade has ended: the window takes input again at its full alpha.
bool Opened(HWND window) {
    return testing::LayeredAlpha(window) == 230 && IsWindowEnabled(window);
}

double TimeShow(const SkinsSetup& setup) {
    const double start = bench::NowMs();
    frmMain::Show(GetModuleHandleA(nullptr), setup);
    HWND main = frmMain::Instance()->hwnd();
    const double end = RunUntil([&] { return frmMain::Instance()->Activated() && Opened(main); });
    frmMain::Unload();
    return end - start;
}

double TimeFade() {
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, "STATIC", "fade", WS_POPUP | WS_VISIBLE,
                                  0, 0, 480, 320, nullptr, nullptr, nullptr, nullptr);
    SetLayeredWindowAttributes(window, 0, 1, LWA_ALPHA);
    bool done = false;
    clsTranspEffects fade;
    fade.Done = [&](const std::string&) { done = true; };
    const double start = bench::NowMs();
    fade.Fade(window, 10, 10, 50, 230);
    const double end = RunUntil([&] { return done; });
    DestroyWindow(window);
    return end - start;
}
} // namespace

int main() {
    try {
        testing::ProductKeys keys;
        testing::TempDir data("bench data"); // the skin is unpacked here
        SetAppFolder(data.Path() + "\\");
        testing::ComScope com;
        testing::TempDir skins("bench skins");
        if (!CopyFileA(TSLN_TEST_SKIN, (skins / "Test_Main.csk").c_str(), FALSE)) {
            fprintf(stderr, "the test skin is missing: build the target test_main_skin\n");
            return 1;
        }
        clsSetari settings;
        settings.SetSkin("Test_Main");
        settings.SetInterface_Transp(1);
        settings.SetInterface_Shadow(0);
        settings.SetOnTOP(0);
        const SkinsSetup setup{skins.Path() + "\\", testing::DistDir() + "\\tsln.dll", [] {}};

        double show = 1e30, fade = 1e30;
        for (int run = 0; run < kRuns; ++run) {
            show = std::min(show, TimeShow(setup));
            fade = std::min(fade, TimeFade());
        }
        printf("show  %8.1f ms (from the show call to the end of the fade-in)\n", show);
        printf("fade  %8.1f ms (the fade alone; nominal 18 ticks x 10 ms = 180 ms)\n", fade);
        printf("ratio %8.2f x (goal <= 1.3)\n", show / fade);
        return show / fade <= 1.3 ? 0 : 3;
    } catch (const std::exception& e) {
        fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
}
