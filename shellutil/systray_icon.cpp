#include "shellutil/systray_icon.h"

#include <cstddef>

namespace tsln {

namespace {
constexpr UINT kIconId = 1; // the program has one icon
// The record's first form, which every shell takes: 88 bytes in a 32-bit program, 104 in a 64-bit one.
#ifdef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 104, "the 64-bit record's first form");
#else
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the 32-bit record's first form");
#endif
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == NOTIFYICONDATAA_V1_SIZE, "a 64-character tip");
} // namespace

CSystrayIcon::CSystrayIcon() {
    notifyData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
}

CSystrayIcon::~CSystrayIcon() {
    try {
        HideIcon();
    } catch (...) {
        // An NIError handler's failure must not leave a destructor.
    }
}

void CSystrayIcon::Initialize(HWND hWnd, HICON hIcon, const std::string& sTip, UINT uCallbackMessage) {
    notifyData_ = NOTIFYICONDATAA{};
    notifyData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    notifyData_.hWnd = hWnd;
    notifyData_.uID = kIconId;
    notifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    notifyData_.uCallbackMessage = uCallbackMessage;
    notifyData_.hIcon = hIcon;
    lstrcpynA(notifyData_.szTip, sTip.c_str(), 64); // 63 characters and the NUL
    iconShown_ = false;
}

bool CSystrayIcon::Call(DWORD message, int32_t& code) {
    SetLastError(0);
    if (Shell_NotifyIconA(message, &notifyData_)) return true;
    code = static_cast<int32_t>(GetLastError());
    return false;
}

void CSystrayIcon::RaiseNIError(int32_t code) {
    if (NIError) NIError(code);
}

bool CSystrayIcon::Notify(DWORD message) {
    int32_t code = 0;
    if (Call(message, code)) return true;
    RaiseNIError(code);
    return false;
}

bool CSystrayIcon::ShowIcon() {
    if (iconShown_) return false;
    if (!Notify(NIM_ADD)) return false;
    iconShown_ = true;
    return true;
}

bool CSystrayIcon::HideIcon() {
    if (!iconShown_) return false;
    if (!Notify(NIM_DELETE)) return false;
    iconShown_ = false;
    return true;
}

bool CSystrayIcon::ReAddIcon() {
    if (!iconShown_) return false;
    int32_t code = 0;
    if (Call(NIM_ADD, code)) return true;
    // A tray that kept the icon (the broadcast came without a restart) refuses the add but still has it.
    int32_t ignored = 0;
    if (Call(NIM_MODIFY, ignored)) return true;
    iconShown_ = false;
    RaiseNIError(code);
    return false;
}

UINT CSystrayIcon::TaskbarCreatedMessage() {
    return RegisterWindowMessageA("TaskbarCreated"); // the same number for every caller in the session
}

} // namespace tsln
