// Page 5: the program's picture, version and links.
#pragma once
#include "ui/controls/control_array.h"
#include "ui/controls/image.h"
#include "ui/main/main_page.h"

namespace tsln {

class AboutPage : public MainPage {
public:
    AboutPage(frmMain& window, PictureBox& panel);

    // Shows the program's picture and version.
    void Open() override;

    Image& imgPreview() const { return imgPreview_(5); }
    Label& lblDescription() const { return lblDescription_(5); }

private:
    ControlArray<Image> imgPreview_{"imgPreview"};
    ControlArray<Label> lblDescription_{"lblDescription"};
};

} // namespace tsln
