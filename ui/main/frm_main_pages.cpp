// The six page panels over the movie, the containers and the controls the settings store and the skin
// manager fill, and the transparency slider.
#include "effects/shell_transparency.h"
#include "skins/skin_values.h"
#include "ui/controls/bitmap.h"
#include "ui/main/frm_main.h"

#include <cmath>

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

const char* const kProgramOptions[] = {"use transparency effects", "use shadow effect",
                                       "keep Tessaline on top", "sound on/off", "start with windows"};
} // namespace

void frmMain::CreatePages() {
    const Bounds page{0, 0, kPageWidth, kPageHeight};
    for (int index = 0; index < kPageCount; ++index) {
        PictureBox& panel = picTabs_.Add(index, hwnd(), page);
        panel.SetVisible(false);
    }

    // Page 0: the preview with its percentage, the slider and the two boxes.
    HWND tab0 = picTabs_(0).hwnd();
    PictureBox& surface = picPreviewTransp.Add(0, tab0, Bounds{240, 240, 6255, 1860});
    PictureBox& source = picPreviewTransp.Add(1, surface.hwnd(), Bounds{600, 300, 5055, 1260});
    Label& percent =
        lblDescription.Add(0, source.hwnd(), "", Bounds{1800, 420, 1455, 420}, Label::Alignment::kCenter);
    percent.SetFont(FontSpec{"Lucida Console", 12, true});
    Level = std::make_unique<cpvSlider>(tab0, Bounds{240, 2340, 3600, 420});
    Level->SetName("Level");
    Level->SetOrientation(kSliderHorizontal);
    Level->SetMax(kLevelMax);
    Level->SetMin(kLevelMin); // also the value
    Level->MouseUp = [this](int16_t& shift) { Level_MouseUp(shift); };
    chkTaskTransp_.Add(0, tab0, "apply to Start Menu", Bounds{4080, 2280, 2400, 285});
    chkTaskTransp_.Add(1, tab0, "apply to taskbar", Bounds{4080, 2640, 2400, 285});

    // Page 1: the add and remove frames, each with the panel that holds its controls.
    HWND tab1 = picTabs_(1).hwnd();
    fraOptions.Add(0, tab1, "  Add Visual Styles Support   ", Bounds{120, 120, 3180, 2880});
    fraOptions.Add(1, tab1, "  Remove Visual Styles Support   ", Bounds{3435, 120, 3180, 2880});
    for (int index = 0; index < 2; ++index)
        picFrame.Add(index, fraOptions(index).hwnd(), Bounds{120, 300, 2940, 2460});

    CreateListPage(2);
    CreateListPage(3);
    chkDefault_.Add(2, picTabs_(2).hwnd(), "reset LogonUI to default", Bounds{4080, 2640, 2415, 285});
    chkDefault_.Add(3, picTabs_(3).hwnd(), "no wallpaper", Bounds{4080, 2640, 2415, 285});
    // Each page's pair is one group: they sit on their own page.
    optOrder_.Add(0, picTabs_(2).hwnd(), "alphabetical order", Bounds{4080, 1800, 2415, 285});
    optOrder_.Add(1, picTabs_(2).hwnd(), "randomize", Bounds{4080, 2160, 2415, 285});
    optOrder_.Add(3, picTabs_(3).hwnd(), "alphabetical order", Bounds{4080, 1800, 2415, 285});
    optOrder_.Add(2, picTabs_(3).hwnd(), "randomize", Bounds{4080, 2160, 2415, 285});

    // Page 4: the skins list with its screenshot, description and apply button, and the options.
    CreateListPage(4);
    HWND tab4 = picTabs_(4).hwnd();
    cmdApply.Add(4, tab4, "Apply", Bounds{240, 2700, 1215, 375});
    for (int index = 0; index < 5; ++index)
        chkProgram_.Add(index, tab4, kProgramOptions[index], Bounds{4080, 1320 + 330 * index, 2535, 285});

    // Page 5: the program's picture and version.
    HWND tab5 = picTabs_(5).hwnd();
    imgPreview.Add(5, tab5, Bounds{240, 240, 3600, 2640});
    lblDescription.Add(5, tab5, "", Bounds{4080, 240, 2415, 600});
}

void frmMain::CreateListPage(int page) {
    HWND tab = picTabs_(page).hwnd();
    cboLista.Add(page, tab, Bounds{240, 240, 3600, 315});
    imgPreview.Add(page, tab, Bounds{240, 660, 3600, 1980});
    lblDescription.Add(page, tab, "", Bounds{4080, 240, 2415, 1200});
}

SkinsPageControls frmMain::SkinsPage() {
    SkinsPageControls page;
    page.ClearList = [this] { cboLista(4).Clear(); };
    page.AddToList = [this](const std::string& line) { cboLista(4).AddItem(line); };
    page.ListText = [this] { return cboLista(4).Text(); };
    page.SetListText = [this](const std::string& text) { cboLista(4).SetText(text); };
    page.EnableList = [this](bool enabled) { cboLista(4).SetEnabled(enabled); };
    page.ShowPreview = [this](unique_picture picture) {
        imgPreview(4).SetPicture(BitmapFromPicture(picture.get()));
    };
    page.SetDescription = [this](const std::string& text) { lblDescription(4).SetText(text); };
    page.EnableApply = [this](bool enabled) { cmdApply(4).SetEnabled(enabled); };
    return page;
}

uint8_t frmMain::LevelVAL() const {
    return static_cast<uint8_t>(Level->Value());
}

void frmMain::SetLevelVAL(uint8_t value) {
    Level->SetValue(value);
    int16_t shift = 0;
    Level_MouseUp(shift);
}

void frmMain::Level_MouseUp(int16_t shift) {
    const int value = Level->Value();
    {
        // An effects object of its own: the window's fade keeps running.
        clsTranspEffects preview;
        PanelSurface source(picPreviewTransp(1)), surface(picPreviewTransp(0));
        preview.ShowTransparency(source, surface, static_cast<uint8_t>(value - kPreviewOffset));
    }
    const int clear = 100 - RoundHalfEven(value * 100.0 / 255.0);
    lblDescription(0).SetText(std::to_string(clear) + "%");
    if (!Level->Visible()) return; // the settings store is filling the page
    cSettings->SaveSettings(*this, 0);
    SetStartMenuHwnd(nullptr); // the agent's next look applies the new level to the Start menu
    clsTranspEffects taskbar;
    uint8_t level = 0;
    taskbar.MakeTransp(TranspTarget::Taskbar, level);
}

} // namespace tsln
