#include "core/flash_hook.h"
#include "core/app_error.h"

#include <cstring>

namespace tsln {

namespace {
HWND gFlashWnd = nullptr;
WNDPROC gFlashOldProc = nullptr;

// Kept on each filtered window: its procedure before the filter (present while the filter is in its
// chain), and a mark while the filter swallows input.
const char kOldProcProp[] = "Tessaline.FlashOldProc";
const char kFilteringProp[] = "Tessaline.FlashFiltering";

bool IsPlayerClass(const char* name) {
    return strcmp(name, "MacromediaFlashPlayerActiveX") == 0 || strncmp(name, "ATL:", 4) == 0;
}

bool Swallowed(UINT message) {
    return message == WM_KEYDOWN || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP;
}

WNDPROC PreviousProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProp));
}

void Forget(HWND hwnd) {
    RemovePropA(hwnd, kOldProcProp);
    RemovePropA(hwnd, kFilteringProp);
    if (hwnd == gFlashWnd) {
        gFlashWnd = nullptr;
        gFlashOldProc = nullptr;
    }
}
} // namespace

LRESULT CALLBACK MyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// One window of the enumeration; `found` receives the first player window. True goes on.
BOOL CALLBACK EnumChildProc(HWND hwnd, LPARAM found) {
    return Guarded("Tessaline.modMain.EnumChildProc", kSilent, FALSE, [&]() -> BOOL {
        char name[256] = {}; // at most 255 characters and the NUL
        GetClassNameA(hwnd, name, sizeof name);
        if (!IsPlayerClass(name)) return TRUE;
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    });
}

LRESULT CALLBACK MyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded("Tessaline.modMain.MyWindowProc", kSilent, LRESULT(0), [&]() -> LRESULT {
        const WNDPROC previous = PreviousProc(hwnd);
        if (previous == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // The window goes with its filter: a later window, even under the same handle, is new.
            if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&MyWindowProc))
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            Forget(hwnd);
            return CallWindowProcA(previous, hwnd, message, wParam, lParam);
        }
        if (Swallowed(message) && GetPropA(hwnd, kFilteringProp) != nullptr) return 0;
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    });
}

namespace {
void Install(HWND hwnd) {
    // Installed once per window: a second install would record the filter as its own predecessor.
    if (PreviousProc(hwnd) == nullptr) {
        const LONG_PTR previous = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
        if (previous == 0) throw Win32Failure(GetLastError(), __LINE__);
        if (!SetPropA(hwnd, kOldProcProp, reinterpret_cast<HANDLE>(previous))) {
            const DWORD code = GetLastError();
            throw Win32Failure(code, __LINE__);
        }
        SetLastError(0);
        if (SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MyWindowProc)) == 0 &&
            GetLastError() != 0) {
            const DWORD code = GetLastError();
            RemovePropA(hwnd, kOldProcProp);
            throw Win32Failure(code, __LINE__);
        }
    }
    if (!SetPropA(hwnd, kFilteringProp, reinterpret_cast<HANDLE>(1)))
        throw Win32Failure(GetLastError(), __LINE__);
    gFlashWnd = hwnd;
    gFlashOldProc = PreviousProc(hwnd);
}

void Remove(HWND hwnd) {
    if (IsWindow(hwnd) && PreviousProc(hwnd) != nullptr) {
        if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&MyWindowProc)) {
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviousProc(hwnd)));
            RemovePropA(hwnd, kOldProcProp);
        }
        // Otherwise a later subclass sits on top: the filter stays in the chain and passes everything on.
        RemovePropA(hwnd, kFilteringProp);
    }
    gFlashWnd = nullptr;
    gFlashOldProc = nullptr;
}
} // namespace

HWND FlashWnd() {
    return gFlashWnd;
}

WNDPROC FlashOldProc() {
    return gFlashOldProc;
}

void FlashMenu(HWND mainWindow, bool restore) {
    Guarded("Tessaline.modMain.FlashMenu", kSilent, [&] {
        if (restore) {
            if (gFlashWnd != nullptr) Remove(gFlashWnd);
            return;
        }
        HWND found = nullptr;
        EnumChildWindows(mainWindow, &EnumChildProc, reinterpret_cast<LPARAM>(&found));
        if (found != nullptr) Install(found);
    });
}

} // namespace tsln
