// Each long operation of the main window, with every message that the system, the shell, the user or a
// second start of the program may bring meanwhile delivered from inside it: nothing goes while its code
// still runs, a close or a log-off is carried out when the operation ends (or the operation stops
// cleanly first), no freed object is touched, and the program ends where the last message asked.
#include "core/mod_main.h"
#include "core/product.h"
#include "rotation/frm_logo.h"
#include "rotation/timers/xtimer.h"
#include "tests/mainwin/freed_memory.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "ui/msgbox.h"

#include <doctest.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace mainwin_test;
using tsln::frmLogo;
using tsln::frmMain;

namespace {
constexpr UINT kKick = WM_APP + 40;
const char* const kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kBoxClass = "TessalineMsgBox";

HWND Agent() {
    return frmLogo::Instance() != nullptr ? frmLogo::Instance()->hwnd() : nullptr;
}
HWND Main() {
    return frmMain::Instance() != nullptr ? frmMain::Instance()->hwnd() : nullptr;
}
bool MainShown() {
    const frmMain* main = frmMain::Instance();
    return main != nullptr && main->Activated() && LayeredAlpha(main->hwnd()) == 230 &&
           IsWindowEnabled(main->hwnd());
}
bool IconShown() {
    return frmLogo::Instance() != nullptr && frmLogo::Instance()->Tray()->IconShown();
}
// The shell's tray callback for a left-button release over the icon.
void TrayClick(bool post) {
    if (post)
        PostMessageA(Agent(), frmLogo::kTrayCallbackMessage, 1, WM_LBUTTONUP);
    else
        SendMessageA(Agent(), frmLogo::kTrayCallbackMessage, 1, WM_LBUTTONUP);
}

// What a message asks to end.
enum class Ends {
    Nothing,    // the windows stay as they are
    MainWindow, // the main window goes to the tray
    Program,    // the agent goes and the message loop ends
};

struct Run;
struct Message {
    const char* name;
    Ends ends;
    std::function<void(Run&)> deliver;
};

// One operation with one message delivered inside it.
struct Run {
    const Message& message;
    // Whether the operation is running, asked when the message is delivered.
    std::function<bool()> during = [] { return true; };
    bool delivered = false;
    bool duringOperation = false;
    LRESULT queryAnswer = TRUE;
    std::optional<tsdriver::Process> second;

    // Delivers the message once the operation lets the messages already queued run.
    void Kick();
    void Deliver() {
        if (delivered) return;
        delivered = true;
        duringOperation = during();
        message.deliver(*this);
    }
};

Run* gRun = nullptr; // the run under way

// A message-only window that delivers the run's message when its posted kick is dispatched.
class Kicker {
public:
    Kicker() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Kicker::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TslnTestKicker";
        RegisterClassA(&wc);
        hwnd_ =
            CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        REQUIRE(hwnd_ != nullptr);
    }
    ~Kicker() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kKick) {
            if (gRun != nullptr) gRun->Deliver();
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};
Kicker* gKicker = nullptr;

void Run::Kick() {
    PostMessageA(gKicker->hwnd(), kKick, 0, 0);
}

void SendToTopLevel(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* agentAnswer = nullptr) {
    if (HWND main = Main()) SendMessageA(main, message, wParam, lParam);
    const LRESULT answer = SendMessageA(Agent(), message, wParam, lParam);
    if (agentAnswer != nullptr) *agentAnswer = answer;
}

void TimerTick(const tsln::XTimer* (frmLogo::*timer)() const) {
    frmLogo* agent = frmLogo::Instance();
    agent->RefreshTimers(); // the schedule's period from the settings: the timer runs
    const UINT_PTR id = (agent->*timer)()->TimerID();
    REQUIRE(id != 0);
    tsln::XTimerSupport::TimerCallback(nullptr, WM_TIMER, id, GetTickCount()); // as its expiry dispatches it
}

