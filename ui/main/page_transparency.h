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
    // The slider's range: the taskbar's alpha from nearly clear to nearly opaque.
    static constexpr int32_t kLevelMin = 76;
    static constexpr int32_t kLevelMax = 230;
    // The preview shows the level a little clearer than the slider's value.
    static constexpr int kPreviewOffset = 5;

    TranspPage(frmMain& window, PictureBox& panel);

    void Open() override;

    // The slider's value; writing it runs the slider's release handler as well.
    uint8_t LevelVAL() const;
    void SetLevelVAL(uint8_t value);

    cpvSlider& Level() const { return *Level_; }
    CheckBox& chkTaskTransp(int index) const { return chkTaskTransp_(index); }
    // 0: the backdrop the preview draws on; 1: the taskbar-like strip it draws there (never shown itself).
    PictureBox& picPreviewTransp(int index) const { return picPreviewTransp_(index); }
    Label& lblDescription() const { return lblDescription_(0); }

private:
    void Level_MouseUp(int16_t shift);
    void chkTaskTransp_Click();
    bool AnyBoxChecked() const;
    // The preview at `level` and the translucency in per cent for the slider's value.
    void ShowPreview(uint8_t level);
    void ShowLevel();
    // What the page shows with both boxes off: no translucency, the slider out of use.
    void ShowOpaque();
    void DrawPictures();

    std::unique_ptr<cpvSlider> Level_;
    ControlArray<PictureBox> picPreviewTransp_{"picPreviewTransp"};
    ControlArray<CheckBox> chkTaskTransp_{"chkTaskTransp"};
    ControlArray<Label> lblDescription_{"lblDescription"};
};

} // namespace tsln
