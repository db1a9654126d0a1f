// The hidden agent window: loaded last by the start-up, it keeps the process alive and is the program's
// main loop. It owns the tray icon, the schedule of wallpaper and logon-screen changes and the watch on
// the shell's Start menu and taskbar; unloading it ends the process.
#pragma once
#include "core/clsSetari.h"
#include "core/unique_any.h"
#include "core/window.h"
#include "effects/clsTranspEffects.h"
#include "effects/restart_throttle.h"
#include "effects/shell_events.h"
#include "effects/shell_transparency.h"
#include "rotation/timers/xtimer.h"
#include "shellutil/systray_icon.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tsln {

// What the agent asks of the main window, which lives above it.
struct AgentHost {
    // Loads the main window if needed and shows it modeless; its load calls InterfaceVisible(true).
    // Empty until the main window exists: the agent then shows nothing.
    std::function<void()> showMainWindow;
};

class frmLogo : public Window {
public:
    static constexpr const char* kClassName = "TessalineAgent";
    // The tray's callback message: the shell sends it with the mouse message as its position argument.
    static constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;
    static constexpr int kIconSize = 48;

    // Loads the agent (the program-wide reference keeps it); the argument text tells how it was started.
    static void Load(HINSTANCE instance, const std::string& argumentText, AgentHost host);
    // The loaded agent, or null.
    static frmLogo* Instance();
    // Unloads the agent: the icon leaves the tray, the window goes, the reference is dropped and the
    // process's message loop ends.
    static void Unload();

    // Set by the main window: true when it has opened, false when it has closed (the program is then in
    // the tray again and the schedule runs from the settings).
    void InterfaceVisible(bool visible);
    // Brings the two schedule timers in line with the settings; an unchanged period keeps its phase.
    void RefreshTimers();
    // Applies the next picture of the collection of that kind (1 wallpapers, 0 logon screens), only while
    // the program sits in the tray.
    void ChangeWL(tType kind);
    // The timer period in milliseconds of an interval text ("every 5 minutes"...), 0 for none.
    static int32_t TranslateIntervals(const std::string& text);

    // How the agent learns that the shell showed a Start menu or a taskbar.
    enum class ShellWatch {
        Events, // the system's window events; nothing runs while nothing happens
        Poll,   // a look ten times a second
    };
    // For tests and benchmarks: one road, whatever the load's probe of the platform would have chosen.
    // Events raises a platform failure when the system refuses the hook.
    void WatchShellBy(ShellWatch road);
    // True once the agent learns of the shell's windows from events alone.
    bool WatchesShellEvents() const { return shellEvents_ && probePolls_ < 0; }

    // For tests: maps every period TranslateIntervals gives before a schedule timer takes it, and the
    // time a restarting shell must stay up, so that minutes run in milliseconds. Empty: as they are.
    void SetPeriodHook(std::function<int32_t(int32_t)> hook) { periodHook_ = std::move(hook); }

    // What the agent holds, for inspection.
    bool IsInTray() const { return InTray; }
    const CSystrayIcon* Tray() const { return cTray.get(); }
    const XTimer* WallpaperTimer() const { return wTimer.get(); }
    const XTimer* LogonTimer() const { return lTimer.get(); }
    const XTimer* StartMenuTimer() const { return myTimer.get(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.frmLogo.WindowProc"; }
    void OnDestroyed() override;

private:
    explicit frmLogo(AgentHost host) : host_(std::move(host)) {}

    void Form_Load(HINSTANCE instance, const std::string& argumentText);
    // `x` is the horizontal position in twips: for the tray's messages, the mouse message times the
    // screen's twips per pixel.
    void Form_MouseMove(int32_t x);
    // The session ends (log-off or shut-down): the log-off change, if one is chosen.
    void Form_QueryUnload();
    void Form_Unload();
    void wTimer_Tick();
    void lTimer_Tick();
    void myTimer_Tick();
    // The shell made a new taskbar (it says so, or the events or the poll meet it): the icon and the
    // translucency go to it, unless the shell keeps restarting.
    void TaskbarCreated();
    void LookForNewTaskbar();
    void LookAtStartMenu();
    // The taskbar at the stored level again, and the Start menu at its next showing: after a resume, a
    // display change or a shell restart.
    void ReapplyShellEffects();
    void SettleLater();
    void shellSettle_Tick();

    // The load's choice of road: the events when the hook can be had and its probe comes back, else
    // the poll.
    void WatchShell();
    void BindShellEvents(ShellEventHook& hook);
    void ShellEventsProven();
    void FallBackToPoll();
    void ShellWindowShown(HWND hwnd, ShellWindowKind kind);
    // The screen changed size: the desktop bitmap is written again for the new size, when the desktop
    // still shows it; silently, and nothing else of the wallpaper changes.
    void RewriteWallpaperForScreen();

    void ShowMainWindow();
    int32_t SchedulePeriod(const std::string& intervalText) const;
    // In the list of running applications (task list and window switcher) or out of it.
    void ShowInTaskList(bool listed);

    AgentHost host_;
    std::function<int32_t(int32_t)> periodHook_;
    UINT taskbarCreated_ = 0;
    HWND taskbar_ = nullptr; // the shell's taskbar last treated
    int pollsSinceTaskbarLook_ = 0;
    unique_hicon icon_; // the tray's picture, held for as long as the icon may be shown
    bool InTray = false;
    std::unique_ptr<CSystrayIcon> cTray;
    std::unique_ptr<clsSetari> cSettings;
    std::unique_ptr<clsTranspEffects> cEffects;
    StartMenuPoll startMenuPoll_;
    bool lookingAtStartMenu_ = false; // an event during a look asks for one more
    bool lookAgain_ = false;
    RestartThrottle restarts_;
    std::unique_ptr<ShellEventHook> shellEvents_; // unhooked at the unload, with the timers
    int probePolls_ = -1;                         // polls since the probe was sent, -1 when none waits
    // Declared last so that they stop first: their ticks use everything above.
    std::unique_ptr<XTimer> shellSettle_;
    std::unique_ptr<XTimer> myTimer;
    std::unique_ptr<XTimer> wTimer;
    std::unique_ptr<XTimer> lTimer;
};

} // namespace tsln
