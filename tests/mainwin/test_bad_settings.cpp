// Settings the program did not write: every value it keeps or reads, replaced by a missing, mistyped,
// empty, oversized or garbage one. Each value in turn through the settings store and its other readers;
// then, per kind of damage, every value at once: the main window of this process through its six pages,
// the agent of this process through its two schedule timers, and the real program through its pages and
// into the tray. Nothing may fail, the pages show the defaults, each unreadable value is logged once and
// no box is shown, and a value stays as the user left it unless what shows or owns it stored it: the
// start registers the program, a page's "ok" stores that page's values (the defaults it showed), the
// window's closing stores its skin and place, a scheduled change its collection.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "effects/clsTranspEffects.h"
#include "effects/shell_transparency.h"
#include "rotation/frm_logo.h"
#include "tests/mainwin/mainwin_fixture.h"
#include "ui/main/page_list.h"

#include <doctest.h>
#include <functional>
#include <map>
#include <set>
#include <vector>

using namespace mainwin_test;
using tsln::clsSetari;

namespace {
const char* const kProduct = "Software\\Quillfen\\Tessaline";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char* const kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const kDesktopKey = "Control Panel\\Desktop";

enum class Kind { kNumber, kText, kBytes }; // what the program keeps there

// Who may store over the user's value: the start, a page's "ok" (0..5), the main window's closing, a
// scheduled change of a collection, or nobody.
constexpr int kStart = -1, kClosing = -2, kChange = -3, kNobody = -4;

struct Place {
    HKEY root;
    std::string key;
    std::string name;
    Kind kind;
    int storedBy;
    bool inList = false; // a list entry: stored again (as text) with its list, never lost
    std::string Where() const { return key + "\\" + name; }
};

std::string Product(const char* subkey) {
    return std::string(kProduct) + "\\" + subkey;
}

const std::vector<Place>& Places() {
    const HKEY U = HKEY_CURRENT_USER, M = HKEY_LOCAL_MACHINE;
    const Kind N = Kind::kNumber, T = Kind::kText;
    static const std::vector<Place> places = {
        {U, kProduct, "version", T, kStart},
        {U, kProduct, "AppPath", T, kStart},
        {U, Product("Settings"), "Left", N, kClosing},
        {U, Product("Settings"), "Top", N, kClosing},
        {U, Product("Settings"), "Skin", T, kClosing},
        {U, Product("Settings"), "Interface_Transp", N, 4},
        {U, Product("Settings"), "Interface_Shadow", N, 4},
        {U, Product("Settings"), "OnTOP", N, 4},
        {U, Product("Settings"), "Sound", N, 4},
        {U, Product("Settings"), "TranspLevel", N, 0},
        {U, Product("Settings"), "TranspStartMenu", N, 0},
        {U, Product("Settings"), "TranspTaskbar", N, 0},
        {U, Product("Wallpapers"), "Sort", N, 3},
        {U, Product("Wallpapers"), "Default", N, 3},
        {U, Product("Wallpapers"), "Interval", T, kNobody},
        {U, Product("Wallpapers"), "Current", T, kChange},
        {U, Product("Wallpapers"), "DefaultDir", T, kNobody},
        {U, Product("Wallpapers"), "Fit", T, kNobody},
        {U, Product("Logons"), "Sort", N, 2},
        {U, Product("Logons"), "Default", N, 2},
        {U, Product("Logons"), "Interval", T, kNobody},
        {U, Product("Logons"), "Current", T, kChange},
        {U, Product("Logons"), "DefaultDir", T, kNobody},
        {U, Product("Wallpapers\\List"), "2", T, 3, true},
        {U, Product("Logons\\List"), "2", T, 2, true},
        {M, kProduct, "AppPath", T, kStart},
        {M, kProduct, "version", T, kStart},
        {U, kRunKey, "Tessaline", T, 4},
        {U, kExplorerKey, "ShellState", Kind::kBytes, kNobody},
        {M, kWinlogonKey, "UIHost", T, kChange},
    };
    return places;
}

enum Damage { kMissing, kWrongType, kEmpty, kTooLong, kGarbage, kUnterminated, kDamages };
const char* const kDamageNames[kDamages] = {"missing",    "of the wrong type", "empty",
                                            "64 KB long", "binary noise",      "text noise without end"};

// Bytes of no meaning, none of them 0, the same every time.
std::vector<BYTE> Noise(size_t size) {
    std::vector<BYTE> bytes(size);
    uint32_t seed = 12345;
    for (BYTE& b : bytes) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<BYTE>(1 + (seed >> 16) % 255);
    }
    return bytes;
}

