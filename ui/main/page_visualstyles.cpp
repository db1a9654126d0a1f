#include "ui/main/page_visualstyles.h"
#include "ui/main/frm_main.h"

namespace tsln {

StylesPage::StylesPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    fraOptions_.Add(0, tab, "  Add Visual Styles Support   ", Bounds{120, 120, 3180, 2880});
    fraOptions_.Add(1, tab, "  Remove Visual Styles Support   ", Bounds{3435, 120, 3180, 2880});
    for (int index = 0; index < 2; ++index)
        picFrame_.Add(index, fraOptions_(index).hwnd(), Bounds{120, 300, 2940, 2460});
}

} // namespace tsln
