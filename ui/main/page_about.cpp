#include "ui/main/page_about.h"
#include "core/product.h"
#include "shellutil/load_res_picture.h"
#include "ui/controls/bitmap.h"
#include "ui/main/frm_main.h"

namespace tsln {

AboutPage::AboutPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    imgPreview_.Add(5, tab, Bounds{240, 240, 3600, 2640});
    lblDescription_.Add(5, tab, "", Bounds{4080, 240, 2415, 600});
}

void AboutPage::Open() {
    unique_picture picture = cLoadResPicture().LoadResPicture(103, "JPG");
    imgPreview().SetPicture(BitmapFromPicture(picture.get()));
    lblDescription().SetText(std::string(kProductTitle) + " v" + ProgramVersionText());
}

} // namespace tsln
