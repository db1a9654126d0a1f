// Page 0: the translucency of the taskbar and the Start menu, with its slider and live preview.
#pragma once
#include "ui/controls/buttons.h"
#include "ui/controls/control_array.h"
#include "ui/cpv_slider.h"
#include "ui/main/main_page.h"

#include <cstdint>
#include <memory>

namespace tsln {

class TranspPage : public MainPage {
public:
    TranspPage(frmMain& window, PictureBox& panel);

    void Open() override;

    // The slider's value; writing it runs the slider's release handler as well.
    uint8_t LevelVAL() const;
    void SetLevelVAL(uint8_t value);

    cpvSlider& Level() const { return *Level_; }
    CheckBox& chkTaskTransp(int index) const { return chkTaskTransp_(index); }
    PictureBox& picPreviewTransp(int index) const { return picPreviewTransp_(index); }
    Label& lblDescription() const { return lblDescription_(0); }

private:
    void Level_MouseUp(int16_t shift);

    std::unique_ptr<cpvSlider> Level_;
    ControlArray<PictureBox> picPreviewTransp_{"picPreviewTransp"};
    ControlArray<CheckBox> chkTaskTransp_{"chkTaskTransp"};
    ControlArray<Label> lblDescription_{"lblDescription"};
};

} // namespace tsln
