// The taskbar and Start menu translucency on the real registry and real windows. Wine has no Start menu:
// the tests make top-level windows of the shell's classes and titles themselves.
#include "effects/clsTranspEffects.h"
#include "effects/restart_throttle.h"
#include "effects/shell_transparency.h"
#include "tests/effects/effects_fixture.h"

#include <doctest.h>
#include <vector>

using namespace effects_test;
using testing::PumpUntil;

namespace {
const char* const kClassicSource = "Tessaline.modMain.IsClassicStartMenu";

// A "ShellState" of the usual 36 bytes with the Start menu style at byte 32.
std::vector<BYTE> ShellState(BYTE style) {
    std::vector<BYTE> state(36, 0);
    state[0] = 0x24;
    state[32] = style;
    return state;
}

void SetShellState(const std::vector<BYTE>& state) {
    testing::SetBinary(HKEY_CURRENT_USER, kExplorerKey, "ShellState", state);
}

void RemoveValue(const char* path, const char* name) {
    tsln::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name);
}

void SetMask(const std::vector<BYTE>& mask) {
    testing::SetBinary(HKEY_CURRENT_USER, kDesktopKey, "UserPreferencesMask", mask);
}

// The stored mask; its type must stay raw bytes.
std::vector<BYTE> Mask() {
    DWORD type = 0;
    std::vector<BYTE> data;
    REQUIRE(testing::ReadRaw(HKEY_CURRENT_USER, kDesktopKey, "UserPreferencesMask", type, data));
    CHECK(type == REG_BINARY);
    return data;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The agent's Start-menu poll, on a real 100 ms timer object.
class Poller {
public:
    Poller() {
        timer_.Tick = [this] {
            poll_.Poll(effects_);
            ++polls_;
        };
        timer_.SetInterval(100);
        timer_.SetEnabled(true);
    }
    ~Poller() { tsln::SetStartMenuHwnd(nullptr); } // the program-wide value as it was found
    // Waits until the poll has looked `count` more times.
    void Looks(int count) {
        const int until = polls_ + count;
        REQUIRE(PumpUntil([&] { return polls_ >= until; }));
    }

private:
    tsln::clsTranspEffects effects_;
    tsln::StartMenuPoll poll_;
    int polls_ = 0;
    tsln::XTimer timer_; // stops before the objects its ticks use go
};
} // namespace

TEST_CASE(
    "ShellState byte 32 tells the classic Start menu, whose mask loses menu fade and cursor shadow once") {
    EffectsGuard guard;
    const std::vector<BYTE> mask = {0x9E, 0x3E, 0x07, 0x80, 0x12, 0x00, 0x00, 0x00};

    SUBCASE("classic, with menu fade and cursor shadow on") {
        SetShellState(ShellState(0));
        SetMask(mask);
        CHECK(tsln::IsClassicStartMenu());
        std::vector<BYTE> expected = mask;
        expected[1] = 0x1C;
        CHECK(Mask() == expected);
        CHECK(tsln::IsClassicStartMenu());
        CHECK(Mask() == expected);
    }
    SUBCASE("classic, with other effects or a mask too short to hold them") {
        SetShellState(ShellState(0));
        for (const std::vector<BYTE>& other :
             {std::vector<BYTE>{0x9E, 0x3F, 0x07}, std::vector<BYTE>{0x9E, 0x1C}, std::vector<BYTE>{0x3E},
              std::vector<BYTE>{}}) {
            SetMask(other);
            CHECK(tsln::IsClassicStartMenu());
            CHECK(Mask() == other);
        }
    }
    SUBCASE("the XP style, from any other byte or a value too short to hold it") {
        SetMask(mask);
        for (const std::vector<BYTE>& state : {ShellState(2), ShellState(1), std::vector<BYTE>(32, 0)}) {
            SetShellState(state);
            CHECK_FALSE(tsln::IsClassicStartMenu());
        }
        CHECK(Mask() == mask);
    }
    CHECK(guard.LogAdded().empty());
}

TEST_CASE("a missing value is logged at every check, which answers what it had decided before it") {
    EffectsGuard guard;
    RemoveValue(kExplorerKey, "ShellState");
    CHECK_FALSE(tsln::IsClassicStartMenu());
    CHECK_FALSE(tsln::IsClassicStartMenu());
    CHECK(Count(guard.LogAdded(), "\r\nDebug Information:\r\nTessaline.modMain.IsClassicStartMenu") == 2);
    CHECK(guard.LogAdded().find("Error Number: 13\r\nType mismatch: the stored value Explorer\\ShellState is "
                                "not a binary value\r\n") != std::string::npos);

    SetShellState(ShellState(0));
    RemoveValue(kDesktopKey, "UserPreferencesMask");
    CHECK(tsln::IsClassicStartMenu());
    CHECK(Count(guard.LogAdded(), kClassicSource) == 3);
}

