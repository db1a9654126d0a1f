// The small shared helpers of the start-up module.
#include "core/mod_main.h"
#include "core/units.h"
#include "core/window.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <stdexcept>

using namespace tsln;

TEST_CASE("AddBackslash") {
    CHECK(AddBackslash("") == "\\");
    CHECK(AddBackslash("C:\\Tools") == "C:\\Tools\\");
    CHECK(AddBackslash("C:\\Tools\\") == "C:\\Tools\\");
    CHECK(AddBackslash("a b") == "a b\\");
}

TEST_CASE("FileExists sees files and folders") {
    testing::TempDir dir("exists");
    CHECK(FileExists(dir.Path()));
    CHECK_FALSE(FileExists(dir / "missing.txt"));
    REQUIRE(testing::WriteFileBytes(dir / "My File", ""));
    CHECK(FileExists(dir / "My File"));
    SetFileAttributesA((dir / "My File").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    CHECK(FileExists(dir / "My File"));
    CHECK_FALSE(FileExists(""));
    CHECK_FALSE(FileExists("Q:\\nowhere\\x"));
}

TEST_CASE("Windows versions are named by the table") {
    struct Row {
        DWORD major, platform, minor;
        const char* name;
    };
    const Row rows[] = {
        {3, 2, 51, "Windows NT 3.x"},
        {3, 1, 10, "Windows 3.x"},
        {3, 0, 1, "Windows 3.x"},
        {4, 2, 0, "Windows NT 4.0"},
        {4, 1, 0, "Windows 95"},
        {4, 1, 90, "Windows ME"},
        {4, 1, 10, "Windows 98"},
        {4, 0, 3, "Windows 98"},
        {5, 2, 0, "Windows 2000"},
        {5, 2, 1, "Windows XP"},
        {5, 2, 2, "Windows XP"},
        {5, 1, 0, "Windows 2000"},
        {6, 2, 0, "Unknown Windows Version"},
        {6, 2, 1, "Unknown Windows Version"},
        {10, 2, 0, "Unknown Windows Version"},
        {2, 2, 0, "Unknown Windows Version"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.major);
        CAPTURE(row.platform);
        CAPTURE(row.minor);
        CHECK(OSVersionName(row.major, row.platform, row.minor) == row.name);
    }
    CHECK(OSVersion() == "Windows XP"); // the test prefix reports XP
}

TEST_CASE("argument text is everything after the program name") {
    CHECK(ArgumentText("\"C:\\Program Files\\Tessaline\\Tessaline.exe\" -utsln") == "-utsln");
    CHECK(ArgumentText("Tessaline.exe -s") == "-s");
    CHECK(ArgumentText("Tessaline.exe") == "");
    CHECK(ArgumentText("\"C:\\a b\\T.exe\"") == "");
    CHECK(ArgumentText("T.exe   -utsln x") == "-utsln x");
    CHECK(ArgumentText("T.exe -UTSLN ") == "-UTSLN ");
}

TEST_CASE("the running program's names") {
    CHECK(ExeBaseName() == "test_core");
    std::string folder = ProgramFolder();
    CHECK(folder.back() != '\\');
    CHECK(FileExists(folder + "\\test_core.exe"));
    std::string appData = UserAppDataFolder();
    CHECK_FALSE(appData.empty());
    CHECK(FileExists(appData));
}

namespace {
class PlainWindow : public Window {
public:
    bool Make(int x, int y, int w, int h, DWORD style) {
        return Create(GetModuleHandleA(nullptr), "TslnTestPlain", "plain", style, 0, x, y, w, h, nullptr);
    }

protected:
    const char* FailureSource() const override { return "Tessaline.test.Plain"; }
};
} // namespace

TEST_CASE("dialogs are centred over the main window in whole twips") {
    PlainWindow main, dialog;
    REQUIRE(main.Make(100, 80, 400, 300, WS_OVERLAPPEDWINDOW));
    REQUIRE(dialog.Make(0, 0, 201, 121, WS_POPUP | WS_BORDER));
    CenterOverMain(dialog.hwnd(), main.hwnd());

    RECT m, c, d;
    GetWindowRect(main.hwnd(), &m);
    GetClientRect(main.hwnd(), &c);
    GetWindowRect(dialog.hwnd(), &d);
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    const long top = (m.top * ty + (c.bottom * ty - (d.bottom - d.top) * ty) / 2) / ty;
    const long left = (m.left * tx + (c.right * tx - (d.right - d.left) * tx) / 2) / tx;
    CHECK(d.top == top);
    CHECK(d.left == left);
    CHECK(d.right - d.left == 201); // the size stays

    // A main window that cannot be read counts as all zeros.
    CenterOverMain(dialog.hwnd(), nullptr);
    GetWindowRect(dialog.hwnd(), &d);
    CHECK(d.left == ((0 - 201 * tx) / 2) / tx);
    CHECK(d.top == ((0 - 121 * ty) / 2) / ty);
}

TEST_CASE("window objects receive their messages and detach when destroyed") {
    struct Counting : Window {
        int created = 0, destroyed = 0;
        bool Make() {
            return Create(GetModuleHandleA(nullptr), "TslnTestCounting", "c", WS_POPUP, 0, 0, 0, 10, 10,
                          nullptr);
        }
        LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override {
            if (m == WM_CREATE) ++created;
            if (m == WM_USER + 1) throw std::runtime_error("handler failure stays inside");
            return Default(m, w, l);
        }
        void OnDestroyed() override { ++destroyed; }
        const char* FailureSource() const override { return "Tessaline.test.Counting"; }
    };
    testing::TempDir logDir("wnd");
    std::string old = AppFolder();
    SetAppFolder(logDir.Path() + "\\");
    Counting w;
    REQUIRE(w.Make());
    CHECK(w.created == 1);
    HWND hwnd = w.hwnd();
    SendMessageA(hwnd, WM_USER + 1, 0, 0); // reported silently, nothing escapes
    CHECK(testing::ReadFileBytes(logDir / "test_core.log").find("Tessaline.test.Counting") !=
          std::string::npos);
    DestroyWindow(hwnd);
    CHECK(w.destroyed == 1);
    CHECK(w.hwnd() == nullptr);
    CHECK(GetWindowLongPtrA(hwnd, GWLP_USERDATA) == 0);
    SetAppFolder(old);
}

TEST_CASE("long loops let queued messages run from their first item on") {
    struct Counting : Window {
        int seen = 0;
        bool Make() {
            return Create(GetModuleHandleA(nullptr), "TslnTestEvents", "e", WS_POPUP, 0, 0, 0, 10, 10,
                          nullptr);
        }
        LRESULT HandleMessage(UINT m, WPARAM w, LPARAM l) override {
            if (m == WM_USER + 7) ++seen;
            return Default(m, w, l);
        }
        const char* FailureSource() const override { return "Tessaline.test.Events"; }
    } w;
    REQUIRE(w.Make());
    EventsBetweenItems events(60000);
    PostMessageA(w.hwnd(), WM_USER + 7, 0, 0);
    events();
    CHECK(w.seen == 1);
    // Within the interval the queue is left alone; DoEvents itself always runs it.
    PostMessageA(w.hwnd(), WM_USER + 7, 0, 0);
    events();
    CHECK(w.seen == 1);
    DoEvents();
    CHECK(w.seen == 2);
}

TEST_CASE("a selected object is put back when its owner ends, and only once after a move") {
    tsln::unique_hdc dc(CreateCompatibleDC(nullptr));
    REQUIRE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    tsln::unique_gdi first(CreateCompatibleBitmap(dc.get(), 4, 4)),
        second(CreateCompatibleBitmap(dc.get(), 4, 4));
    {
        tsln::unique_select outer(dc.get(), first.get());
        REQUIRE(outer);
        {
            const tsln::unique_select inner(dc.get(), second.get());
            CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == second.get());
        }
        CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == first.get());
        tsln::unique_select moved = std::move(outer);
        CHECK_FALSE(outer);
        outer.reset(); // empty: selects nothing
        CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == first.get());
    }
    CHECK(GetCurrentObject(dc.get(), OBJ_BITMAP) == original);
    CHECK_FALSE(tsln::unique_select(dc.get(), nullptr)); // nothing selected, nothing to put back
    const tsln::unique_window_dc screen;
    CHECK(GetDeviceCaps(screen.get(), LOGPIXELSX) > 0);
}
