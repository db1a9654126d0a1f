// The program's one icon in the notification area of the taskbar.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tsln {

// Adds and removes one icon with a tip; mouse activity over it arrives at the chosen window as the chosen
// message. The window and the icon stay the caller's: keep them alive while the icon is shown.
class CSystrayIcon {
public:
    CSystrayIcon();
    // Removes the icon when it is shown.
    ~CSystrayIcon();
    CSystrayIcon(const CSystrayIcon&) = delete;
    CSystrayIcon& operator=(const CSystrayIcon&) = delete;

    // Fills the record (the tip cut to 63 characters) and counts the icon as hidden; no platform call.
    void Initialize(HWND hWnd, HICON hIcon, const std::string& sTip, UINT uCallbackMessage);
    // Adds the icon; false, without a platform call, when it is already shown.
    bool ShowIcon();
    // Removes the icon; false, without a platform call, when it is not shown.
    bool HideIcon();
    // After the shell restarted (TaskbarCreatedMessage): puts a shown icon back into the new tray with the
    // same window, icon, tip and message. False, without a platform call, when the icon is hidden; when it
    // cannot be put back it counts as hidden.
    bool ReAddIcon();

    bool IconShown() const { return iconShown_; }
    // The record as the shell receives it (its first form: 88 bytes, 104 in a 64-bit program).
    const NOTIFYICONDATAA& NotifyData() const { return notifyData_; }

    // The message the shell broadcasts to top-level windows when it has made a new taskbar.
    static UINT TaskbarCreatedMessage();

    // Raised with the platform's last-error code when adding or removing fails.
    std::function<void(int32_t ErrorNumber)> NIError;

private:
    bool Call(DWORD message, int32_t& code);
    bool Notify(DWORD message);
    void RaiseNIError(int32_t code);

    NOTIFYICONDATAA notifyData_{};
    bool iconShown_ = false;
};

} // namespace tsln
