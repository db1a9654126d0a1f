// The input filter of the main window's movie: the player window's procedure is replaced by one that
// swallows right-button presses and releases and key presses (so no context menu opens and the movie
// takes no keys) and passes everything else on. A window is filtered at most once, however often the
// filter is installed; a player window that dies takes its filter with it.
#pragma once
#include <windows.h>

namespace tsln {

// The player window filtered last, nullptr when none (or once it is gone), and the window procedure it
// had before the filter.
HWND FlashWnd();
WNDPROC FlashOldProc();

// restore false: filters the first window below `mainWindow` (in the platform's order) whose class is the
// Flash player's, "MacromediaFlashPlayerActiveX", or begins with "ATL:"; nothing when there is none.
// restore true: removes the filter from FlashWnd(), if any (`mainWindow` is not used). Failures are
// reported, silent.
void FlashMenu(HWND mainWindow, bool restore);

} // namespace tsln