TEST_CASE("the poll treats each newly shown Start menu window once, and the taskbar with it") {
    EffectsGuard guard;
    guard.settings.SetTranspTaskbar(1);
    guard.settings.SetTranspStartMenu(1);
    guard.settings.SetTranspLevel(150);
    SetShellState(ShellState(2));
    const HWND taskbar = tsln::FindTaskbarWindow();
    REQUIRE(taskbar != nullptr);
    LayeredStyleRestorer restoreTaskbar(taskbar);
    TestWindow menu("DV2ControlHost", "Start Menu", false);
    TestWindow classic("BaseBar", "", true);
    Poller poller;

    poller.Looks(2);
    CHECK_FALSE(IsLayered(menu.get()));    // not shown: never treated
    CHECK_FALSE(IsLayered(classic.get())); // shown, but the XP style is chosen
    CHECK(tsln::StartMenuHwnd() == nullptr);

    ShowWindow(menu.get(), SW_SHOWNOACTIVATE);
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 150; }));
    CHECK(tsln::StartMenuHwnd() == menu.get());
    CHECK(Alpha(taskbar) == 150);

    // The same window opened again is left as it is.
    SetLayeredWindowAttributes(menu.get(), 0, 77, LWA_ALPHA);
    SetLayeredWindowAttributes(taskbar, 0, 77, LWA_ALPHA);
    ShowWindow(menu.get(), SW_HIDE);
    poller.Looks(2);
    ShowWindow(menu.get(), SW_SHOWNOACTIVATE);
    poller.Looks(2);
    CHECK(Alpha(menu.get()) == 77);
    CHECK(Alpha(taskbar) == 77);

    // New options: the taskbar takes them at once, the Start menu at its next showing (opaque when off).
    guard.settings.SetTranspStartMenu(0);
    tsln::ReapplyShellTransparency();
    CHECK(tsln::StartMenuHwnd() == nullptr);
    CHECK(Alpha(taskbar) == 150);
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 255; }));
    CHECK(tsln::StartMenuHwnd() == menu.get());

    // The shell made a new Start menu window.
    guard.settings.SetTranspStartMenu(1);
    TestWindow second("DV2ControlHost", "Start Menu");
    menu.Destroy();
    REQUIRE(PumpUntil([&] { return Alpha(second.get()) == 150; }));
    CHECK(tsln::StartMenuHwnd() == second.get());

    // The user switched to the classic Start menu.
    SetShellState(ShellState(0));
    REQUIRE(PumpUntil([&] { return Alpha(classic.get()) == 150; }));
    CHECK(tsln::StartMenuHwnd() == classic.get());
    CHECK(guard.LogAdded().empty());
}

TEST_CASE(
    "a lasting failure to read the Start menu style is logged once by the poll, which looks for the XP one") {
    EffectsGuard guard;
    guard.settings.SetTranspStartMenu(1);
    guard.settings.SetTranspLevel(120);
    RemoveValue(kExplorerKey, "ShellState");
    const HWND taskbar = tsln::FindTaskbarWindow();
    LayeredStyleRestorer restoreTaskbar(taskbar);
    Poller poller;

    poller.Looks(5);
    CHECK(Count(guard.LogAdded(), kClassicSource) == 1);

    TestWindow menu("DV2ControlHost", "Start Menu");
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 120; }));

    SetShellState(ShellState(2)); // readable again: the next failure is news
    poller.Looks(2);
    RemoveValue(kExplorerKey, "ShellState");
    const size_t before = Count(guard.LogAdded(), kClassicSource);
    poller.Looks(3);
    CHECK(Count(guard.LogAdded(), kClassicSource) == before + 1);
}

TEST_CASE("shell restarts: three treated within a minute, then none until the shell stays up; restarts "
          "further apart are all treated, across a wrap of the clock") {
    using Verdict = tsln::RestartThrottle::Verdict;
    tsln::RestartThrottle throttle;
    const uint32_t start = 0xFFFFFF00u; // the clock wraps during the loop
    for (uint32_t i = 0; i < 3; ++i)
        CHECK(throttle.Restarted(start + i * 1000) == Verdict::Treat);
    CHECK(throttle.Restarted(start + 59000) == Verdict::JustStopped);
    CHECK(throttle.IsStopped());
    CHECK(throttle.Restarted(start + 200000) == Verdict::Stopped);
    throttle.StayedUp();
    for (uint32_t i = 0; i < 6; ++i)
        CHECK(throttle.Restarted(start + 300000 + i * 21000) == Verdict::Treat);
}