const Message kMessages[] = {
    {"WM_CLOSE to the main window", Ends::MainWindow, [](Run&) { PostMessageA(Main(), WM_CLOSE, 0, 0); }},
    {"WM_CLOSE to the agent", Ends::Program, [](Run&) { PostMessageA(Agent(), WM_CLOSE, 0, 0); }},
    {"WM_QUERYENDSESSION", Ends::Nothing,
     [](Run& run) { SendToTopLevel(WM_QUERYENDSESSION, 0, 0, &run.queryAnswer); }},
    {"WM_QUERYENDSESSION then WM_ENDSESSION", Ends::Program,
     [](Run& run) {
         SendToTopLevel(WM_QUERYENDSESSION, 0, 0, &run.queryAnswer);
         SendToTopLevel(WM_ENDSESSION, TRUE, 0);
     }},
    {"TaskbarCreated", Ends::Nothing,
     [](Run&) { PostMessageA(Agent(), RegisterWindowMessageA("TaskbarCreated"), 0, 0); }},
    {"a tray click", Ends::Nothing, [](Run&) { TrayClick(true); }},
    {"a second Tessaline.exe", Ends::Nothing,
     [](Run& run) { run.second = tsdriver::Process::Start(testing::DistDir() + "\\Tessaline.exe", ""); }},
    {"WM_DISPLAYCHANGE", Ends::Nothing,
     [](Run&) {
         SendToTopLevel(WM_DISPLAYCHANGE, 24,
                        MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
     }},
    {"the wallpaper timer's tick", Ends::Nothing, [](Run&) { TimerTick(&frmLogo::WallpaperTimer); }},
    {"the logon screen timer's tick", Ends::Nothing, [](Run&) { TimerTick(&frmLogo::LogonTimer); }},
};

// The program as it runs from the tray: the agent loaded, the main window opened from it with the test
// skin of a scratch skins folder; this process holds the mark of a running first instance. Every change
// to the registry and files is put back at the end.
struct Program {
    Program() {
        REQUIRE(CopyFileA(TSLN_TEST_SKIN, (skins / "Test_Main.csk").c_str(), FALSE));
        tsln::clsSetari settings;
        settings.SetSkin("Test_Main");
        settings.SetInterface_Transp(1);
        settings.SetOnTOP(0);
        settings.SetWInterval("every hour");
        settings.SetLInterval("every hour");
        REQUIRE(running);
        gKicker = &kicker;
    }
    ~Program() {
        frmLogo::Unload();
        frmMain::Unload();
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        gKicker = nullptr;
        testing::ReleaseFreedBlocks();
    }

    // Runs the thread's messages until `done`; a quit request ends the loop as the program's own does,
    // the main window unloaded after it.
    bool Pump(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 20000) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit = true;
                    frmMain::Unload();
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        return true;
    }

    // A fresh start for each run: the agent loaded, the main window closed to the tray, then opened again
    // from the tray when `open`.
    void Ready(bool open) {
        quit = false;
        if (frmLogo::Instance() == nullptr) {
            frmLogo::Load(GetModuleHandleA(nullptr), "", tsln::AgentHost{[this] {
                              tsln::frmMain::Show(GetModuleHandleA(nullptr),
                                                  tsln::SkinsSetup{skins.Path() + "\\",
                                                                   testing::DistDir() + "\\tsln.dll", [] {}});
                          }});
            REQUIRE(frmLogo::Instance() != nullptr);
        }
        if (frmMain::Instance() != nullptr) {
            REQUIRE(Pump(MainShown));
            PostMessageA(Main(), WM_CLOSE, 0, 0);
            REQUIRE(Pump([] { return frmMain::Instance() == nullptr; }));
        }
        REQUIRE(IconShown());
        if (open) {
            TrayClick(false);
            REQUIRE(Pump(MainShown));
        }
        REQUIRE_FALSE(quit);
    }

    settings_test::RegistryGuard registry;
    testing::ComScope com;
    testing::TempDir skins{"reentry skins"};
    tsln::unique_handle running{CreateMutexA(nullptr, TRUE, tsln::kProductTitle)};
    Kicker kicker;
    bool quit = false;
};

