#include "ui/controls/painted_control.h"
#include "ui/controls/bitmap.h"

namespace tsln {

void PaintedControl::CreatePainted(HWND parent, const char* className, const std::string& text, DWORD style,
                                   const Bounds& bounds) {
    RegisterControlClass(className);
    CreateChild(parent, className, text, style | WS_VISIBLE | WS_CLIPSIBLINGS, 0, bounds);
}

LRESULT PaintedControl::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint routine covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        auto end = make_scope_exit([&] { EndPaint(hwnd(), &ps); });
        RECT client;
        GetClientRect(hwnd(), &client);
        Paint(dc, client);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(hwnd(), &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_SETTEXT:
    case WM_ENABLE: {
        const LRESULT result = CallOriginal(message, wParam, lParam);
        InvalidateRect(hwnd(), nullptr, FALSE);
        return result;
    }
    default:
        return CallOriginal(message, wParam, lParam);
    }
}

} // namespace tsln
