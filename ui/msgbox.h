// The program's own message box, for what the program tells the user in its own look: the close
// confirmation, the visual-styles results, missing picture files.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace tsln {

class clsSkins;

// Message box kinds: OK alone, or OK and Cancel.
constexpr int32_t kMsgBoxOk = 0;
constexpr int32_t kMsgBoxOkCancel = 1;

// Shows `message` modally and returns 1 when OK was pressed, 0 otherwise. `fontSize` is the size in
// points the message is set in. While a main window is registered the box shows over it with its skin
// manager; otherwise centred on the screen in the stored skin's look. Failures pass to the caller.
int32_t ShowMsgBox(const std::string& message, int16_t fontSize, int32_t type);

// The main window registers itself (and its skin manager) once it has one, and unregisters before the
// manager goes; unregistering a window that is not the registered one changes nothing.
void RegisterMsgBoxOwner(HWND mainWindow, clsSkins* skins);
void UnregisterMsgBoxOwner(HWND mainWindow);

} // namespace tsln
