#include "ui/main/page_transparency.h"
#include "effects/clsTranspEffects.h"
#include "effects/shell_transparency.h"
#include "skins/skin_values.h"
#include "ui/main/frm_main.h"

namespace tsln {

namespace {
// A panel as the translucency preview draws on it.
class PanelSurface : public PictureSurface {
public:
    explicit PanelSurface(PictureBox& panel) : panel_(panel) {}
    HDC hDC() override { return panel_.SurfaceDC(); }
    double ScaleWidth() override { return panel_.ScaleWidth(); }
    double ScaleHeight() override { return panel_.ScaleHeight(); }
    void Cls() override { panel_.Clear(); }
    void Refresh() override { panel_.Refresh(); }

private:
    PictureBox& panel_;
};

// The slider's range: the taskbar's alpha from nearly clear to nearly opaque.
constexpr int32_t kLevelMin = 76;
constexpr int32_t kLevelMax = 230;
// The preview shows the level a little clearer than the slider's value.
constexpr int kPreviewOffset = 5;
} // namespace

TranspPage::TranspPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    PictureBox& surface = picPreviewTransp_.Add(0, tab, Bounds{240, 240, 6255, 1860});
    PictureBox& source = picPreviewTransp_.Add(1, surface.hwnd(), Bounds{600, 300, 5055, 1260});
    Label& percent =
        lblDescription_.Add(0, source.hwnd(), "", Bounds{1800, 420, 1455, 420}, Label::Alignment::kCenter);
    percent.SetFont(FontSpec{"Lucida Console", 12, true});
    Level_ = std::make_unique<cpvSlider>(tab, Bounds{240, 2340, 3600, 420});
    Level_->SetName("Level");
    Level_->SetOrientation(kSliderHorizontal);
    Level_->SetMax(kLevelMax);
    Level_->SetMin(kLevelMin); // also the value
    Level_->MouseUp = [this](int16_t& shift) { Level_MouseUp(shift); };
    chkTaskTransp_.Add(0, tab, "apply to Start Menu", Bounds{4080, 2280, 2400, 285});
    chkTaskTransp_.Add(1, tab, "apply to taskbar", Bounds{4080, 2640, 2400, 285});
}

void TranspPage::Open() {
    lblDescription().SetForeColor(0xFFFFFF);
}

uint8_t TranspPage::LevelVAL() const {
    return static_cast<uint8_t>(Level_->Value());
}

void TranspPage::SetLevelVAL(uint8_t value) {
    Level_->SetValue(value);
    Level_MouseUp(0);
}

void TranspPage::Level_MouseUp(int16_t) {
    const int value = Level_->Value();
    {
        // An effects object of its own: the window's fade keeps running.
        clsTranspEffects preview;
        PanelSurface source(picPreviewTransp_(1)), surface(picPreviewTransp_(0));
        preview.ShowTransparency(source, surface, static_cast<uint8_t>(value - kPreviewOffset));
    }
    const int clear = 100 - RoundHalfEven(value * 100.0 / 255.0);
    lblDescription().SetText(std::to_string(clear) + "%");
    if (!Level_->Visible()) return; // the settings store is filling the page
    window_.Settings().SaveSettings(window_, 0);
    SetStartMenuHwnd(nullptr); // the agent's next look applies the new level to the Start menu
    clsTranspEffects taskbar;
    uint8_t level = 0;
    taskbar.MakeTransp(TranspTarget::Taskbar, level);
}

} // namespace tsln
