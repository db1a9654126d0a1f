// The logon-screen and wallpaper pages of the main window: the real program driven by real clicks on its
// movie and its page controls, and the page's edge cases on a main window of this process.
#include "tests/mainwin/mainwin_fixture.h"
#include "core/collection_kind.h"
#include "core/mod_main.h"
#include "tests/shellutil/file_dialog.h"

#include <doctest.h>
#include <vector>

using namespace mainwin_test;

namespace {
const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

std::string KindKey(tsln::tType kind) {
    return settings_test::At(tsln::IsLogons(kind) ? "Logons" : "Wallpapers");
}

std::string DataFile(const std::string& name) {
    return std::string(TSLN_ROTATION_DATA) + "\\" + name;
}
std::string FixtureProgram(const std::string& name) {
    return std::string(TSLN_ROTATION_FIXTURES) + "\\" + name;
}

void CopyTo(const std::string& from, const std::string& to) {
    REQUIRE(CopyFileA(from.c_str(), to.c_str(), FALSE));
}

std::string ShownWallpaper() {
    char path[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0);
    return path;
}

// What the pages change outside the product keys, kept as found: the desktop's values and picture, the
// desktop bitmap, the machine's logon program. Both lists start empty, alphabetical, without default.
struct ListsGuard {
    ListsGuard() {
        for (tsln::tType kind : {tsln::tType::Wallpapers, tsln::tType::Logons}) {
            testing::DeleteTree(HKEY_CURRENT_USER, KindKey(kind) + "\\List");
            testing::SetDword(HKEY_CURRENT_USER, KindKey(kind), "Default", 0);
            testing::SetDword(HKEY_CURRENT_USER, KindKey(kind), "Sort", 255);
            testing::SetString(HKEY_CURRENT_USER, KindKey(kind), "Current", "");
            testing::SetString(HKEY_CURRENT_USER, KindKey(kind), "Interval", "never");
        }
    }
    ~ListsGuard() { SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 0); }

