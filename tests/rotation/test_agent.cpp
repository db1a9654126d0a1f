// The agent on real timers, the real tray, the real registry and real files: its load, the schedule
// while in the tray and while the main window is open (a real test window stands in for it), log-on and
// log-off changes, the tray click, the task list, a restarted shell, the watch on the shell's windows by
// its events and by the poll, and the taskbar treated again after a resume or a display change.
#include "core/app_error.h"
#include "core/clsSetari.h"
#include "effects/shell_transparency.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/frm_logo.h"
#include "shellutil/picture_file.h"
#include "tests/effects/effects_fixture.h"
#include "tests/rotation/rotation_fixture.h"

#include <doctest.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace rotation_test;
using effects_test::Alpha;
using effects_test::TestWindow;
using testing::PumpUntil;
using tsln::frmLogo;

namespace {
constexpr tsln::tType kW = tsln::tType::Wallpapers, kL = tsln::tType::Logons;
constexpr int32_t kShortening = 400;  // a minute becomes 150 ms

// Takes the quit request the agent posts when it goes; false when there is none.
bool TakeQuit() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

bool ListedAsApplication(HWND hwnd) {
    const LONG style = GetWindowLongA(hwnd, GWL_EXSTYLE);
    return (style & WS_EX_APPWINDOW) != 0 && (style & WS_EX_TOOLWINDOW) == 0;
}

std::vector<BYTE> XPStyleShellState() {
    std::vector<BYTE> state(36, 0);
    state[0] = 0x24;
    state[32] = 2;
    return state;
}

// What an agent test changes, kept as found: the product keys, the desktop's and the logon screen's
// values, the shell's Start menu values, the taskbar's translucency and the program-wide Start menu
// window. The shell shows the XP style Start menu; reports go to a scratch log.
struct AgentGuard : CollectionGuard {
    testing::RegValueSnapshot shellState{HKEY_CURRENT_USER, effects_test::kExplorerKey, "ShellState"};
    testing::RegValueSnapshot mask{HKEY_CURRENT_USER, effects_test::kDesktopKey, "UserPreferencesMask"};
    effects_test::LayeredStyleRestorer taskbar{tsln::FindTaskbarWindow()};
    tsln::clsSetari settings;

