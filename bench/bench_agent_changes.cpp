// The agent's scheduled changes leave nothing behind, in one run.
//
// Run after building the target bench_agent_changes, under X:
//     xvfb-run -a wine build/FLAVOUR/bench/bench_agent_changes.exe
// The agent, loaded here as at log-on ("-s"), rotates the wallpaper through a list of three small
// pictures (JPEG, GIF, BMP) on its own timer, its one-minute period shortened to 1 ms: every change
// creates a collection, applies the next picture and releases the collection. After a warm-up of 50
// changes it counts this process's kernel handles and GDI and USER objects, lets 2 000 more changes
// run, and counts again. Goal: every count where it started. The program's keys, the desktop's values
// and picture and the taskbar are put back as found; the files go.
#include "bench/process_counts.h"
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "effects/shell_transparency.h"
#include "rotation/frm_logo.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

using namespace tsln;

namespace {
constexpr int kWarmUp = 50;
constexpr int kChanges = 2000;
const char* const kListKey = "Software\\Quillfen\\Tessaline\\Wallpapers\\List";
const char* const kDesktopKey = "Control Panel\\Desktop";

std::string WallpaperShown() {
    char path[MAX_PATH + 1] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0);
    return path;
}

// The changes made so far: the stored use counts of the list.
int Changes() {
    int changes = 0;
    for (const char* name : {"1", "2", "3"}) {
        const std::string text = testing::ReadString(HKEY_CURRENT_USER, kListKey, name);
        const size_t star = text.rfind('*');
        if (star != std::string::npos) changes += std::atoi(text.c_str() + star + 1);
    }
    return changes;
}

void Print(const char* when, const bench::ObjectCounts& counts) {
    std::printf("%-7s handles %ld, GDI objects %ld, USER objects %ld (%s)\n", when, counts.handles,
                counts.gdi, counts.user, counts.source.c_str());
}
} // namespace

int main() {
    testing::RegTreeSnapshot user(HKEY_CURRENT_USER, "Software\\Quillfen");
    testing::RegTreeSnapshot machine(HKEY_LOCAL_MACHINE, "Software\\Quillfen");
    testing::RegTreeSnapshot run(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    testing::RegValueSnapshot tile(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper");
    testing::RegValueSnapshot style(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle");
    testing::RegValueSnapshot wallpaper(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
    const std::string wallpaperBefore = WallpaperShown();
    const HWND taskbar = FindTaskbarWindow();
    const LONG taskbarStyle = taskbar ? GetWindowLongA(taskbar, GWL_EXSTYLE) : 0;
    testing::TempDir folder("agentbench");
    const std::string appFolderBefore = AppFolder();
    SetAppFolder(folder.Path() + "\\");

    // Three small pictures of the three kinds: the program's own built-in ones and a bitmap.
    const std::string res = std::string(TSLN_BENCH_PICTURES) + "\\";
    const std::vector<std::string> pictures = {folder / "dune.gif", folder / "sea.jpg", folder / "tile.bmp"};
    CopyFileA((res + "101.gif").c_str(), pictures[0].c_str(), FALSE);
    CopyFileA((res + "103.jpg").c_str(), pictures[1].c_str(), FALSE);
    {
        std::string bmp(54, '\0');
        const int width = 16, height = 16, size = 54 + width * height * 3;
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        bmp[0] = 'B', bmp[1] = 'M';
        put32(2, size), put32(10, 54), put32(14, 40), put32(18, width), put32(22, height);
        bmp[26] = 1, bmp[28] = 24;
        bmp += std::string(static_cast<size_t>(width) * height * 3, '\x7f');
        testing::WriteFileBytes(pictures[2], bmp);
    }
    testing::DeleteTree(HKEY_CURRENT_USER, kListKey);
    {
        clsSetari settings;
        settings.SetWInterval("every 1 minutes");
        settings.SetLInterval("never");
        settings.SetWCurrent("");
    }
    for (size_t i = 0; i < pictures.size(); ++i)
        testing::SetString(HKEY_CURRENT_USER, kListKey, std::to_string(i + 1),
                           pictures[i] + "*" + std::to_string(i) + "**0");

    frmLogo::Load(GetModuleHandleA(nullptr), "-s", {});
    frmLogo* agent = frmLogo::Instance();
    // The road whose timer runs beside the schedule's, whatever this platform reports.
    agent->WatchShellBy(frmLogo::ShellWatch::Poll);
    agent->SetPeriodHook([](int32_t period) { return period == 0 ? 0 : 1; });
    agent->RefreshTimers();

    bool ran = testing::PumpUntil([] { return Changes() >= kWarmUp; }, 120000);
    const bench::ObjectCounts before = bench::CountObjects();
    const int from = Changes();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ran = ran && testing::PumpUntil([&] { return Changes() >= from + kChanges; }, 600000);
    QueryPerformanceCounter(&end);
    const int made = Changes() - from;
    agent->SetPeriodHook([](int32_t) { return 0; });
    agent->RefreshTimers();
    const bench::ObjectCounts after = bench::CountObjects();
    frmLogo::Unload();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaperBefore.c_str()), 0);
    if (taskbar) SetWindowLongA(taskbar, GWL_EXSTYLE, taskbarStyle);
    SetAppFolder(appFolderBefore);

    const double ms =
        1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%d scheduled changes over 3 pictures in %.1f s (%.2f ms a change)%s\n", made, ms / 1000.0,
                made ? ms / made : 0.0, ran ? "" : " -- STOPPED SHORT");
    Print("before", before);
    Print("after", after);
    std::printf("differences: handles %+ld, GDI objects %+ld, USER objects %+ld\n",
                after.handles - before.handles, after.gdi - before.gdi, after.user - before.user);
    const bool met =
        ran && after.handles == before.handles && after.gdi == before.gdi && after.user == before.user;
    std::printf("%s\n", met ? "goal met: every count where it started" : "GOAL MISSED");
    return met ? 0 : 1;
}
