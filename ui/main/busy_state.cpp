#include "ui/main/busy_state.h"
#include "ui/main/frm_main.h"

namespace tsln {

BusyState::BusyState(frmMain& window, MousePointer pointer) : window_(window) {
    window_.HoldUnload();
    window_.SetMousePointer(pointer);
    EnableWindow(window_.hwnd(), FALSE);
}

BusyState::~BusyState() {
    window_.SetMousePointer(MousePointer::kDefault);
    if (window_.hwnd() != nullptr) EnableWindow(window_.hwnd(), TRUE);
    window_.ReleaseUnload();
}

} // namespace tsln
