#include "ui/main/page_skins.h"
#include "skins/skins_page.h"
#include "ui/main/frm_main.h"

namespace tsln {

namespace {
const char* const kProgramOptions[] = {"use transparency effects", "use shadow effect",
                                       "keep Tessaline on top", "sound on/off", "start with windows"};
} // namespace

SkinsPage::SkinsPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    cboLista_.Add(4, tab, Bounds{240, 240, 3600, 315});
    imgPreview_.Add(4, tab, Bounds{240, 660, 3600, 1980});
    lblDescription_.Add(4, tab, "", Bounds{4080, 240, 2415, 1200});
    cmdApply_.Add(4, tab, "Apply", Bounds{240, 2700, 1215, 375});
    for (int index = 0; index < 5; ++index)
        chkProgram_.Add(index, tab, kProgramOptions[index], Bounds{4080, 1320 + 330 * index, 2535, 285});
}

void SkinsPage::Open() {
    if (clsSkins* skins = window_.cSKIN()) skins->Enumerate();
}

SkinsPageControls SkinsPage::Controls() {
    return BindSkinsPage(cboLista_(4), imgPreview_(4), lblDescription_(4), cmdApply_(4));
}

} // namespace tsln