    AgentGuard() {
        testing::SetBinary(HKEY_CURRENT_USER, effects_test::kExplorerKey, "ShellState", XPStyleShellState());
        settings.SetWInterval("never");
        settings.SetLInterval("never");
    }
    ~AgentGuard() { tsln::SetStartMenuHwnd(nullptr); }
};

// Small pictures of their own colours in a folder of their own, stored as the wallpaper list.
struct Pictures {
    testing::TempDir dir{"agent"};
    std::vector<std::string> paths;
    Pictures(const AgentGuard& guard, std::vector<std::string> names, const std::string& current = {}) {
        std::vector<std::string> stored;
        uint32_t colour = 0x203040;
        for (const std::string& name : names) {
            const std::string path = dir / (name + ".bmp");
            REQUIRE(testing::WriteFileBytes(path, BitmapFileBytes(8, 8, [&](int, int) { return colour; })));
            colour += 0x302010;
            paths.push_back(path);
            stored.push_back(path + "*" + name + "**0");
        }
        guard.StoreList(kW, stored);
        guard.StoreCurrent(kW, current);
    }
};

// The use counts of the stored wallpaper list, in list order: one more for every change.
std::vector<int> Uses(const AgentGuard& guard) {
    std::vector<int> uses;
    for (const std::string& text : guard.StoredList(kW))
        uses.push_back(std::stoi(text.substr(text.rfind('*') + 1)));
    return uses;
}
int Changes(const AgentGuard& guard) {
    int changes = 0;
    for (int uses : Uses(guard))
        changes += uses;
    return changes;
}

// Runs this thread's messages until the thread timer `id` has expired `count` times, calling `afterEach`
// once each of its expiries has been handled (a safety limit against a hang, never a measurement).
void PumpExpiries(
    UINT_PTR id, int count, const std::function<void()>& afterEach = [] {}) {
    REQUIRE(id != 0);
    int expiries = 0;
    const DWORD start = GetTickCount();
    while (expiries < count) {
        REQUIRE(GetTickCount() - start < 30000);
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        REQUIRE(msg.message != WM_QUIT);
        const bool expiry = msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == id;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (expiry) {
            ++expiries;
            afterEach();
        }
    }
}

// A real window standing in for the main window: the agent's host call shows it and it tells the agent,
// as the main window does when it loads and unloads.
class MainWindowStandIn {
public:
    tsln::AgentHost Host() {
        return tsln::AgentHost{[this] { Show(); }};
    }
    void Show() {
        ++shows;
        if (!window_) window_ = std::make_unique<TestWindow>("TslnMainWindowStandIn", "Tessaline", false);
        ShowWindow(window_->get(), SW_SHOWNOACTIVATE);
        frmLogo::Instance()->InterfaceVisible(true);
    }
    void Close() {
        REQUIRE(Shown());
        ShowWindow(window_->get(), SW_HIDE);
        frmLogo::Instance()->InterfaceVisible(false);
    }
    bool Shown() const { return window_ && IsWindowVisible(window_->get()); }
    int shows = 0;

private:
    std::unique_ptr<TestWindow> window_;
};

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A stand-in shell window shown as the shell shows its own: Windows reports the show to the window-event
// hooks itself, Wine 8 does not, so the stand-in reports it too (a show reported twice is one look more).
void ShowAsShell(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    NotifyWinEvent(EVENT_OBJECT_SHOW, hwnd, OBJID_WINDOW, CHILDID_SELF);
}

// The agent loaded for one test, unloaded at its end. It watches the shell on the road given (the poll
// unless told), or, with none, on the road its own probe of the platform chooses.
class Agent {
public:
    explicit Agent(const std::string& argumentText, tsln::AgentHost host = {},
                   std::optional<frmLogo::ShellWatch> road = frmLogo::ShellWatch::Poll) {
        frmLogo::Load(GetModuleHandleA(nullptr), argumentText, std::move(host));
        REQUIRE(frmLogo::Instance() != nullptr);
        if (road) frmLogo::Instance()->WatchShellBy(*road);
    }
    ~Agent() {
        frmLogo::Unload();
        TakeQuit();
    }
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;
    frmLogo* operator->() const { return frmLogo::Instance(); }
    HWND hwnd() const { return frmLogo::Instance()->hwnd(); }
    // A minute of the schedule in milliseconds from now on, once the timers are refreshed.
    void Shorten() const {
        frmLogo::Instance()->SetPeriodHook([](int32_t period) { return period / kShortening; });
    }
    // What the shell sends when the mouse does something over the icon.
    void Mouse(UINT mouseMessage) const {
        SendMessageA(hwnd(), frmLogo::kTrayCallbackMessage, 1, mouseMessage);
    }
};
} // namespace

TEST_CASE("the interval texts and their periods, compared exactly") {
    const std::pair<const char*, int32_t> periods[] = {
        {"never", 0},
        {"every 1 minutes", 60000},
        {"every 5 minutes", 300000},
        {"every 15 minutes", 900000},
        {"every 30 minutes", 1800000},
        {"every 45 minutes", 2700000},
        {"every hour", 3600000},
        {"every 3 hours", 10800000},
        {"every 5 hours", 18000000},
        {"every 10 hours", 36000000},
        {"on Log ON", 0},
        {"on Log Off", 0},
        {"Every hour", 0},
        {"every hour ", 0},
        {"", 0},
    };
    for (const auto& [text, period] : periods) {
        CAPTURE(text);
        CHECK(frmLogo::TranslateIntervals(text) == period);
    }
}

