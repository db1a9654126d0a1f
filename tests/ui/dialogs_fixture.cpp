#include "tests/ui/dialogs_fixture.h"

#include <doctest.h>

namespace dialogs_test {

namespace {
DuringModal* gRunning = nullptr;
}

DialogsFixture::DialogsFixture() {
    AddPackage("Night");
    StoreSetting("Skin", "Night");
    tsln::clsSetari settings;
    settings.SetInterface_Transp(1);
    settings.SetOnTOP(0);
    skins = Start(main, page);
    ShowWindow(main.hwnd(), SW_SHOW);
    SetForegroundWindow(main.hwnd());
    SetActiveWindow(main.hwnd());
}

DuringModal::DuringModal(std::function<bool()> step) : step_(std::move(step)) {
    gRunning = this;
    timer_ = SetTimer(nullptr, 0, 5, &DuringModal::Tick);
    REQUIRE(timer_ != 0);
}

DuringModal::~DuringModal() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    gRunning = nullptr;
}

void CALLBACK DuringModal::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    DuringModal* self = gRunning;
    if (self == nullptr || self->finished_ || id != self->timer_) return;
    try {
        if (self->step_()) {
            self->finished_ = true;
            KillTimer(nullptr, self->timer_);
            self->timer_ = 0;
        }
    } catch (...) {
        // A failed check inside the step is recorded by doctest; nothing may escape into the dispatch.
    }
}

HWND FindDialog(const char* className) {
    for (HWND window = FindWindowA(className, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

void LeftClick(HWND window) {
    const LPARAM inside = MAKELPARAM(4, 4);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PostMessageA(window, WM_LBUTTONUP, 0, inside);
}

void PressKey(WPARAM key) {
    HWND focus = GetFocus();
    REQUIRE(focus != nullptr);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

bool HasRegion(HWND window) {
    tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, static_cast<HRGN>(region.get())) != ERROR;
}

} // namespace dialogs_test
