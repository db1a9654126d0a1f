// Page 1: adding and removing visual-styles manifests for other programs.
#pragma once
#include "ui/controls/control_array.h"
#include "ui/controls/frame.h"
#include "ui/main/main_page.h"

namespace tsln {

class StylesPage : public MainPage {
public:
    StylesPage(frmMain& window, PictureBox& panel);

    Frame& fraOptions(int index) const { return fraOptions_(index); }
    PictureBox& picFrame(int index) const { return picFrame_(index); }

private:
    ControlArray<Frame> fraOptions_{"fraOptions"};
    ControlArray<PictureBox> picFrame_{"picFrame"};
};

} // namespace tsln