TEST_CASE(
    "loading: the tray icon made ready, the taskbar translucent, the poll running; unloading ends it all") {
    AgentGuard guard;
    guard.settings.SetTranspTaskbar(1);
    guard.settings.SetTranspLevel(150);
    const HWND taskbar = tsln::FindTaskbarWindow();
    REQUIRE(taskbar != nullptr);
    MainWindowStandIn main;

    SUBCASE("started at log-on") {
        frmLogo::Load(GetModuleHandleA(nullptr), "-s", {});
        frmLogo& agent = *frmLogo::Instance();
        const HWND hwnd = agent.hwnd();
        CHECK(testing::ClassOf(hwnd) == frmLogo::kClassName);
        CHECK_FALSE(IsWindowVisible(hwnd));
        const NOTIFYICONDATAA& record = agent.Tray()->NotifyData();
        CHECK(record.hWnd == hwnd);
        CHECK(record.uCallbackMessage == 512);
        CHECK(std::string(record.szTip) == "Tessaline v1.8");
        ICONINFO info = {};
        REQUIRE(GetIconInfo(record.hIcon, &info));
        tsln::unique_gdi colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap = {};
        REQUIRE(GetObjectA(info.hbmColor, sizeof bitmap, &bitmap));
        CHECK(bitmap.bmWidth == 48);
        CHECK(bitmap.bmHeight == 48);
        CHECK(agent.IsInTray());
        CHECK(testing::IconInTray(hwnd));
        CHECK_FALSE(ListedAsApplication(hwnd));
        CHECK(Alpha(taskbar) == 150);
        CHECK(agent.StartMenuTimer()->Interval() == 100);
        CHECK(agent.StartMenuTimer()->TimerID() != 0);
        CHECK(agent.WallpaperTimer()->Enabled());
        CHECK(agent.LogonTimer()->Enabled());
        CHECK(agent.WallpaperTimer()->TimerID() == 0); // "never"
        CHECK(main.shows == 0);

        frmLogo::Unload();
        CHECK(frmLogo::Instance() == nullptr);
        CHECK_FALSE(IsWindow(hwnd));
        CHECK_FALSE(testing::IconInTray(hwnd));
        CHECK(TakeQuit());
    }
    SUBCASE("started by the user, closed from outside") {
        frmLogo::Load(GetModuleHandleA(nullptr), "-s x", main.Host());
        const HWND hwnd = frmLogo::Instance()->hwnd();
        CHECK(main.shows == 1);
        CHECK_FALSE(frmLogo::Instance()->IsInTray());
        CHECK_FALSE(testing::IconInTray(hwnd));
        CHECK(ListedAsApplication(hwnd));
        CHECK(Alpha(taskbar) == 150);
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        CHECK(frmLogo::Instance() == nullptr);
        CHECK_FALSE(IsWindow(hwnd));
        CHECK(TakeQuit());
    }
    frmLogo::Unload(); // nothing loaded: nothing happens
    CHECK_FALSE(TakeQuit());
    CHECK(guard.Log().empty());
}

TEST_CASE("a minute's schedule: one change per period in the tray, none while the main window is open, "
          "and the phase kept when it closes with the same interval") {
    AgentGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures(guard, {"a", "b", "c"}, "");
    guard.settings.SetWInterval("every 1 minutes");
    MainWindowStandIn main;
    Agent agent("", main.Host());
    agent.Shorten();
    const tsln::XTimer& timer = *agent->WallpaperTimer();
    CHECK(timer.TimerID() == 0); // a start by the user runs no schedule

    main.Close();
    CHECK(agent->IsInTray());
    CHECK(testing::IconInTray(agent.hwnd()));
    CHECK_FALSE(ListedAsApplication(agent.hwnd()));
    CHECK(timer.Interval() == 60000 / kShortening);
    const UINT_PTR id = timer.TimerID();
    int expiries = 0;
    PumpExpiries(id, 4, [&] {
        ++expiries;
        CHECK(Changes(guard) == expiries);
    });
    CHECK(Uses(guard) == std::vector<int>{2, 1, 1});
    CHECK(guard.StoredCurrent(kW) == pictures.paths[0]);
    CHECK(testing::PathExists(guard.BitmapPath()));

    // The main window is open: the ticks go on and are lost.
    agent.Mouse(WM_LBUTTONUP);
    REQUIRE(main.Shown());
    CHECK_FALSE(agent->IsInTray());
    CHECK(ListedAsApplication(agent.hwnd()));
    PumpExpiries(id, 3);
    CHECK(Changes(guard) == 4);

    // Closed with the interval unchanged: the same platform timer goes on, and so does the rotation.
    main.Close();
    CHECK(timer.TimerID() == id);
    PumpExpiries(id, 1);
    CHECK(Changes(guard) == 5);
    CHECK(guard.StoredCurrent(kW) == pictures.paths[1]);

    // A new interval chosen while the main window is open takes effect when it closes.
    agent.Mouse(WM_LBUTTONUP);
    guard.settings.SetWInterval("every 5 minutes");
    PumpExpiries(id, 1);
    CHECK(timer.Interval() == 60000 / kShortening);
    main.Close();
    CHECK(timer.Interval() == 300000 / kShortening);
    PumpExpiries(timer.TimerID(), 1);
    CHECK(Changes(guard) == 6);

    guard.settings.SetWInterval("never");
    agent->RefreshTimers();
    CHECK(timer.TimerID() == 0);
    CHECK(boxes.Seen().empty());
    CHECK(guard.Log().empty());
}

