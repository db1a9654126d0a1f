#include "rotation/frm_logo.h"
#include "core/app_error.h"
#include "core/product.h"

namespace tsln {

namespace {
unique_window<frmLogo> gLogo;
} // namespace

void frmLogo::Load(HINSTANCE instance, const std::string& argumentText, AgentHost host) {
    unique_window<frmLogo> logo(new frmLogo);
    // Never shown: a top-level window that stays hidden (and out of the task list).
    if (!logo->Create(instance, kClassName, kProductTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr))
        throw Win32Failure(GetLastError(), __LINE__);
    logo->host_ = std::move(host);
    gLogo = std::move(logo);
    gLogo->Form_Load(argumentText);
}

frmLogo* frmLogo::Instance() {
    return gLogo.get();
}

void frmLogo::Unload() {
    if (gLogo && gLogo->hwnd()) DestroyWindow(gLogo->hwnd());
}

void frmLogo::Form_Load(const std::string& argumentText) {
    Guarded("Tessaline.frmLogo.Form_Load", kSilent, [&] {
        startedHidden_ = argumentText == "-s";
        if (!startedHidden_ && host_.showMainWindow) host_.showMainWindow();
    });
}

void frmLogo::OnDestroyed() {
    gLogo.reset(); // the next load builds a new agent
}

LRESULT frmLogo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tsln
