#include "ui/msgbox.h"
#include "ui/frm_msgbox.h"

namespace tsln {

namespace {
// The main window the boxes show over, and its skin manager (both null while there is none).
struct MsgBoxOwner {
    HWND window = nullptr;
    clsSkins* skins = nullptr;
};
MsgBoxOwner gOwner;
} // namespace

int32_t ShowMsgBox(const std::string& message, int16_t fontSize, int32_t type) {
    if (gOwner.window != nullptr && IsWindow(gOwner.window))
        return ShowSkinnedMsgBox(gOwner.skins, gOwner.window, message, fontSize, type);
    return ShowSkinnedMsgBox(nullptr, nullptr, message, fontSize, type);
}

void RegisterMsgBoxOwner(HWND mainWindow, clsSkins* skins) {
    gOwner = {mainWindow, skins};
}

void UnregisterMsgBoxOwner(HWND mainWindow) {
    if (gOwner.window == mainWindow) gOwner = {};
}

} // namespace tsln
