#include "rotation/frm_logo.h"
#include "core/app_error.h"
#include "core/product.h"
#include "core/units.h"
#include "res/version.h"
#include "rotation/apply_wallpaper.h"
#include "rotation/cls_wallpaper_logons.h"
#include "shellutil/picture_file.h"

#include <utility>

namespace tsln {

namespace {
unique_window<frmLogo> gLogo;

constexpr const char* kStartedAtLogOn = "-s";
constexpr const char* kOnLogOn = "on Log ON";
constexpr const char* kOnLogOff = "on Log Off";
constexpr int32_t kStartMenuPollMs = 100;
constexpr int kPollsPerTaskbarLook = 10;
// The probe's show comes back through the loop before the first poll on a system that reports shown
// windows; ten polls leave room for a busy log-on.
constexpr int kProbePolls = 10;
const char* const kWatchSource = "Tessaline.frmLogo.WatchShell";
constexpr int32_t kMinuteMs = 60000;

// The interval texts and their minutes, compared exactly (letter case included). "never", "on Log ON",
// "on Log Off" and any other text run no timer.
struct IntervalText {
    const char* text;
    int32_t minutes;
};
constexpr IntervalText kIntervals[] = {
    {"every 1 minutes", 1},   {"every 5 minutes", 5},   {"every 15 minutes", 15},
    {"every 30 minutes", 30}, {"every 45 minutes", 45}, {"every hour", 60},
    {"every 3 hours", 180},   {"every 5 hours", 300},   {"every 10 hours", 600},
};

std::string TrayTip() {
    return std::string(kProductTitle) + " v" + std::to_string(TSLN_VERSION_MAJOR) + "." +
           std::to_string(TSLN_VERSION_MINOR);
}
} // namespace

void frmLogo::Load(HINSTANCE instance, const std::string& argumentText, AgentHost host) {
    unique_window<frmLogo> logo(new frmLogo(std::move(host)));
    // Never shown: a top-level window that stays hidden, out of the task list until the main window opens.
    if (!logo->Create(instance, kClassName, kProductTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    gLogo = std::move(logo);
    gLogo->Form_Load(instance, argumentText);
}

frmLogo* frmLogo::Instance() {
    return gLogo.get();
}

void frmLogo::Unload() {
    if (gLogo && gLogo->hwnd()) DestroyWindow(gLogo->hwnd());
}

void frmLogo::Form_Load(HINSTANCE instance, const std::string& argumentText) {
    Guarded("Tessaline.frmLogo.Form_Load", kSilent, [&] {
        taskbarCreated_ = CSystrayIcon::TaskbarCreatedMessage();
        cTray = std::make_unique<CSystrayIcon>();
        icon_.reset(static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR)));
        if (!icon_) throw Win32Failure(GetLastError(), __LINE__);
        cTray->Initialize(hwnd(), icon_.get(), TrayTip(), kTrayCallbackMessage);

        cSettings = std::make_unique<clsSetari>();
        cEffects = std::make_unique<clsTranspEffects>();
        taskbar_ = FindTaskbarWindow();
        ApplyTaskbarTransparency(*cEffects);

        // The poll runs until the system's events prove themselves, and for good where they do not.
        myTimer = std::make_unique<XTimer>();
        myTimer->Tick = [this] { myTimer_Tick(); };
        myTimer->SetInterval(kStartMenuPollMs);
        myTimer->SetEnabled(true);
        shellSettle_ = std::make_unique<XTimer>();
        shellSettle_->Tick = [this] { shellSettle_Tick(); };
        WatchShell();
        // Enabled with no period yet: no platform timer runs until RefreshTimers gives them one.
        wTimer = std::make_unique<XTimer>();
        wTimer->Tick = [this] { wTimer_Tick(); };
        wTimer->SetEnabled(true);
        lTimer = std::make_unique<XTimer>();
        lTimer->Tick = [this] { lTimer_Tick(); };
        lTimer->SetEnabled(true);

        if (argumentText != kStartedAtLogOn) {
            // Started by the user.
            cTray->HideIcon();
            ShowMainWindow();
            return;
        }
        // Started at log-on through the Run entry.
        cTray->ShowIcon();
        InTray = true;
        if (cSettings->WInterval() == kOnLogOn) ChangeWL(tType::Wallpapers);
        RefreshTimers();
    });
}

void frmLogo::InterfaceVisible(bool visible) {
    Guarded("Tessaline.frmLogo.InterfaceVisible", kSilent, [&] {
        InTray = !visible;
        if (!visible) {
            if (cTray) cTray->ShowIcon();
            RefreshTimers();
        }
        ShowInTaskList(visible);
    });
}

void frmLogo::ShowInTaskList(bool listed) {
    // A tool window is never listed; an application window always is, whoever owns it.
    const LONG style = GetWindowLongA(hwnd(), GWL_EXSTYLE);
    const LONG wanted = listed ? (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW
                               : (style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    if (wanted != style) SetWindowLongA(hwnd(), GWL_EXSTYLE, wanted);
}

int32_t frmLogo::TranslateIntervals(const std::string& text) {
    return Guarded("Tessaline.frmLogo.TranslateIntervals", kSilent, 0, [&]() -> int32_t {
        for (const IntervalText& interval : kIntervals)
            if (text == interval.text) return interval.minutes * kMinuteMs;
        return 0;
    });
}

int32_t frmLogo::SchedulePeriod(const std::string& intervalText) const {
    const int32_t period = TranslateIntervals(intervalText);
    return periodHook_ ? periodHook_(period) : period;
}

void frmLogo::RefreshTimers() {
    Guarded("Tessaline.frmLogo.RefreshTimers", kSilent, [&] {
        if (!cSettings) return; // the load failed before the settings existed
        // An unchanged period leaves the running timer and its elapsed time alone.
        const int32_t wallpapers = SchedulePeriod(cSettings->WInterval());
        if (wTimer && wTimer->Interval() != wallpapers) wTimer->SetInterval(wallpapers);
        const int32_t logons = SchedulePeriod(cSettings->LInterval());
        if (lTimer && lTimer->Interval() != logons) lTimer->SetInterval(logons);
    });
}

void frmLogo::ChangeWL(tType kind) {
    Guarded("Tessaline.frmLogo.ChangeWL", kSilent, [&] {
        // While the main window is open its pages own the collections; such a tick is lost.
        if (!InTray) return;
        // The collection's scheduled change reports its own failures to the log only; released at once,
        // it saves the list back.
        clsWallpaperLogons collection;
        collection.SettType(kind);
        collection.SetWL(kNextEntry);
    });
}

void frmLogo::wTimer_Tick() {
    ChangeWL(tType::Wallpapers);
}

void frmLogo::lTimer_Tick() {
    ChangeWL(tType::Logons);
}

void frmLogo::myTimer_Tick() {
    Guarded("Tessaline.frmLogo.myTimer_Tick", kSilent, [&] {
        if (probePolls_ >= 0 && ++probePolls_ > kProbePolls) FallBackToPoll();
        // A new taskbar need not be met ten times a second: once a second is soon enough.
        if (++pollsSinceTaskbarLook_ >= kPollsPerTaskbarLook) {
            pollsSinceTaskbarLook_ = 0;
            LookForNewTaskbar();
        }
        LookAtStartMenu();
    });
}

void frmLogo::LookAtStartMenu() {
    if (!cEffects) return;
    // An event that comes while a look waits on another process's window asks for one more look.
    if (lookingAtStartMenu_) {
        lookAgain_ = true;
        return;
    }
    lookingAtStartMenu_ = true;
    auto done = make_scope_exit([this] { lookingAtStartMenu_ = false; });
    do {
        lookAgain_ = false;
        startMenuPoll_.Poll(*cEffects);
    } while (lookAgain_);
}

void frmLogo::WatchShell() {
    try {
        auto hook = std::make_unique<ShellEventHook>();
        BindShellEvents(*hook);
        shellEvents_ = std::move(hook);
        probePolls_ = 0;
        shellEvents_->Probe();
    } catch (...) {
        // The hook refused (or its probe could not be made): the poll stays, said once.
        shellEvents_.reset();
        probePolls_ = -1;
        HandleFailure(kWatchSource, kSilent);
    }
}

void frmLogo::BindShellEvents(ShellEventHook& hook) {
    hook.Shown = [this](HWND hwnd, ShellWindowKind kind) { ShellWindowShown(hwnd, kind); };
    hook.ProbeReturned = [this] { ShellEventsProven(); };
}

void frmLogo::ShellEventsProven() {
    Guarded(kWatchSource, kSilent, [&] {
        if (probePolls_ < 0) return; // a road chosen since
        probePolls_ = -1;
        myTimer->SetEnabled(false);
        // What the shell showed before the hook is met once now.
        LookForNewTaskbar();
        LookAtStartMenu();
    });
}

void frmLogo::FallBackToPoll() {
    probePolls_ = -1;
    shellEvents_.reset(); // no use for events that never say a window was shown
    Guarded(kWatchSource, kSilent, [] { TSLN_FAIL(err::kNoWindowEvents); });
}

void frmLogo::WatchShellBy(ShellWatch road) {
    probePolls_ = -1;
    if (shellEvents_) shellEvents_->EndProbe();
    if (road == ShellWatch::Poll) {
        shellEvents_.reset();
        if (myTimer) myTimer->SetEnabled(true);
        return;
    }
    if (!shellEvents_) {
        auto hook = std::make_unique<ShellEventHook>();
        BindShellEvents(*hook);
        shellEvents_ = std::move(hook);
    }
    if (myTimer) myTimer->SetEnabled(false);
}

void frmLogo::ShellWindowShown(HWND hwnd, ShellWindowKind kind) {
    Guarded("Tessaline.frmLogo.ShellWindowShown", kSilent, [&] {
        if (kind == ShellWindowKind::StartMenu)
            LookAtStartMenu();
        else if (hwnd != taskbar_)
            LookForNewTaskbar();
    });
}

void frmLogo::LookForNewTaskbar() {
    // A shell that made a new taskbar without announcing it, or one that was not up yet when the program
    // started at log-on.
    const HWND taskbar = FindTaskbarWindow();
    if (taskbar == taskbar_) return;
    if (taskbar != nullptr)
        TaskbarCreated();
    else
        taskbar_ = nullptr; // the shell is gone; its successor is met when it comes
}

void frmLogo::ShowMainWindow() {
    if (host_.showMainWindow) host_.showMainWindow();
}

void frmLogo::Form_MouseMove(int32_t x) {
    Guarded("Tessaline.frmLogo.Form_MouseMove", kShown, [&] {
        // Moves, presses, right clicks and the rest of a double click do nothing; a release over an icon
        // that is no longer shown (the main window just opened) neither.
        if (x / TwipsPerPixelX() != WM_LBUTTONUP || !cTray || !cTray->IconShown()) return;
        cTray->HideIcon();
        // A main window that did not open (none yet, or its load failed) must not leave the user without
        // the icon.
        auto iconBack = make_scope_exit([this] {
            if (InTray && cTray) cTray->ShowIcon();
        });
        ShowMainWindow();
    });
}

void frmLogo::Form_QueryUnload() {
    Guarded("Tessaline.frmLogo.Form_QueryUnload", kSilent, [&] {
        // The next logon then shows the next logon screen.
        if (cSettings && cSettings->LInterval() == kOnLogOff) ChangeWL(tType::Logons);
    });
}

void frmLogo::TaskbarCreated() {
    Guarded("Tessaline.frmLogo.TaskbarCreated", kSilent, [&] {
        const HWND taskbar = FindTaskbarWindow();
        // One restart may be told twice (its window shown, then its announcement): it counts once.
        const bool restarted = taskbar != taskbar_;
        taskbar_ = taskbar;
        // The old shell went with its icons: the icon goes back to the new tray as it was, or in at
        // last when there was no tray to take it before.
        if (InTray && cTray) {
            if (cTray->IconShown())
                cTray->ReAddIcon();
            else
                cTray->ShowIcon();
        }
        if (restarted) {
            switch (restarts_.Restarted(GetTickCount())) {
            case RestartThrottle::Verdict::Treat:
                break;
            case RestartThrottle::Verdict::JustStopped:
                SettleLater();
                TSLN_FAIL(err::kShellRestarting);
            case RestartThrottle::Verdict::Stopped:
                SettleLater();
                return;
            }
        }
        // The new taskbar is opaque, and the next Start menu is a window of the new shell.
        ReapplyShellEffects();
    });
}

void frmLogo::ReapplyShellEffects() {
    Guarded("Tessaline.frmLogo.ReapplyShellEffects", kSilent, [&] {
        if (restarts_.IsStopped()) return; // a restarting shell is left alone until it stays up
        SetStartMenuHwnd(nullptr);
        if (cEffects) ApplyTaskbarTransparency(*cEffects);
    });
}

void frmLogo::SettleLater() {
    // Every restart starts the wait again: the shell must stay up that long after the last one.
    if (!shellSettle_) return;
    shellSettle_->SetEnabled(false);
    shellSettle_->SetInterval(periodHook_ ? periodHook_(RestartThrottle::kSettleMs)
                                          : static_cast<int32_t>(RestartThrottle::kSettleMs));
    shellSettle_->SetEnabled(true);
}

void frmLogo::shellSettle_Tick() {
    Guarded("Tessaline.frmLogo.shellSettle_Tick", kSilent, [&] {
        shellSettle_->SetEnabled(false);
        restarts_.StayedUp();
        taskbar_ = FindTaskbarWindow();
        ReapplyShellEffects();
    });
}

void frmLogo::RewriteWallpaperForScreen() {
    Guarded("Tessaline.frmLogo.RewriteWallpaperForScreen", kSilent, [&] {
        if (!cSettings) return;
        const std::string picturePath = cSettings->WCurrent();
        if (cSettings->WDefault() != 0 || picturePath.empty()) return;
        // A wallpaper the user chose elsewhere since is left alone.
        char shown[MAX_PATH] = "";
        const std::string bitmap = DesktopBitmapPath();
        if (!SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0) ||
            lstrcmpiA(shown, bitmap.c_str()) != 0)
            return;
        unique_picture picture = LoadPictureFile(picturePath);
        WriteBitmapFile(picture.get(), bitmap, WallpaperScreenSize(), cSettings->WFit(), DesktopBackground());
        SetDesktopWallpaper(bitmap); // the desktop reads the file again
    });
}

void frmLogo::Form_Unload() {
    // Nothing may tick into a half-released agent; then the icon leaves the tray.
    shellEvents_.reset();
    shellSettle_.reset();
    myTimer.reset();
    wTimer.reset();
    lTimer.reset();
    cTray.reset();
    PostQuitMessage(0);
}

void frmLogo::OnDestroyed() {
    gLogo.reset(); // the next load builds a new agent
}

LRESULT frmLogo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        TaskbarCreated();
        return 0;
    }
    switch (message) {
    case kTrayCallbackMessage:
        // The tray puts the mouse message where a mouse move has its position: as a position in pixels
        // it becomes twips at the screen's twips per pixel.
        Form_MouseMove(static_cast<int32_t>(LOWORD(lParam)) * TwipsPerPixelX());
        return 0;
    case WM_QUERYENDSESSION:
        Form_QueryUnload();
        return TRUE; // the log-off goes on
    case WM_ENDSESSION:
        if (wParam) Unload(); // the session really ends: the icon must not outlive it
        return 0;
    case WM_POWERBROADCAST:
        // Back from standby or hibernation: a shell may have lost the effect meanwhile.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND ||
            wParam == PBT_APMRESUMECRITICAL)
            ReapplyShellEffects();
        return Default(message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        RewriteWallpaperForScreen();
        ReapplyShellEffects();
        return Default(message, wParam, lParam);
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        Form_Unload();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tsln
