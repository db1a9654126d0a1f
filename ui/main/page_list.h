// Pages 2 and 3: a picture collection's list (logon screens on page 2, wallpapers on page 3) with its
// preview, description, buttons, order and default setting.
#pragma once
#include "rotation/cls_wallpaper_logons.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_array.h"
#include "ui/controls/image.h"
#include "ui/main/main_page.h"

namespace tsln {

class ListPage : public MainPage {
public:
    // `page` is 2 (logon screens) or 3 (wallpapers).
    ListPage(frmMain& window, PictureBox& panel, int page);

    // Binds a new collection of the page's kind to the page's controls and lists it.
    void Open() override;
    // Releases the collection, which saves the list.
    void Close() override;

    int Page() const { return page_; }
    tType Kind() const { return page_ == 2 ? tType::Logons : tType::Wallpapers; }

    ComboBox& cboLista() const { return cboLista_(page_); }
    Image& imgPreview() const { return imgPreview_(page_); }
    Label& lblDescription() const { return lblDescription_(page_); }
    CheckBox& chkDefault(int index) const { return chkDefault_(index); }
    OptionButton& optOrder(int index) const { return optOrder_(index); }

private:
    const int page_;
    ControlArray<ComboBox> cboLista_{"cboLista"};
    ControlArray<Image> imgPreview_{"imgPreview"};
    ControlArray<Label> lblDescription_{"lblDescription"};
    ControlArray<CheckBox> chkDefault_{"chkDefault"};
    ControlArray<OptionButton> optOrder_{"optOrder"};
};

} // namespace tsln
