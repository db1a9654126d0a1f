#include "rotation/frm_logo.h"
#include "core/app_error.h"

namespace tsln {

namespace {
std::unique_ptr<frmLogo> gLogo;
} // namespace

void frmLogo::Load(HINSTANCE instance, const std::string& argumentText) {
    auto logo = std::make_unique<frmLogo>();
    logo->startedHidden_ = argumentText == "-s";
    // Never shown: a top-level window that stays hidden (and out of the task list).
    if (!logo->Create(instance, kClassName, "Tessaline", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    gLogo = std::move(logo);
}

frmLogo* frmLogo::Instance() {
    return gLogo.get();
}

void frmLogo::Unload() {
    if (gLogo && gLogo->hwnd()) DestroyWindow(gLogo->hwnd());
}

LRESULT frmLogo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tsln
