#include "ui/main/page_about.h"
#include "core/clsSetari.h"
#include "core/error_report.h"
#include "core/launcher.h"
#include "core/message_box.h"
#include "core/product.h"
#include "shellutil/load_res_picture.h"
#include "ui/controls/bitmap.h"
#include "ui/main/frm_main.h"

namespace tsln {

LinkLabel::LinkLabel(HWND parent, const std::string& caption, const Bounds& bounds)
    : Label(parent, caption, bounds) {
    FontSpec font = Font();
    font.underline = true;
    SetFont(font);
}

LRESULT LinkLabel::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // While the window is busy (disabled) its own pointer shows instead.
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && Enabled() &&
        IsWindowEnabled(GetAncestor(hwnd(), GA_ROOT))) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
    }
    return Label::WindowMessage(message, wParam, lParam);
}

AboutPage::AboutPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    imgPreview_.Add(5, tab, Bounds{240, 240, 3600, 2640}).Click = [this] { imgPreview_Click(); };
    lblDescription_.Add(5, tab, "", Bounds{4080, 240, 2415, 600});
    lblAbout_.Add(1, tab, " Quillfen Forum ", Bounds{4080, 1080, 2415, 255}).Click = [this] {
        lblAbout_Click(1);
    };
    lblAbout_.Add(2, tab, " Bug report/suggestions ", Bounds{4080, 1440, 2415, 255}).Click = [this] {
        lblAbout_Click(2);
    };
}

void AboutPage::Open() {
    unique_picture picture = cLoadResPicture().LoadResPicture(103, "JPG");
    imgPreview().SetPicture(BitmapFromPicture(picture.get()));
    lblDescription().SetText(std::string(kProductTitle) + " v" + ProgramVersionText());
}

std::string AboutPage::BugReportSubject() {
    return std::string("Bug report/suggestions for  ") + kProductTitle + " v" + ProgramVersionText();
}

std::string AboutPage::BugReportBody() {
    return "Hello,%0D%0A%0D%0APlease write your comments or describe the problem here:%0D%0A%0D%0A%0D%0A"
           "Thank you for your feedback!%0D%0AQuillfen";
}

void AboutPage::lblAbout_Click(int index) {
    if (index == 1) {
        StartDoc(std::string(kVendorSite) + kForumPath);
    } else if (index == 2) {
        ProductBox("If you have a bug to report please attach the following file to your message: \r\n" +
                       LogFilePath(),
                   MB_OK | MB_ICONINFORMATION, window_.hwnd());
        MailTo(kSupportAddress, BugReportSubject(), BugReportBody());
    }
}

void AboutPage::imgPreview_Click() {
    StartDoc(std::string(kVendorSite) + kDownloadPath);
}

} // namespace tsln
