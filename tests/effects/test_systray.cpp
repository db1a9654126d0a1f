// The tray icon against the real notification area of Wine's shell.
#include "core/window.h"
#include "shellutil/systray_icon.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <string>
#include <vector>

using testing::PumpUntil;
using tsln::CSystrayIcon;

namespace {

// A hidden top-level window standing for the agent: it receives the shell's broadcasts and puts its icon
// back when a new taskbar is announced.
class TrayOwner : public tsln::Window {
public:
    explicit TrayOwner(CSystrayIcon& tray) : tray_(tray) {
        REQUIRE(Create(GetModuleHandleA(nullptr), "TslnTrayOwner", "tray owner", WS_POPUP, WS_EX_TOOLWINDOW,
                       0, 0, 0, 0, nullptr));
    }
    int announcements = 0;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == CSystrayIcon::TaskbarCreatedMessage()) {
            tray_.ReAddIcon();
            ++announcements;
            return 0;
        }
        return Default(message, wParam, lParam);
    }
    const char* FailureSource() const override { return "Tessaline.TrayOwner.WindowProc"; }

private:
    CSystrayIcon& tray_;
};

} // namespace

TEST_CASE(
    "the record is the first form (88 bytes, 104 in a 64-bit program) with one icon, its message, icon and a "
    "tip of at most 63 characters") {
    CSystrayIcon tray;
    const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    const std::string tip(100, 'x');
    tray.Initialize(reinterpret_cast<HWND>(0x1234), icon, tip, WM_MOUSEMOVE);
    const NOTIFYICONDATAA& record = tray.NotifyData();
    CHECK(record.cbSize == (sizeof(void*) == 8 ? 104u : 88u));
    CHECK(record.hWnd == reinterpret_cast<HWND>(0x1234));
    CHECK(record.uID == 1);
    CHECK(record.uFlags == 7);
    CHECK(record.uCallbackMessage == WM_MOUSEMOVE);
    CHECK(record.hIcon == icon);
    CHECK(std::string(record.szTip) == tip.substr(0, 63));
    CHECK_FALSE(tray.IconShown());
    tray.Initialize(reinterpret_cast<HWND>(0x1234), icon, "Tessaline v1.8", WM_MOUSEMOVE);
    CHECK(std::string(record.szTip) == "Tessaline v1.8");
}

TEST_CASE("the icon is added once and removed once, and its object removes it when it goes") {
    tsln::unique_hwnd owner(CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                            GetModuleHandleA(nullptr), nullptr));
    REQUIRE(owner);
    const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    std::vector<int32_t> failures;
    {
        CSystrayIcon tray;
        tray.NIError = [&](int32_t code) { failures.push_back(code); };
        tray.Initialize(owner.get(), icon, "Tessaline v1.8", WM_MOUSEMOVE);

        CHECK(tray.ShowIcon());
        CHECK(tray.IconShown());
        CHECK(testing::IconInTray(owner.get()));
        CHECK_FALSE(tray.ShowIcon()); // a second add would have failed and been raised
        CHECK(tray.HideIcon());
        CHECK_FALSE(tray.IconShown());
        CHECK_FALSE(testing::IconInTray(owner.get()));
        CHECK_FALSE(tray.HideIcon());
        CHECK(failures.empty());

        REQUIRE(tray.ShowIcon());
    }
    CHECK_FALSE(testing::IconInTray(owner.get()));
    CHECK(failures.empty());

    {
        // An add the shell refuses is raised and leaves the icon counted as hidden.
        CSystrayIcon first;
        first.Initialize(owner.get(), icon, "first", WM_MOUSEMOVE);
        REQUIRE(first.ShowIcon());
        CSystrayIcon second;
        second.NIError = [&](int32_t code) { failures.push_back(code); };
        second.Initialize(owner.get(), icon, "second", WM_MOUSEMOVE);
        CHECK_FALSE(second.ShowIcon());
        CHECK(failures.size() == 1);
        CHECK_FALSE(second.IconShown());
    }
    CHECK_FALSE(testing::IconInTray(owner.get()));
}

TEST_CASE(
    "when the shell announces a new taskbar, a shown icon is put back as it was and a hidden one is not") {
    CSystrayIcon tray;
    std::vector<int32_t> failures;
    tray.NIError = [&](int32_t code) { failures.push_back(code); };
    TrayOwner owner(tray);
    tray.Initialize(owner.hwnd(), LoadIconA(nullptr, IDI_APPLICATION), "Tessaline v1.8", WM_MOUSEMOVE);
    const UINT announcement = CSystrayIcon::TaskbarCreatedMessage();
    REQUIRE(announcement != 0);
    auto announce = [&] {
        const int before = owner.announcements;
        REQUIRE(PostMessageA(HWND_BROADCAST, announcement, 0, 0));
        REQUIRE(PumpUntil([&] { return owner.announcements > before; }));
    };

    REQUIRE(tray.ShowIcon());
    REQUIRE(testing::DropFromTray(owner.hwnd())); // the old shell went with its icons
    CHECK_FALSE(testing::IconInTray(owner.hwnd()));
    announce();
    CHECK(testing::IconInTray(owner.hwnd()));
    CHECK(tray.IconShown());

    announce(); // an announcement while the tray still holds the icon
    CHECK(testing::IconInTray(owner.hwnd()));
    CHECK(tray.IconShown());
    CHECK(failures.empty());

    REQUIRE(tray.HideIcon()); // the main window is open
    announce();
    CHECK_FALSE(testing::IconInTray(owner.hwnd()));
    CHECK(failures.empty());
}
