#include "ui/main/main_page.h"
#include "ui/main/frm_main.h"

namespace tsln {

MainPage::MainPage(frmMain& window, PictureBox& panel) : window_(window), panel_(panel) {
    lblHELP_ = std::make_unique<Label>(panel.hwnd(), "", Bounds{120, frmMain::kPageHeight - 285, 6495, 255});
    lblHELP_->SetName("lblHELP", panel.Index());
}

} // namespace tsln
