#include "tools/screenshots/skinned_window.h"
#include "core/app_error.h"

namespace tsln::skintool {

SkinnedWindow::SkinnedWindow() : movie_(player_, *this) {
    WindowClassOptions options;
    options.background = nullptr; // the movie paints the whole window
    if (!Create(GetModuleHandleA(nullptr), "TessalineSkinnedWindow", "Tessaline", WS_POPUP, 0, 0, 0, 100, 100,
                nullptr, options))
        TSLN_FAIL(static_cast<int32_t>(GetLastError()), "The skinned window could not be created");
    player_.FSCommand = [this](const std::string& command, const std::string& args) {
        commands.emplace_back(command, args);
        if (command == "tab") player_.GotoFrame(player_.CurrentFrame() + 4);
    };
}

SkinsPageControls SkinnedWindow::NoPage() {
    SkinsPageControls page;
    page.ClearList = [] {};
    page.AddToList = [](const std::string&) {};
    page.ListText = [] { return std::string(); };
    page.SetListText = [](const std::string&) {};
    page.EnableList = [](bool) {};
    page.ShowPreview = [](unique_picture) {};
    page.SetDescription = [](const std::string&) {};
    page.EnableApply = [](bool) {};
    return page;
}

bool SkinnedWindow::SetBackColor(COLORREF color) {
    back = color;
    brush_.reset(CreateSolidBrush(color));
    InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

bool SkinnedWindow::SetForeColor(COLORREF color) {
    fore = color;
    return true;
}

LRESULT SkinnedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND && brush_) {
        RECT client;
        GetClientRect(hwnd(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(brush_.get()));
        return 1;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace tsln::skintool
