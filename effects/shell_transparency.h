// The shell's taskbar and Start menu made translucent: finding the two windows, telling the classic Start
// menu from the XP style one, and when they are treated (at the agent's start, when the shell shows a new
// Start menu window, and when the user changes the options).
#pragma once
#include <windows.h>

namespace tsln {

class clsTranspEffects;

// The Start menu window last made translucent, 0 when none (or when it is to be treated again).
HWND StartMenuHwnd();
void SetStartMenuHwnd(HWND hwnd);

// True when the user chose the classic Start menu (byte 32 of the shell's "ShellState" is 0; a shorter
// value counts as the XP style). For the classic menu, a "UserPreferencesMask" with menu fade and cursor
// shadow on (byte 1 = 0x3E) is rewritten once without them. Failures are logged; the answer is then what
// was decided so far.
bool IsClassicStartMenu();

// The shell's windows, 0 when missing.
HWND FindTaskbarWindow();
HWND FindStartMenuWindow();

// The taskbar at its setting: the agent at its start and when a new taskbar appears.
void ApplyTaskbarTransparency(clsTranspEffects& effects);

// After the user changed the options: the taskbar at once, the Start menu when it is next shown.
void ReapplyShellTransparency();

// The agent's look at the Start menu, every 100 ms: a visible Start menu window not treated yet is made
// translucent, and the taskbar again with it.
class StartMenuPoll {
public:
    void Poll(clsTranspEffects& effects);

private:
    // A lasting failure to read the shell's style is logged once, not ten times a second.
    bool readFailing_ = false;
};

} // namespace tsln