TEST_CASE("\"on Log ON\": one change when started at log-on, none when started by the user, none after") {
    AgentGuard guard;
    Pictures pictures(guard, {"a", "b"}, "");
    guard.settings.SetWInterval("on Log ON");
    {
        Agent agent("-s");
        agent.Shorten();
        CHECK(Uses(guard) == std::vector<int>{1, 0});
        CHECK(guard.StoredCurrent(kW) == pictures.paths[0]);
        CHECK(agent->WallpaperTimer()->TimerID() == 0);
        PumpExpiries(agent->StartMenuTimer()->TimerID(), 3);
        CHECK(Changes(guard) == 1);
    }
    MainWindowStandIn main;
    Agent agent("", main.Host());
    main.Close();
    PumpExpiries(agent->StartMenuTimer()->TimerID(), 3);
    CHECK(Changes(guard) == 1);
    CHECK(guard.Log().empty());
}

TEST_CASE("\"on Log Off\": the next logon screen when the session ends in the tray, none with the main "
          "window open; the agent unloads when the session really ends") {
    AgentGuard guard;
    const std::string blue = FixtureProgram("blue\\blue.exe");
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", "LOGONUI.EXE");
    guard.StoreList(kL, {blue + "*blue**0"});
    guard.settings.SetLInterval("on Log Off");
    MainWindowStandIn main;
    frmLogo::Load(GetModuleHandleA(nullptr), "", main.Host());
    const HWND hwnd = frmLogo::Instance()->hwnd();

    CHECK(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == TRUE);
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost") == "LOGONUI.EXE");
    SendMessageA(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF); // another program refused the log-off
    REQUIRE(frmLogo::Instance() != nullptr);

    main.Close();
    CHECK(frmLogo::Instance()->LogonTimer()->TimerID() == 0);
    CHECK(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == TRUE);
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost") == blue);
    CHECK(guard.StoredCurrent(kL) == blue);
    CHECK(testing::IconInTray(hwnd));
    SendMessageA(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    CHECK(frmLogo::Instance() == nullptr);
    CHECK_FALSE(testing::IconInTray(hwnd));
    CHECK(TakeQuit());
    CHECK(guard.Log().empty());
}

TEST_CASE("the schedule never shows a box: an empty list ticks silently, failures reach the log only") {
    AgentGuard guard;
    testing::BoxWatcher boxes;
    guard.settings.SetWInterval("every 1 minutes");
    SUBCASE("an empty list") {
        guard.StoreList(kW, {});
        guard.StoreCurrent(kW, "C:\\Walls\\gone.jpg");
        Agent agent("-s");
        agent.Shorten();
        agent->RefreshTimers();
        PumpExpiries(agent->WallpaperTimer()->TimerID(), 3);
        CHECK(guard.StoredCurrent(kW) == "C:\\Walls\\gone.jpg");
        CHECK_FALSE(testing::PathExists(guard.BitmapPath()));
        CHECK(guard.Log().empty());
    }
    SUBCASE("a file that is no picture, and a file gone") {
        Pictures pictures(guard, {"a", "b", "c"}, "");
        REQUIRE(testing::WriteFileBytes(pictures.paths[0], "no picture"));
        Agent agent("-s");
        agent.Shorten();
        agent->RefreshTimers();
        PumpExpiries(agent->WallpaperTimer()->TimerID(), 1);
        CHECK(guard.StoredList(kW).size() == 2); // dropped
        CHECK(guard.Log().find("error occured when trying to save as bitmap " + pictures.paths[0]) !=
              std::string::npos);
        REQUIRE(DeleteFileA(pictures.paths[1].c_str()));
        PumpExpiries(agent->WallpaperTimer()->TimerID(), 1);
        CHECK(guard.StoredCurrent(kW) == pictures.paths[2]);
        CHECK(Uses(guard) == std::vector<int>{1});
    }
    CHECK(boxes.Seen().empty());
}

TEST_CASE("the tray icon: a left-button release opens the main window, every other mouse message does "
          "nothing; out of the task list in the tray, in it while the main window is open") {
    AgentGuard guard;
    MainWindowStandIn main;
    SUBCASE("with a main window") {
        Agent agent("-s", main.Host());
        for (UINT other : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                           WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP}) {
            CAPTURE(other);
            agent.Mouse(other);
            CHECK(main.shows == 0);
            CHECK(testing::IconInTray(agent.hwnd()));
        }
        CHECK_FALSE(ListedAsApplication(agent.hwnd()));

        agent.Mouse(WM_LBUTTONUP);
        CHECK(main.shows == 1);
        CHECK(main.Shown());
        CHECK_FALSE(agent->IsInTray());
        CHECK_FALSE(testing::IconInTray(agent.hwnd()));
        CHECK(ListedAsApplication(agent.hwnd()));
        agent.Mouse(WM_LBUTTONDBLCLK); // the rest of a double click
        agent.Mouse(WM_LBUTTONUP);
        CHECK(main.shows == 1);

        main.Close();
        CHECK(agent->IsInTray());
        CHECK(testing::IconInTray(agent.hwnd()));
        CHECK_FALSE(ListedAsApplication(agent.hwnd()));
        agent.Mouse(WM_LBUTTONUP);
        CHECK(main.shows == 2);
        CHECK(guard.Log().empty());
    }
    SUBCASE("without a main window yet, the icon stays") {
        Agent agent("-s");
        agent.Mouse(WM_LBUTTONUP);
        CHECK(agent->IsInTray());
        CHECK(testing::IconInTray(agent.hwnd()));
    }
    SUBCASE("a main window that fails to load is reported, and the icon stays") {
        testing::BoxWatcher boxes;
        Agent agent("-s", tsln::AgentHost{[] { throw tsln::AppError(7, "Out of memory"); }});
        agent.Mouse(WM_LBUTTONUP);
        CHECK(agent->IsInTray());
        CHECK(testing::IconInTray(agent.hwnd()));
        REQUIRE(boxes.Seen().size() == 1);
        CHECK(boxes.Seen()[0].title == "Program error Tessaline");
        CHECK(boxes.Seen()[0].text.find("Tessaline.frmLogo.Form_MouseMove") != std::string::npos);
    }
}