// Delivers every message inside `operation` (started with the main window open, or in the tray), one
// message per run, and checks where the program ended. `operation` answers whether it ran to its end.
void EveryMessage(Program& program, const char* name, bool opensMain,
                  const std::function<bool(Run&)>& operation) {
    for (const Message& message : kMessages) {
        CAPTURE(message.name);
        program.Ready(!opensMain);
        Run run{message};
        gRun = &run;
        auto done = tsln::make_scope_exit([] { gRun = nullptr; });
        const bool finished = operation(run);
        const std::string outcome =
            std::string(name) + " | " + message.name + " | " + (finished ? "finished" : "stopped");
        MESSAGE(outcome);
        CHECK(run.delivered);
        CHECK(run.duringOperation);
        if (message.ends == Ends::Nothing) CHECK(finished); // the message changed nothing of it

        // Where the program ends: the windows the last message left, and the tray icon shown exactly when
        // the main window went there.
        switch (message.ends) {
        case Ends::Nothing:
            CHECK(program.Pump(MainShown));
            CHECK(frmLogo::Instance() != nullptr);
            CHECK_FALSE(IconShown());
            break;
        case Ends::MainWindow:
            CHECK(program.Pump([] { return frmMain::Instance() == nullptr; }));
            CHECK(frmLogo::Instance() != nullptr);
            CHECK(IconShown());
            CHECK(frmLogo::Instance()->IsInTray());
            break;
        case Ends::Program:
            CHECK(program.Pump([&] { return program.quit; }));
            CHECK(frmLogo::Instance() == nullptr);
            CHECK(frmMain::Instance() == nullptr);
            break;
        }
        CHECK(run.queryAnswer == TRUE); // a log-off is never refused
        if (run.second) {
            // The second start finds the first running, says so and ends; the first goes on untouched.
            HWND box = testing::WaitForDialog(run.second->Id(), tsln::kProductTitle);
            REQUIRE(box != nullptr);
            CHECK(testing::ReadBox(box).text.find("allready running") != std::string::npos);
            CHECK(testing::Press(box, IDOK));
            CHECK(run.second->WaitExit(20000));
            CHECK(run.second->ExitCode() == tsln::kExitRefused);
        }
        CHECK(testing::ReleaseFreedBlocks() == 0);
    }
}