    testing::RegValueSnapshot tile{HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper"};
    testing::RegValueSnapshot style{HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle"};
    testing::RegValueSnapshot paper{HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"};
    testing::RegValueSnapshot uiHost{HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost"};
    testing::FileSnapshot bitmap{testing::UserAppFolder() + "\\tsln.bmp"};
    std::string wallpaper = ShownWallpaper();
};

std::string StoredWallpaper() {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!testing::ReadRaw(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", type, data)) return {};
    return std::string(data.begin(), data.end()).c_str();
}

DWORD StoredDword(tsln::tType kind, const char* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!testing::ReadRaw(HKEY_CURRENT_USER, KindKey(kind), name, type, data) || data.size() != 4)
        return 0xFFFF;
    return *reinterpret_cast<const DWORD*>(data.data());
}

// The main window's shown controls, as another process sees them.
struct Find {
    std::string caption;
    std::string className;
    HWND found = nullptr;
};
BOOL CALLBACK FindShown(HWND child, LPARAM param) {
    auto* find = reinterpret_cast<Find*>(param);
    if (!IsWindowVisible(child)) return TRUE;
    if (!find->className.empty() ? testing::ClassOf(child) == find->className
                                 : testing::WindowText(child) == find->caption)
        find->found = child;
    return find->found == nullptr;
}
HWND Shown(HWND main, const std::string& caption) {
    Find find{caption, {}};
    EnumChildWindows(main, &FindShown, reinterpret_cast<LPARAM>(&find));
    REQUIRE_MESSAGE(find.found != nullptr, caption);
    return find.found;
}
HWND ShownOfClass(HWND main, const char* className) {
    Find find{{}, className};
    EnumChildWindows(main, &FindShown, reinterpret_cast<LPARAM>(&find));
    REQUIRE_MESSAGE(find.found != nullptr, className);
    return find.found;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}
int Lines(HWND combo) {
    return static_cast<int>(Ask(combo, CB_GETCOUNT));
}
std::string SelectedText(HWND combo) {
    char text[MAX_PATH] = {};
    Ask(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Which of a page's controls can be used, in a fixed order: list, preview, Apply, Add, Remove,
// Scheduling, the two order buttons, the default box.
struct PageHandles {
    HWND list, preview, apply, add, remove, scheduling, alphabetical, random, byDefault;
    std::string Usable() const {
        std::string usable;
        for (HWND control : {list, preview, apply, add, remove, scheduling, alphabetical, random, byDefault})
            usable += IsWindowEnabled(control) ? '1' : '0';
        return usable;
    }
};
PageHandles HandlesOf(HWND main, const std::string& defaultCaption) {
    return {ShownOfClass(main, "ComboBox"),
            ShownOfClass(main, "TessalineImage"),
            Shown(main, "Apply"),
            Shown(main, "Add to list"),
            Shown(main, "Remove"),
            Shown(main, "Scheduling"),
            Shown(main, "alphabetical order"),
            Shown(main, "randomize"),
            Shown(main, defaultCaption)};
}
constexpr const char* kEmptyList = "010100001";
constexpr const char* kOneEntry = "111110001";
constexpr const char* kEntries = "111111111";
constexpr const char* kDefaultOn = "000000001";

// A real shell drop of `paths`: the drop's memory is made in the receiving process, as the shell's own
// drop is, and the message posted to the window.
void DropOn(HWND window, const std::vector<std::string>& paths) {
    std::string block(sizeof(DROPFILES), '\0');
    for (const std::string& path : paths)
        block += path + '\0';
    block += '\0';
    auto* drop = reinterpret_cast<DROPFILES*>(&block[0]);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        HGLOBAL memory = GlobalAlloc(GHND, block.size());
        REQUIRE(memory != nullptr);
        memcpy(GlobalLock(memory), block.data(), block.size());
        GlobalUnlock(memory);
        PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        return;
    }
    tsln::unique_handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
    REQUIRE(process);
    void* remote = VirtualAllocEx(process.get(), nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
    REQUIRE(remote != nullptr);
    REQUIRE(WriteProcessMemory(process.get(), remote, block.data(), block.size(), nullptr));
    PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

// Answers the program's file picker with a path.
void PickFile(DWORD pid, const char* caption, const std::string& path) {
    HWND picker = testing::WaitForDialog(pid, caption);
    REQUIRE(picker != nullptr);
    shelltest::TypeFileName(picker, path);
    testing::Click(picker, IDOK);
    CHECK(testing::WaitFor([&] { return !IsWindow(picker); }));
}
} // namespace

TEST_CASE("the wallpaper page adds, applies, orders, schedules and removes through real clicks" *
          doctest::timeout(300)) {
    StartedExe app;
    ListsGuard lists;
    testing::TempDir folder("walls");
    CopyTo(DataFile("sea.jpg"), folder / "sea.jpg");
    CopyTo(DataFile("wide.jpg"), folder / "wide.jpg");

    app.Click("tab", "3");
    REQUIRE(testing::WaitFor([&] { return ShownCaption(app.main, "no wallpaper"); }));
    const PageHandles page = HandlesOf(app.main, "no wallpaper");
    CHECK(page.Usable() == kEmptyList);

    // "Add to list" asks with the picker; one entry cannot be scheduled or ordered.
    ClickOn(page.add);
    PickFile(app.process.Id(), "Select a image file", folder / "sea.jpg");
    REQUIRE(testing::WaitFor([&] { return Lines(page.list) == 1 && IsWindowEnabled(app.main); }));
    CHECK(testing::WaitFor([&] { return SelectedText(page.list) == "sea"; }));
    CHECK(testing::WaitFor([&] { return page.Usable() == kOneEntry; }));

    // A shell drop on the preview adds the other picture.
    DropOn(page.preview, {folder / "wide.jpg"});
    REQUIRE(testing::WaitFor([&] { return Lines(page.list) == 2 && SelectedText(page.list) == "wide"; }));
    CHECK(testing::WaitFor([&] { return page.Usable() == kEntries; }));

    // Apply: the selected picture becomes the desktop bitmap and the wallpaper.
    const std::string bitmap = testing::UserAppFolder() + "\\tsln.bmp";
    DeleteFileA(bitmap.c_str());
    ClickOn(page.apply);
    CHECK(testing::WaitFor([&] { return testing::PathExists(bitmap) && IsWindowEnabled(app.main); }));
    // Read from the desktop's stored value: the platform's answer in this process may be one it cached.
    CHECK(testing::WaitFor([&] { return lstrcmpiA(StoredWallpaper().c_str(), bitmap.c_str()) == 0; }));
    CHECK(testing::ReadFileBytes(bitmap).compare(0, 2, "BM") == 0);

    // The order buttons store the order at once and keep the entries.
    ClickOn(page.random);
    CHECK(testing::WaitFor(
        [&] { return StoredDword(tsln::tType::Wallpapers, "Sort") == 0 && IsWindowEnabled(app.main); }));
    ClickOn(page.alphabetical);
    CHECK(testing::WaitFor([&] { return StoredDword(tsln::tType::Wallpapers, "Sort") == 255; }));
    CHECK(testing::WaitFor([&] { return Lines(page.list) == 2 && IsWindowEnabled(app.main); }));

    // "Scheduling" opens the change-settings dialog for wallpapers; OK stores the chosen interval.
    ClickOn(page.scheduling);
    HWND dialog = nullptr;
    REQUIRE(testing::WaitFor(
        [&] { return (dialog = tsdriver::FindWindowOf(app.process.Id(), "TessalineChange")) != nullptr; }));
    REQUIRE(testing::WaitFor([&] { return IsWindowVisible(dialog) != FALSE; }));
    HWND intervals = ShownOfClass(dialog, "ComboBox");
    CHECK(Lines(intervals) == 10);
    CHECK(Ask(intervals, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("every hour")) >=
          0);
    ClickOn(Shown(dialog, "&OK"));
    CHECK(testing::WaitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.main); }));
    CHECK(testing::ReadString(HKEY_CURRENT_USER, KindKey(tsln::tType::Wallpapers), "Interval") ==
          "every hour");

    // "no wallpaper" takes the picture away and leaves only itself usable; unticked, the page is back.
    ClickOn(page.byDefault);
    CHECK(testing::WaitFor(
        [&] { return StoredDword(tsln::tType::Wallpapers, "Default") == 1 && page.Usable() == kDefaultOn; }));
    CHECK(ShownWallpaper().empty());
    ClickOn(page.byDefault);
    CHECK(testing::WaitFor(
        [&] { return StoredDword(tsln::tType::Wallpapers, "Default") == 0 && page.Usable() == kEntries; }));

    // "Remove" twice empties the list, and the page offers only additions again.
    ClickOn(page.remove);
    CHECK(testing::WaitFor([&] { return Lines(page.list) == 1 && page.Usable() == kOneEntry; }));
    ClickOn(page.remove);
    CHECK(testing::WaitFor([&] { return Lines(page.list) == 0 && page.Usable() == kEmptyList; }));

    app.Click("ok");
    CHECK(testing::WaitFor([&] { return ShownPages(app.main) == 0; }));
    CHECK(testing::ValueNames(HKEY_CURRENT_USER, KindKey(tsln::tType::Wallpapers) + "\\List").empty());
}

TEST_CASE("the logon-screen page refuses a program that is no logon screen") {
    StartedExe app;
    ListsGuard lists;
    app.Click("tab", "2");
    REQUIRE(testing::WaitFor([&] { return ShownCaption(app.main, "reset LogonUI to default"); }));
    const PageHandles page = HandlesOf(app.main, "reset LogonUI to default");
    CHECK(page.Usable() == kEmptyList);

    const std::string program = FixtureProgram("notlogon\\logonui.exe");
    ClickOn(page.add);
    PickFile(app.process.Id(), "Select a Logon Screen file", program);
    HWND box = testing::WaitForDialog(app.process.Id(), "Tessaline");
    REQUIRE(box != nullptr);
    const testing::BoxInfo info = testing::ReadBox(box);
    CHECK(info.text == program +
                           "\r\n it's not a valid LOGONUI file!\r\n\r\nDo you want to download more XP Logon "
                           "Screens?");
    CHECK(info.buttons == "Yes No");
    CHECK(info.icon == "information");
    CHECK(testing::Press(box, IDNO));
    CHECK(testing::WaitFor([&] { return IsWindowEnabled(app.main); }));
    CHECK(Lines(page.list) == 0);
    CHECK(page.Usable() == kEmptyList);
}

TEST_CASE("the list pages' drops and which of their controls can be used") {
    ListsGuard lists;
    InProcessMain app(IDNO);
    testing::TempDir folder("drops");
    CopyTo(DataFile("sea.jpg"), folder / "a.JPG");
    REQUIRE(testing::WriteFileBytes(folder / "b.txt", "text"));
    REQUIRE(testing::WriteFileBytes(folder / "c", "no extension"));
    REQUIRE(CreateDirectoryA((folder / "Blue").c_str(), nullptr));
    CopyTo(FixtureProgram("blue\\blue.exe"), folder / "Blue\\logon.EXE");

    app.Run("tab", "3");
    tsln::ListPage& walls = app.window->ListTab(tsln::tType::Wallpapers);
    const auto pump = [&](const std::function<bool()>& done) { return testing::PumpUntil(done, 10000); };
    const auto drop = [&](tsln::ListPage& page, const std::vector<std::string>& paths) {
        DropOn(page.imgPreview().hwnd(), paths);
        REQUIRE(pump([&] {
            MSG message;
            return !PeekMessageA(&message, page.imgPreview().hwnd(), WM_DROPFILES, WM_DROPFILES,
                                 PM_NOREMOVE) &&
                   IsWindowEnabled(app.main);
        }));
    };
    const auto usable = [](tsln::ListPage& page) {
        std::string usable;
        for (tsln::Control* control :
             std::vector<tsln::Control*>{&page.cboLista(), &page.imgPreview(), &page.cmdApply(),
                                         &page.cmdAdd(), &page.cmdRemove(), &page.cmdScheduling()})
            usable += control->Enabled() ? '1' : '0';
        const int first = page.Page() == 2 ? 0 : 2;
        for (int option : {first, first + 1})
            usable += page.optOrder(option).Enabled() ? '1' : '0';
        return usable + (page.chkDefault(page.Page()).Enabled() ? '1' : '0');
    };
    CHECK(usable(walls) == kEmptyList);

    // Only the picture is taken; the page then works on its one entry (Remove usable, no ordering).
    drop(walls, {folder / "a.JPG", folder / "b.txt", folder / "c"});
    REQUIRE(walls.cboLista().ListCount() == 1);
    CHECK(walls.cboLista().Text() == "a");
    CHECK(usable(walls) == kOneEntry);
    // A program is no wallpaper.
    drop(walls, {folder / "Blue\\logon.EXE"});
    CHECK(walls.cboLista().ListCount() == 1);

    // A folder adds the pictures directly in it, by name: the last added is selected.
    testing::TempDir pictures("dropped folder");
    CopyTo(DataFile("sea.jpg"), pictures / "m.jpg");
    CopyTo(DataFile("dune.gif"), pictures / "d.gif");
    REQUIRE(testing::WriteFileBytes(pictures / "n.txt", "text"));
    REQUIRE(CreateDirectoryA((pictures / "sub").c_str(), nullptr));
    CopyTo(DataFile("sea.jpg"), pictures / "sub\\s.jpg");
    CHECK(walls.DroppedFiles({pictures.Path()}) ==
          std::vector<std::string>{pictures / "d.gif", pictures / "m.jpg"});
    drop(walls, {pictures.Path()});
    CHECK(walls.cboLista().ListCount() == 3);
    CHECK(walls.cboLista().Text() == "m");
    CHECK(usable(walls) == kEntries);

    // Delete presses Remove while it is usable, and only then; Enter applies the selected picture.
    HWND list = walls.cboLista().hwnd();
    walls.cmdRemove().SetEnabled(false);
    SendMessageA(list, WM_KEYUP, VK_DELETE, 0xC0000001);
    CHECK(walls.cboLista().ListCount() == 3);
    walls.cmdRemove().SetEnabled(true);
    SendMessageA(list, WM_KEYUP, VK_DELETE, 0xC0000001);
    CHECK(walls.cboLista().ListCount() == 2);
    const std::string bitmap = tsln::AppFolder() + "tsln.bmp";
    SendMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001);
    CHECK(testing::PathExists(bitmap));

    // With "no wallpaper" only the box is usable, also when the page opens again.
    walls.chkDefault(3).SetValue(true);
    CHECK(usable(walls) == kDefaultOn);
    app.Run("ok");
    app.Run("tab", "3");
    CHECK(walls.chkDefault(3).Value());
    CHECK(usable(walls) == kDefaultOn);
    app.Run("ok");

    // The logon-screen page takes the logon screen dropped as logon.EXE, and names it after its folder.
    app.Run("tab", "2");
    tsln::ListPage& logons = app.window->ListTab(tsln::tType::Logons);
    CHECK(usable(logons) == kEmptyList);
    drop(logons, {folder / "Blue\\logon.EXE", folder / "a.JPG"});
    CHECK(logons.cboLista().ListCount() == 1);
    CHECK(logons.cboLista().Text() == "Blue");
    CHECK(usable(logons) == kOneEntry);
    app.Run("ok");
    CHECK(app.boxes.Seen().empty());
}