TEST_CASE("a restarted shell gets the icon back while in the tray and its new taskbar made translucent, "
          "announced or not; the poll treats each newly shown Start menu window") {
    AgentGuard guard;
    guard.settings.SetTranspTaskbar(1);
    guard.settings.SetTranspStartMenu(1);
    guard.settings.SetTranspLevel(150);
    const HWND taskbar = tsln::FindTaskbarWindow();
    REQUIRE(taskbar != nullptr);
    MainWindowStandIn main;
    Agent agent("-s", main.Host());
    TestWindow menu("DV2ControlHost", "Start Menu");
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 150; }));
    CHECK(tsln::StartMenuHwnd() == menu.get());

    // The old shell went with its icon; the new one is opaque and announces itself.
    auto restart = [&] {
        testing::DropFromTray(agent.hwnd());
        SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
        SetLayeredWindowAttributes(menu.get(), 0, 255, LWA_ALPHA);
        REQUIRE(PostMessageA(HWND_BROADCAST, tsln::CSystrayIcon::TaskbarCreatedMessage(), 0, 0));
        REQUIRE(PumpUntil([&] { return Alpha(taskbar) == 150 && Alpha(menu.get()) == 150; }));
    };
    restart();
    CHECK(testing::IconInTray(agent.hwnd()));
    CHECK(agent->Tray()->IconShown());

    {
        // A shell that does not announce its new taskbar: the poll meets it. This one has no tray yet
        // (the program's notifications reach it, and it refuses them): the icon counts as hidden...
        testing::DropFromTray(agent.hwnd());
        TestWindow silent("Shell_TrayWnd", "");
        SetWindowPos(silent.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        REQUIRE(tsln::FindTaskbarWindow() == silent.get());
        REQUIRE(PumpUntil([&] { return Alpha(silent.get()) == 150 && !agent->Tray()->IconShown(); }));
        SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
    }
    // ...and goes in at last when a taskbar with a tray comes.
    REQUIRE(PumpUntil([&] { return Alpha(taskbar) == 150 && agent->Tray()->IconShown(); }));
    CHECK(testing::IconInTray(agent.hwnd()));

    agent.Mouse(WM_LBUTTONUP);
    REQUIRE(main.Shown());
    restart();
    CHECK_FALSE(testing::IconInTray(agent.hwnd()));
    main.Close();
    CHECK(testing::IconInTray(agent.hwnd()));
    CHECK(guard.Log().empty());
}