void Spoil(const Place& place, Damage damage) {
    const DWORD own = place.kind == Kind::kNumber ? REG_DWORD
                      : place.kind == Kind::kText ? REG_SZ
                                                  : REG_BINARY;
    switch (damage) {
    case kMissing: {
        tsln::unique_hkey key;
        if (RegOpenKeyExA(place.root, place.key.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
            RegDeleteValueA(key.get(), place.name.c_str());
        break;
    }
    case kWrongType:
        if (place.kind == Kind::kText)
            testing::SetDword(place.root, place.key, place.name, 7);
        else
            testing::SetString(place.root, place.key, place.name, "seven");
        break;
    case kEmpty:
        testing::SetRaw(place.root, place.key, place.name, own, nullptr, 0);
        break;
    case kTooLong:
        if (place.kind == Kind::kBytes)
            testing::SetBinary(place.root, place.key, place.name, std::vector<BYTE>(65536, 0x5A));
        else // far too many digits for a number, or a text as long as a value may be kept
            testing::SetString(place.root, place.key, place.name,
                               std::string(65535, place.kind == Kind::kNumber ? '9' : 'x'));
        break;
    case kGarbage:
        testing::SetBinary(place.root, place.key, place.name, Noise(37));
        break;
    case kUnterminated: {
        const std::vector<BYTE> noise = Noise(37);
        testing::SetRaw(place.root, place.key, place.name, REG_SZ, noise.data(),
                        static_cast<DWORD>(noise.size()));
        break;
    }
    default:
        break;
    }
}

// A value as stored, or its absence.
struct Stored {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const Stored& o) const {
        return present == o.present && type == o.type && data == o.data;
    }
    bool operator!=(const Stored& o) const { return !(*this == o); }
};
using Snapshot = std::vector<Stored>; // in the order of Places()

Snapshot Take() {
    Snapshot snapshot;
    for (const Place& place : Places()) {
        Stored stored;
        stored.present = testing::ReadRaw(place.root, place.key, place.name, stored.type, stored.data);
        snapshot.push_back(std::move(stored));
    }
    return snapshot;
}

// Every value that changed from `before` to `after` may be changed by `writer`; list entries that were
// there are still there. `writers` names the further writers allowed.
void CheckChangedOnlyBy(const Snapshot& before, const Snapshot& after, std::set<int> writers,
                        const std::string& step) {
    writers.insert(kStart); // a new store registers the program again
    for (size_t i = 0; i < Places().size(); ++i) {
        const Place& place = Places()[i];
        CAPTURE(step);
        CAPTURE(place.Where());
        if (place.inList && before[i].present) CHECK(after[i].present);
        // A list is saved whole by its page and by every change of its collection, its entries as texts.
        const bool allowed =
            writers.count(place.storedBy) == 1 || (place.inList && writers.count(kChange) == 1);
        if (after[i] != before[i]) CHECK(allowed);
    }
}

// The entries of a program log, each without its time stamp.
std::vector<std::string> Entries(const std::string& log) {
    std::vector<std::string> entries;
    const std::string rule = "\r\n" + std::string(46, '-');
    size_t from = 0;
    while (from < log.size()) {
        size_t end = log.find(rule, from);
        if (end == std::string::npos) end = log.size();
        std::string entry = log.substr(from, end - from);
        while (!entry.empty() && (entry[0] == '\r' || entry[0] == '\n'))
            entry.erase(0, 1);
        const size_t tab = entry.find('\t');
        if (!entry.empty()) entries.push_back(tab == std::string::npos ? entry : entry.substr(tab + 1));
        from = end + rule.size();
    }
    return entries;
}

// Nothing logged twice: an unreadable value, or any other failure it leads to, is said once.
void CheckLoggedOnce(const std::string& log, const std::string& step) {
    std::map<std::string, int> seen;
    for (const std::string& entry : Entries(log))
        if (++seen[entry] == 2) {
            CAPTURE(step);
            CAPTURE(entry);
            CHECK_MESSAGE(false, "logged more than once");
        }
}

std::string DataFile(const std::string& name) {
    return std::string(TSLN_ROTATION_DATA) + "\\" + name;
}
std::string LogonProgram() {
    return std::string(TSLN_ROTATION_FIXTURES) + "\\blue\\blue.exe";
}

std::vector<BYTE> XPStyleShellState() {
    std::vector<BYTE> state(36, 0);
    state[0] = 0x24;
    state[32] = 2;
    return state;
}

// Every value as the program writes it, each list with one usable entry and a second one to damage;
// starting at log-on.
void StoreGood() {
    clsSetari settings;
    settings.SetLeft(1200);
    settings.SetTop(900);
    settings.SetInterface_Transp(1);
    settings.SetInterface_Shadow(0);
    settings.SetOnTOP(1);
    settings.SetSound(0);
    settings.SetTranspLevel(150);
    settings.SetTranspStartMenu(1);
    settings.SetTranspTaskbar(1);
    for (tsln::tType kind : {tsln::tType::Wallpapers, tsln::tType::Logons}) {
        tsln::CollectionSettings collection = settings.Collection(kind);
        collection.SetSort(0);
        collection.SetDefault(1);
        collection.SetInterval("every 5 minutes");
        collection.SetCurrent("");
        collection.SetDefaultDir("C:\\");
    }
    settings.SetWFit(tsln::WallpaperFit::kFit);
    settings.SetWOtherFiles({DataFile("sea.jpg") + "*sea**0", DataFile("dune.gif") + "*dune**0"});
    settings.SetLOtherFiles({LogonProgram() + "*blue**0", LogonProgram() + "*blue**0"});
    settings.SetAutostart(1);
    testing::SetBinary(HKEY_CURRENT_USER, kExplorerKey, "ShellState", XPStyleShellState());
    testing::SetString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost", "logonui.exe");
}

// Every value spoiled the same way; with `exceptSkin` the skin stays (the real program must show the
// test skin, whose buttons the test clicks).
void SpoilAll(Damage damage, bool exceptSkin = false) {
    for (const Place& place : Places())
        if (!exceptSkin || place.name != "Skin") Spoil(place, damage);
}

std::string ShownWallpaper() {
    char path[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0);
    return path;
}

// What the test changes beyond the product keys and the Run value, kept as found.
struct OutsideGuard {
    ~OutsideGuard() {
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 0);
    }
    testing::RegValueSnapshot shellState{HKEY_CURRENT_USER, kExplorerKey, "ShellState"};
    testing::RegValueSnapshot mask{HKEY_CURRENT_USER, kDesktopKey, "UserPreferencesMask"};
    testing::RegValueSnapshot uiHost{HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost"};
    testing::RegValueSnapshot tile{HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper"};
    testing::RegValueSnapshot style{HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"};
    testing::RegValueSnapshot paper{HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"};
    std::string wallpaper = ShownWallpaper();
};

// What a reader of the place makes of it: the effective value as text, and the default expected, or
// nothing when the damage leaves a readable text the reader may take as it is.
struct Reading {
    std::string value;
    std::string expected;
    bool any = false;
};

Reading Read(const Place& place, Damage damage) {
    clsSetari settings;
    // A text that holds a text (digits, a long one, noise that is still text) is read as that text.
    const bool textRead = damage == kWrongType || damage == kTooLong || damage == kUnterminated;
    const std::string& n = place.name;
    const bool logons = place.key.find("Logons") != std::string::npos;
    tsln::CollectionSettings collection =
        settings.Collection(logons ? tsln::tType::Logons : tsln::tType::Wallpapers);
    if (place.inList) {
        const size_t entries = collection.OtherFiles().size();
        return {std::to_string(entries), damage == kMissing ? "1" : "2"};
    }
    if (place.root == HKEY_LOCAL_MACHINE && place.key == kWinlogonKey) {
        // Read only when the program removes its data: a logon program of this program's folder is reset.
        testing::ProductKeys keys;
        tsln::RemoveProgramData();
        return {"", ""};
    }
    if (place.key == kExplorerKey) {
        // As the agent reads it, ten times a second: a lasting failure is logged once.
        static tsln::StartMenuPoll poll;
        tsln::clsTranspEffects effects;
        poll.Poll(effects);
        return {"", ""};
    }
    if (place.key == kRunKey) return {std::to_string(settings.Autostart()), "0"};
    if (place.key == kProduct) {
        // Written again by every store.
        const std::string good = n == "version" ? tsln::ProgramVersionText() : tsln::ProgramFolder();
        return {testing::ReadString(place.root, place.key, n), good};
    }
    if (n == "Left") return {std::to_string(settings.Left()), "-100"};
    if (n == "Top") return {std::to_string(settings.Top()), "-100"};
    if (n == "Skin") return {settings.Skin(), "", textRead};
    if (n == "Interface_Transp") return {std::to_string(settings.Interface_Transp()), "1"};
    if (n == "Interface_Shadow") return {std::to_string(settings.Interface_Shadow()), "0"};
    if (n == "OnTOP") return {std::to_string(settings.OnTOP()), "1"};
    if (n == "Sound") return {std::to_string(settings.Sound()), "1"};
    if (n == "TranspLevel") return {std::to_string(settings.TranspLevel()), "230"};
    if (n == "TranspStartMenu") return {std::to_string(settings.TranspStartMenu()), "0"};
    if (n == "TranspTaskbar") return {std::to_string(settings.TranspTaskbar()), "0"};
    if (n == "Sort") return {std::to_string(collection.Sort()), "255"};
    if (n == "Default") return {std::to_string(collection.Default()), "0"};
    if (n == "Interval") {
        const std::string text = collection.Interval();
        return {std::to_string(tsln::frmLogo::TranslateIntervals(text)) + (textRead ? "" : " " + text),
                textRead ? "0" : "0 never"};
    }
    if (n == "Current") return {collection.Current(), "", textRead};
    if (n == "DefaultDir") return {collection.DefaultDir(), "", textRead};
    if (n == "Fit") return {std::to_string(static_cast<int>(settings.WFit())), "0"};
    FAIL("no reader for " << place.Where());
    return {};
}
} // namespace

TEST_CASE("each value the program keeps, spoiled in turn, reads as its default, is logged once and stays") {
    settings_test::RegistryGuard guard;
    OutsideGuard outside;
    testing::BoxWatcher boxes;
    StoreGood();
    for (size_t i = 0; i < Places().size(); ++i) {
        const Place& place = Places()[i];
        for (int d = 0; d < kDamages; ++d) {
            const Damage damage = static_cast<Damage>(d);
            CAPTURE(place.Where());
            const std::string damageName = kDamageNames[d];
            CAPTURE(damageName);
            StoreGood();
            Spoil(place, damage);
            const Snapshot spoiled = Take();
            const std::string logBefore = testing::ReadFileBytes(guard.LogPath());
            const Reading first = Read(place, damage);
            const Reading second = Read(place, damage);
            if (!first.any) CHECK(first.value == first.expected);
            CHECK(second.value == first.value);
            const std::string logged = testing::ReadFileBytes(guard.LogPath()).substr(logBefore.size());
            CheckLoggedOnce(logged, place.Where());
            const Snapshot after = Take();
            // Registering writes the program's own values (read above); a Run value that does not start
            // this program is removed, so that it cannot start another copy.
            if (place.key == kRunKey)
                CHECK_FALSE(after[i].present);
            else if (place.storedBy != kStart)
                CHECK(after[i] == spoiled[i]);
        }
    }
    CHECK(boxes.Seen().empty());
}

namespace {
// The page's controls that show a spoiled value, at its default: the level 230 with both boxes off,
// the order alphabetical without the default, the fit stretched, translucent, on top, with sound, not
// started with Windows.
void CheckPageDefaults(tsln::frmMain& window, int page) {
    CAPTURE(page);
    switch (page) {
    case 0:
        CHECK(window.LevelVAL() == 230);
        CHECK_FALSE(window.chkTaskTransp(0).Value());
        CHECK_FALSE(window.chkTaskTransp(1).Value());
        break;
    case tsln::kLogonsPage:
    case tsln::kWallpapersPage: {
        const bool logons = page == tsln::kLogonsPage;
        CHECK_FALSE(window.chkDefault(page).Value());
        CHECK(window.optOrder(logons ? 0 : 3).Value());
        CHECK_FALSE(window.optOrder(logons ? 1 : 2).Value());
        if (!logons) CHECK(window.ListTab(tsln::tType::Wallpapers).cboFit().ListIndex() == 0);
        break;
    }
    case 4:
        CHECK(window.chkProgram(0).Value());
        CHECK_FALSE(window.chkProgram(1).Value());
        CHECK(window.chkProgram(2).Value());
        CHECK(window.chkProgram(3).Value());
        CHECK_FALSE(window.chkProgram(4).Value());
        break;
    default:
        break;
    }
}

// Runs this thread's messages until both schedule timers of the agent have expired `count` times.
void PumpTicks(const tsln::frmLogo& agent, int count) {
    REQUIRE(agent.WallpaperTimer() != nullptr); // made by a load that went through
    REQUIRE(agent.LogonTimer() != nullptr);
    const UINT_PTR wallpapers = agent.WallpaperTimer()->TimerID(), logons = agent.LogonTimer()->TimerID();
    REQUIRE(wallpapers != 0);
    REQUIRE(logons != 0);
    int wTicks = 0, lTicks = 0;
    const DWORD start = GetTickCount();
    while (wTicks < count || lTicks < count) {
        REQUIRE(GetTickCount() - start < 30000);
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        REQUIRE(msg.message != WM_QUIT);
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            wTicks += msg.wParam == wallpapers;
            lTicks += msg.wParam == logons;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Answers(HWND hwnd) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

// Waited for: the other process shows a page's controls when it gets to it.
HWND WaitShown(HWND main, const std::string& caption) {
    HWND found = nullptr;
    testing::WaitFor([&] { return (found = ShownControl(main, caption)) != nullptr; });
    return found;
}

bool Checked(HWND main, const std::string& caption) {
    const HWND box = WaitShown(main, caption);
    INFO(caption);
    REQUIRE(box != nullptr);
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// CheckPageDefaults as another process sees the page.
void CheckShownDefaults(HWND main, int page) {
    CAPTURE(page);
    switch (page) {
    case 0:
        CHECK(WaitShown(main, "100%") != nullptr);
        CHECK_FALSE(Checked(main, "apply to Start Menu"));
        CHECK_FALSE(Checked(main, "apply to taskbar"));
        break;
    case tsln::kLogonsPage:
    case tsln::kWallpapersPage:
        CHECK_FALSE(Checked(main, page == tsln::kLogonsPage ? "reset LogonUI to default" : "no wallpaper"));
        CHECK(Checked(main, "alphabetical order"));
        CHECK_FALSE(Checked(main, "randomize"));
        if (page == tsln::kWallpapersPage) CHECK(WaitShown(main, "stretch to the screen") != nullptr);
        break;
    case 4:
        CHECK(Checked(main, "use transparency effects"));
        CHECK_FALSE(Checked(main, "use shadow effect"));
        CHECK(Checked(main, "keep Tessaline on top"));
        CHECK(Checked(main, "sound on/off"));
        CHECK_FALSE(Checked(main, "start with windows"));
        break;
    default:
        break;
    }
}
} // namespace

TEST_CASE("every value spoiled at once: the main window of this process through its six pages") {
    for (int d = 0; d < kDamages; ++d) {
        const std::string damageName = kDamageNames[d];
        CAPTURE(damageName);
        OutsideGuard outside;
        InProcessMain main;
        tsln::frmMain::Unload();
        StoreGood();
        SpoilAll(static_cast<Damage>(d)); // the scratch skins folder holds one skin: the one shown anyway
        Snapshot before = Take();
        main.Open();
        Snapshot now = Take();
        CheckChangedOnlyBy(before, now, {}, "opening");
        for (int page = 0; page < tsln::frmMain::kPageCount; ++page) {
            main.Run("tab", std::to_string(page));
            REQUIRE(main.ShownPage() == page);
            CheckPageDefaults(*main.window, page);
            before = Take();
            main.Run("ok");
            CHECK(main.ShownPage() == -1);
            now = Take();
            CheckChangedOnlyBy(before, now, {page}, "ok on page " + std::to_string(page));
        }
        before = now;
        main.Run("bar", "minimize");
        REQUIRE(testing::PumpUntil([] { return tsln::frmMain::Instance() == nullptr; }));
        CheckChangedOnlyBy(before, Take(), {kClosing}, "closing");
        CheckLoggedOnce(testing::ReadFileBytes(main.registry.LogPath()), "main window");
        CHECK(main.boxes.Seen().empty());
    }
}

TEST_CASE("every value spoiled at once: the agent of this process, both schedule timers ticking") {
    for (int d = 0; d < kDamages; ++d) {
        const std::string damageName = kDamageNames[d];
        CAPTURE(damageName);
        settings_test::RegistryGuard guard;
        OutsideGuard outside;
        testing::BoxWatcher boxes;
        StoreGood();
        SpoilAll(static_cast<Damage>(d));
        const Snapshot before = Take();
        tsln::frmLogo::Load(GetModuleHandleA(nullptr), "-s", {});
        auto unload = tsln::make_scope_exit([] {
            tsln::frmLogo::Unload();
            MSG quit;
            PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        });
        tsln::frmLogo* agent = tsln::frmLogo::Instance();
        REQUIRE(agent != nullptr);
        agent->WatchShellBy(tsln::frmLogo::ShellWatch::Poll);
        // Whatever interval was read: both timers tick every 20 ms.
        agent->SetPeriodHook([](int32_t) { return 20; });
        agent->RefreshTimers();
        PumpTicks(*agent, 3);
        CHECK(tsln::frmLogo::Instance() == agent);
        CHECK(Answers(agent->hwnd()));
        CheckChangedOnlyBy(before, Take(), {kChange}, "ticks");
        CheckLoggedOnce(testing::ReadFileBytes(guard.LogPath()), "agent");
        CHECK(boxes.Seen().empty());
    }
}

TEST_CASE("every value spoiled at once: the program started by the user, through its pages into the tray") {
    // Binary noise where numbers belong, text noise without its end where texts do. The skin is spoiled
    // in this process only: the program must show the test skin, whose buttons are clicked.
    for (int d = kMissing; d <= kGarbage; ++d) {
        const std::string damageName = kDamageNames[d];
        CAPTURE(damageName);
        OutsideGuard outside;
        testing::FileSnapshot log{testing::UserAppFolder() + "\\Tessaline.log"};
        Snapshot before;
        StartedExe app([&] {
            StoreGood();
            for (const Place& place : Places())
                if (place.name != "Skin")
                    Spoil(place, d == kGarbage && place.kind == Kind::kText ? kUnterminated
                                                                            : static_cast<Damage>(d));
            before = Take();
        });
        for (int page = 0; page < tsln::frmMain::kPageCount; ++page) {
            app.Click("tab", std::to_string(page));
            REQUIRE(testing::WaitFor([&] { return ShownPages(app.main) == 1; }));
            CheckShownDefaults(app.main, page);
            app.Click("ok");
            REQUIRE(testing::WaitFor([&] { return ShownPages(app.main) == 0; }));
            CHECK(app.process.FindBox() == nullptr);
        }
        app.Click("bar", "minimize");
        CHECK(testing::WaitFor([&] { return app.process.FindMain() == nullptr; }, 20000));
        const HWND agent = app.process.FindAgent();
        REQUIRE(agent != nullptr);
        CHECK(testing::WaitFor([&] { return testing::IconInTray(agent); }));
        CHECK(Answers(agent));
        CHECK(app.process.FindBox() == nullptr);
        CHECK(app.process.CloseAgent(20000));
        CHECK(app.process.ExitCode() == 0);

        const Snapshot after = Take();
        CheckChangedOnlyBy(before, after, {kClosing, 0, 1, 2, 3, 4, 5}, "the program's run");
        // The saved pages stored the defaults they showed, as numbers; start with Windows is off.
        for (size_t i = 0; i < Places().size(); ++i) {
            const Place& place = Places()[i];
            CAPTURE(place.Where());
            if (place.storedBy >= 0 && place.kind == Kind::kNumber)
                CHECK((after[i].type == REG_DWORD && after[i].data.size() == 4));
            if (place.key == kRunKey) CHECK_FALSE(after[i].present);
        }
        clsSetari settings;
        CHECK(settings.TranspLevel() == 230);
        CHECK(settings.WSort() == 255);
        CHECK(settings.LDefault() == 0);
        CHECK(settings.Sound() == 1);
        CheckLoggedOnce(log.Added(), "the program");
    }
}
