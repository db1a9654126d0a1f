#include "ui/main/page_skins.h"
#include "core/unique_any.h"
#include "effects/clsTranspEffects.h"
#include "skins/skins_page.h"
#include "ui/main/frm_main.h"

namespace tsln {

namespace {
const char* const kProgramOptions[] = {"use transparency effects", "use shadow effect",
                                       "keep Tessaline on top", "sound on/off", "start with windows"};
} // namespace

SkinsPage::SkinsPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    // Left: the list with its apply button above the skin's screenshot; right: the skin's description
    // above the program's options.
    ComboBox& list = cboLista_.Add(4, tab, Bounds{240, 240, 2280, 315});
    CommandButton& apply = cmdApply_.Add(4, tab, "Apply", Bounds{2640, 225, 960, 345});
    imgPreview_.Add(4, tab, Bounds{240, 690, 3360, 2040});
    lblDescription_.Add(4, tab, "", Bounds{3960, 240, 2535, 720});
    for (int index = 0; index < 5; ++index)
        chkProgram_.Add(index, tab, kProgramOptions[index], Bounds{3960, 1140 + 315 * index, 2535, 285});

    list.Click = [this] { cboLista_Click(); };
    list.KeyUp = [this](int key) { cboLista_KeyUp(key); };
    apply.Click = [this] { cmdApply_Click(); };
    chkProgram_.Bind(&CheckBox::Click, [this](int index) { chkProgram_Click(index); });
}

void SkinsPage::Open() {
    if (clsSkins* skins = window_.cSKIN()) skins->Enumerate();
}

SkinsPageControls SkinsPage::Controls() {
    return BindSkinsPage(cboLista_(4), imgPreview_(4), lblDescription_(4), cmdApply_(4));
}

void SkinsPage::cboLista_Click() {
    clsSkins* skins = window_.cSKIN();
    if (skins == nullptr) return;
    BusyState busy(window_);
    skins->Preview(); // reports its own failures
}

void SkinsPage::cboLista_KeyUp(int key) {
    if (key == VK_RETURN && cmdApply().Enabled()) cmdApply().Press();
}

void SkinsPage::cmdApply_Click() {
    clsSkins* skins = window_.cSKIN();
    if (skins == nullptr) return;
    BusyState busy(window_);
    // The page stays away while the window changes its face and the skin places the page area anew; it
    // comes back however the change ended.
    panel_.SetVisible(false);
    auto showAgain = make_scope_exit([this] { panel_.SetVisible(true); });
    skins->SetSkin(cboLista().Text());
    window_.PlaceTabs();
}

void SkinsPage::chkProgram_Click(int index) {
    CheckBox& box = chkProgram(index);
    if (!box.Visible()) return; // the settings store is filling the page
    const bool on = box.Value();
    if (index == kOnTop) {
        clsTranspEffects effects;
        effects.OnTOP(on, window_.hwnd());
        window_.Settings().SetOnTOP(on ? 1 : 0);
    } else if (index == kSound) {
        SwitchMovieSound(on ? kSoundOnFrames : kSoundOffFrames);
        window_.Settings().SetSound(on ? 1 : 0);
    }
    // The other options are only stored, when the page closes.
}

void SkinsPage::SwitchMovieSound(long frames) {
    // Back to the frame noted before: a movie without that sound frame stays where it was, and one whose
    // sound frame jumps on does not drag the page's frame along.
    const long shown = window_.CurrentFrame();
    window_.GotoFrame(shown + frames);
    window_.GotoFrame(shown);
}

} // namespace tsln