TEST_CASE("by the shell's events: each newly shown Start menu treated once, a new taskbar met, and nothing "
          "polled meanwhile") {
    AgentGuard guard;
    guard.settings.SetTranspTaskbar(1);
    guard.settings.SetTranspStartMenu(1);
    guard.settings.SetTranspLevel(150);
    const HWND taskbar = tsln::FindTaskbarWindow();
    REQUIRE(taskbar != nullptr);
    Agent agent("-s", {}, frmLogo::ShellWatch::Events);
    CHECK(agent->WatchesShellEvents());
    CHECK(agent->StartMenuTimer()->TimerID() == 0);

    TestWindow menu("DV2ControlHost", "Start Menu", false);
    SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
    ShowAsShell(menu.get());
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 150; }));
    CHECK(tsln::StartMenuHwnd() == menu.get());
    CHECK(Alpha(taskbar) == 150);

    // Hidden and shown again, it is left as it is: by the time a newer Start menu shown after it has been
    // treated, that show's event has been handled too.
    SetLayeredWindowAttributes(menu.get(), 0, 77, LWA_ALPHA);
    ShowWindow(menu.get(), SW_HIDE);
    ShowAsShell(menu.get());
    TestWindow second("DV2ControlHost", "Start Menu", false);
    SetWindowPos(second.get(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // found first
    ShowAsShell(second.get());
    REQUIRE(PumpUntil([&] { return Alpha(second.get()) == 150; }));
    CHECK(Alpha(menu.get()) == 77);
    CHECK(tsln::StartMenuHwnd() == second.get());

    // A taskbar shown by a shell that does not announce it.
    TestWindow silent("Shell_TrayWnd", "", false);
    SetWindowPos(silent.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowAsShell(silent.get());
    REQUIRE(PumpUntil([&] { return Alpha(silent.get()) == 150; }));
    CHECK(agent->StartMenuTimer()->TimerID() == 0);
    CHECK(guard.Log().empty());
}

TEST_CASE("the load's probe chooses the road: the events where the system reports shown windows, else the "
          "poll, said once in the log") {
    AgentGuard guard;
    guard.settings.SetTranspStartMenu(1);
    guard.settings.SetTranspLevel(150);
    Agent agent("-s", {}, std::nullopt);
    const auto said = [&] { return Count(guard.Log(), "Tessaline.frmLogo.WatchShell"); };
    REQUIRE(PumpUntil([&] { return agent->WatchesShellEvents() || said() > 0; }));
    const bool events = agent->WatchesShellEvents();
    const std::string road = events ? "this system reports shown windows" : "this system reports none";
    MESSAGE(road);
    CHECK((agent->StartMenuTimer()->TimerID() == 0) == events);

    TestWindow menu("DV2ControlHost", "Start Menu", false);
    ShowAsShell(menu.get());
    REQUIRE(PumpUntil([&] { return Alpha(menu.get()) == 150; }));
    CHECK(said() == (events ? 0 : 1));
    if (!events) CHECK(guard.Log().find("The system does not report shown windows") != std::string::npos);
}

TEST_CASE("the taskbar translucent again after a resume, a display change and a shell restart; a shell "
          "restarting over and over is left alone, said once, until it stays up") {
    AgentGuard guard;
    guard.settings.SetTranspTaskbar(1);
    guard.settings.SetTranspLevel(150);
    const HWND taskbar = tsln::FindTaskbarWindow();
    REQUIRE(taskbar != nullptr);
    Agent agent("-s");
    agent.Shorten(); // the shell stays up for a minute in 150 ms
    TestWindow menu("DV2ControlHost", "Start Menu", false);

    const std::pair<UINT, WPARAM> reapplied[] = {
        {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
        {WM_DISPLAYCHANGE, 32},
    };
    for (const auto& [message, wParam] : reapplied) {
        SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
        tsln::SetStartMenuHwnd(menu.get());
        SendMessageA(agent.hwnd(), message, wParam, MAKELPARAM(1024, 768));
        CHECK(Alpha(taskbar) == 150);
        CHECK(tsln::StartMenuHwnd() == nullptr); // the Start menu at its next showing
    }
    SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
    SendMessageA(agent.hwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    CHECK(Alpha(taskbar) == 255);

    // A crash loop: every restart brings a new taskbar.
    std::vector<std::unique_ptr<TestWindow>> taskbars;
    const auto restart = [&] {
        taskbars.push_back(std::make_unique<TestWindow>("Shell_TrayWnd", "", false));
        const HWND next = taskbars.back()->get();
        SetWindowPos(next, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageA(agent.hwnd(), tsln::CSystrayIcon::TaskbarCreatedMessage(), 0, 0);
        return Alpha(next);
    };
    const auto said = [&] { return Count(guard.Log(), "Tessaline.frmLogo.TaskbarCreated"); };
    for (int i = 0; i < tsln::RestartThrottle::kRestarts; ++i)
        CHECK(restart() == 150);
    CHECK(said() == 0);
    CHECK(restart() == -1);
    CHECK(restart() == -1);
    SendMessageA(agent.hwnd(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    CHECK(Alpha(taskbars.back()->get()) == -1);
    CHECK(said() == 1);
    CHECK(guard.Log().find("The shell keeps restarting") != std::string::npos);

    // The shell stays up: its taskbar is treated, and restarts count from nothing again.
    REQUIRE(PumpUntil([&] { return Alpha(taskbars.back()->get()) == 150; }));
    CHECK(restart() == 150);
    CHECK(said() == 1);
}
TEST_CASE("a new screen size while in the tray: the current wallpaper written again at that size, silently, "
          "and nothing else changed") {
    AgentGuard guard;
    testing::BoxWatcher boxes;
    Pictures pictures(guard, {"a", "b"});
    guard.StoreCurrent(kW, pictures.paths[1]);
    // The bitmap as an earlier, smaller screen had it, and shown.
    {
        tsln::unique_picture picture = tsln::LoadPictureFile(pictures.paths[1]);
        tsln::WriteBitmapFile(picture.get(), guard.BitmapPath(), {40, 30}, tsln::WallpaperFit::kStretch, 0);
    }
    tsln::SetDesktopWallpaper(guard.BitmapPath());
    const std::vector<std::string> list = guard.StoredList(kW);
    Agent agent("-s");
    REQUIRE(agent->IsInTray());
    const tsln::PixelSize screen = tsln::WallpaperScreenSize();
    SendMessageA(agent.hwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen.width, screen.height));
    const Pixels shown = BitmapFilePixels(testing::ReadFileBytes(guard.BitmapPath()));
    CHECK(shown.width == screen.width);
    CHECK(shown.height == screen.height);
    CHECK(shown.At(screen.width / 2, screen.height / 2) == 0x505050); // the second picture's colour
    CHECK(guard.StoredList(kW) == list);
    CHECK(guard.StoredCurrent(kW) == pictures.paths[1]);

    // A wallpaper chosen elsewhere since is left alone.
    REQUIRE(testing::WriteFileBytes(guard.BitmapPath(), "another bitmap"));
    tsln::SetDesktopWallpaper("");
    SendMessageA(agent.hwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen.width, screen.height));
    CHECK(testing::ReadFileBytes(guard.BitmapPath()) == "another bitmap");
    CHECK(boxes.Seen().empty());
    CHECK(guard.Log().empty());
}