// A tree of programs in the scratch folder that stands for the Program Files folder.
struct ProgramTree {
    ProgramTree() {
        REQUIRE(CreateDirectoryA((dir / "Vendor").c_str(), nullptr));
        for (const std::string& program :
             {dir / "a.exe", dir / "b.exe", dir / "Vendor\\c.exe", dir / "Vendor\\d.exe"}) {
            REQUIRE(testing::WriteFileBytes(program, "MZ"));
            programs.push_back(program);
        }
        testing::SetString(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir", dir.Path());
    }
    bool AllManifests() const {
        for (const std::string& program : programs)
            if (!testing::PathExists(program + ".manifest")) return false;
        return true;
    }
    void RemoveManifests() const {
        for (const std::string& program : programs) {
            SetFileAttributesA((program + ".manifest").c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((program + ".manifest").c_str());
        }
    }
    testing::RegValueSnapshot saved{HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir"};
    testing::TempDir dir{"reentry tree"};
    std::vector<std::string> programs;
};

// Pictures for the wallpaper list, in a folder of their own.
struct Pictures {
    Pictures() {
        for (const char* name : {"a.jpg", "b.jpg", "c.gif", "d.jpg"}) {
            const bool gif = name[2] == 'g';
            REQUIRE(CopyFileA((std::string(TSLN_ROTATION_DATA) + (gif ? "\\dune.gif" : "\\sea.jpg")).c_str(),
                              (dir / name).c_str(), FALSE));
            paths.push_back(dir / name);
        }
    }
    // The wallpaper list stored with `lines` entries, these pictures over and over.
    void Store(int lines) const {
        const std::string key = settings_test::At("Wallpapers");
        testing::DeleteTree(HKEY_CURRENT_USER, key + "\\List");
        testing::SetString(HKEY_CURRENT_USER, key, "Current", "");
        testing::SetDword(HKEY_CURRENT_USER, key, "Default", 0);
        for (int i = 0; i < lines; ++i)
            testing::SetString(HKEY_CURRENT_USER, key + "\\List", std::to_string(i + 1),
                               paths[i % paths.size()] + "*" + std::to_string(i) + "**0");
    }
    int Listed(const frmMain* window) const {
        // The window must still be the one the operation ran on: a freed one is not asked.
        if (window == nullptr || frmMain::Instance() != window || window->cWL() == nullptr) return -1;
        return window->cWL()->Entries().Count();
    }
    testing::TempDir dir{"reentry pictures"};
    std::vector<std::string> paths;
};

// Watches the skinned box of this process: the messages it takes, and its alpha when it goes (120 once its
// closing cross-fade has run to the end).
struct BoxHooks {
    static std::function<void(const MSG&)> taken;
    static int alphaAtEnd;
    BoxHooks() {
        alphaAtEnd = -1;
        get_.reset(SetWindowsHookExA(WH_GETMESSAGE, &Get, nullptr, GetCurrentThreadId()));
        call_.reset(SetWindowsHookExA(WH_CALLWNDPROC, &Call, nullptr, GetCurrentThreadId()));
        REQUIRE(get_);
        REQUIRE(call_);
    }
    ~BoxHooks() { taken = nullptr; }
    static bool IsBox(HWND hwnd) { return hwnd != nullptr && testing::ClassOf(hwnd) == kBoxClass; }
    static LRESULT CALLBACK Get(int code, WPARAM wParam, LPARAM lParam) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && taken && IsBox(msg.hwnd)) taken(msg);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Call(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent.message == WM_DESTROY && IsBox(sent.hwnd))
            alphaAtEnd = LayeredAlpha(sent.hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    using unique_hhook = tsln::unique_any<tsln::traits::null_invalid<HHOOK, BOOL, &::UnhookWindowsHookEx>>;
    unique_hhook get_;
    unique_hhook call_;
};
std::function<void(const MSG&)> BoxHooks::taken;
int BoxHooks::alphaAtEnd = -1;

bool BoxShown() {
    HWND box = FindWindowA(kBoxClass, nullptr);
    return box != nullptr && IsWindowVisible(box);
}
} // namespace

TEST_CASE("every message delivered during the visual-styles walk") {
    Program program;
    ProgramTree tree;
    EveryMessage(program, "walk", false, [&](Run& run) {
        tree.RemoveManifests();
        frmMain* window = frmMain::Instance();
        window->swfSKIN_FSCommand("tab", "1");
        tsln::StylesPage& page = window->StylesTab();
        page.optPath(1).SetValue(true); // the whole Program Files folder
        REQUIRE(page.cmdAddRemove(0).Enabled());
        testing::BoxWatcher boxes; // answers the result's box
        run.during = [&] { return frmMain::Instance() == window && !page.fraOptions(0).Enabled(); };
        run.Kick(); // taken between the walk's first items
        page.cmdAddRemove(0).Press();
        return tree.AllManifests();
    });
}

TEST_CASE("every message delivered during a folder drop on the wallpapers' list") {
    Program program;
    Pictures pictures;
    EveryMessage(program, "folder drop", false, [&](Run& run) {
        pictures.Store(0);
        frmMain* window = frmMain::Instance();
        window->swfSKIN_FSCommand("tab", "3");
        tsln::ListPage& page = window->ListTab(tsln::tType::Wallpapers);
        bool dropping = true;
        run.during = [&] { return dropping; };
        run.Kick(); // taken while the first file's line is listed
        page.imgPreview().FilesDropped({pictures.dir.Path()});
        dropping = false;
        return pictures.Listed(window) == 4;
    });
}

TEST_CASE("every message delivered while a list is filled") {
    constexpr int kLines = 400; // long enough for a fade-out to end while it fills
    Program program;
    Pictures pictures;
    EveryMessage(program, "list filled", false, [&](Run& run) {
        pictures.Store(kLines);
        frmMain* window = frmMain::Instance();
        bool filling = true;
        run.during = [&] { return filling; };
        run.Kick(); // taken while the first line is listed
        window->swfSKIN_FSCommand("tab", "3");
        filling = false;
        return pictures.Listed(window) == kLines && frmMain::Instance() == window &&
               window->ListTab(tsln::tType::Wallpapers).cboLista().ListCount() == kLines;
    });
}

TEST_CASE("a click on the movie while a list fills is not taken: the window is busy meanwhile") {
    Program program;
    Pictures pictures;
    pictures.Store(400);
    program.Ready(true);
    frmMain* window = frmMain::Instance();
    const POINT ok = ButtonPoint(PlayerOf(window->hwnd()), "ok");
    const Message click{"a click on the movie's ok", Ends::Nothing, [&](Run&) { LeftClickAt(ok); }};
    Run run{click};
    bool filling = true;
    run.during = [&] { return filling && !IsWindowEnabled(window->hwnd()); };
    gRun = &run;
    auto done = tsln::make_scope_exit([] { gRun = nullptr; });
    run.Kick(); // taken while the first line is listed
    window->swfSKIN_FSCommand("tab", "3");
    filling = false;
    CHECK(run.delivered);
    CHECK(run.duringOperation);
    CHECK(program.Pump(MainShown));
    CHECK(frmMain::Instance() == window);
    CHECK(testing::ReleaseFreedBlocks() == 0);
}

TEST_CASE("every message delivered while the skin's versions are tested at the first activation") {
    Program program;
    EveryMessage(program, "skin versions", true, [&](Run& run) {
        run.during = [] {
            const frmMain* window = frmMain::Instance();
            return window != nullptr && window->cSKIN() != nullptr && !window->Activated();
        };
        run.Kick(); // taken between the versions the skin names
        TrayClick(false);
        // The skin placed the pages (its description says where) before anything could unload it.
        return frmMain::Instance() != nullptr && frmMain::Instance()->RTop() == 600;
    });
}

TEST_CASE("every message delivered while a box is shown over the main window") {
    Program program;
    EveryMessage(program, "modal box", false, [&](Run& run) {
        // Answered once the message was delivered; a message that ends the main window or the program
        // ends the box unanswered.
        std::optional<testing::DialogDriver> driver;
        if (run.message.ends == Ends::Nothing) {
            driver.emplace(tsln::kProductTitle, [&](HWND box) {
                testing::WaitFor([&] { return run.delivered; });
                testing::Press(box, IDOK);
            });
        }
        run.during = BoxShown;
        run.Kick(); // taken by the box's own message loop
        const int answer = tsln::ShowMsgBox("A message over the main window", 10, tsln::kMsgBoxOk);
        if (driver) driver->Finish();
        CHECK_FALSE(BoxShown());
        return answer == 1;
    });
}

TEST_CASE("every message delivered during the main window's fade-in") {
    Program program;
    EveryMessage(program, "fade-in", true, [&](Run& run) {
        TrayClick(false);
        const frmMain* window = frmMain::Instance();
        REQUIRE(window != nullptr);
        REQUIRE(window->Activated());
        run.during = [window] { return frmMain::Instance() == window && LayeredAlpha(window->hwnd()) < 230; };
        run.Kick(); // taken between the fade's steps
        const bool ended =
            program.Pump([&] { return program.quit || frmMain::Instance() != window || MainShown(); });
        return ended && frmMain::Instance() == window && MainShown();
    });
}

TEST_CASE("every message delivered during a box's closing cross-fade") {
    Program program;
    EveryMessage(program, "cross-fade", false, [&](Run& run) {
        BoxHooks hooks;
        // The box's OK arrives as a posted command: the kick queued behind it comes once the cross-fade
        // back to the main window has started.
        BoxHooks::taken = [&](const MSG& msg) {
            if (msg.message == WM_COMMAND) run.Kick();
        };
        testing::BoxWatcher boxes;
        run.during = [] { return FindWindowA(kBoxClass, nullptr) != nullptr; };
        const int answer = tsln::ShowMsgBox("A message over the main window", 10, tsln::kMsgBoxOk);
        CHECK(answer == 1);
        return BoxHooks::alphaAtEnd == 120;
    });
}
