// Page 5: the program's picture, version and links.
#pragma once
#include "ui/controls/control_array.h"
#include "ui/controls/image.h"
#include "ui/main/main_page.h"

namespace tsln {

// A label that reads as a link: underlined, with the hand pointer over it.
class LinkLabel : public Label {
public:
    LinkLabel(HWND parent, const std::string& caption, const Bounds& bounds);

protected:
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class AboutPage : public MainPage {
public:
    // The vendor's pages the links open, below kVendorSite.
    static constexpr const char* kForumPath = "/support/forum/index.htm";
    static constexpr const char* kDownloadPath = "/download/tessaline/index.htm";

    AboutPage(frmMain& window, PictureBox& panel);

    // Shows the program's picture and version.
    void Open() override;

    Image& imgPreview() const { return imgPreview_(5); }
    Label& lblDescription() const { return lblDescription_(5); }
    // 1: the forum, 2: bug reports and suggestions.
    LinkLabel& lblAbout(int index) const { return lblAbout_(index); }

    // The mail a bug report starts from.
    static std::string BugReportSubject();
    static std::string BugReportBody();

private:
    void lblAbout_Click(int index);
    void imgPreview_Click();

    ControlArray<Image> imgPreview_{"imgPreview"};
    ControlArray<Label> lblDescription_{"lblDescription"};
    ControlArray<LinkLabel> lblAbout_{"lblAbout"};
};

} // namespace tsln
