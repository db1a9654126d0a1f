// Pages 2 and 3: a picture collection's list (logon screens on page 2, wallpapers on page 3) with its
// preview, description, buttons, order and default setting.
#pragma once
#include "rotation/cls_wallpaper_logons.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_array.h"
#include "ui/controls/image.h"
#include "ui/main/main_page.h"

#include <string>
#include <vector>

namespace tsln {

// The main window's page of each kind's list; the page number also indexes the page's controls.
constexpr int kLogonsPage = 2;
constexpr int kWallpapersPage = 3;
inline int PageOf(tType kind) {
    return IsLogons(kind) ? kLogonsPage : kWallpapersPage;
}

class ListPage : public MainPage {
public:
    ListPage(frmMain& window, PictureBox& panel, tType kind);

    // Binds a new collection of the page's kind to the page's controls, lists it and sets which
    // controls can be used.
    void Open() override;
    // Releases the collection, which saves the list.
    void Close() override;

    int Page() const { return page_; }
    tType Kind() const { return kind_; }

    ComboBox& cboLista() const { return cboLista_(page_); }
    Image& imgPreview() const { return imgPreview_(page_); }
    Label& lblDescription() const { return lblDescription_(page_); }
    CommandButton& cmdApply() const { return cmdApply_(page_); }
    // "Add to list" is index n, "Remove" index 2n.
    CommandButton& cmdAddRemFile(int index) const { return cmdAddRemFile_(index); }
    CommandButton& cmdAdd() const { return cmdAddRemFile_(page_); }
    CommandButton& cmdRemove() const { return cmdAddRemFile_(2 * page_); }
    CommandButton& cmdScheduling() const { return cmdScheduling_(page_); }
    CheckBox& chkDefault(int index) const { return chkDefault_(index); }
    OptionButton& optOrder(int index) const { return optOrder_(index); }
    // The wallpapers' fit (page 3 only): its lines in WallpaperFit's order.
    ComboBox& cboFit() const { return cboFit_(kWallpapersPage); }

    // Which of the paths dropped on the preview the page adds, in the order they are added: files of the
    // page's kind as given, and for a folder the files of that kind directly in it, by name.
    std::vector<std::string> DroppedFiles(const std::vector<std::string>& paths) const;

private:
    // The window's collection when it is this page's: another page opened over this one holds its own.
    clsWallpaperLogons* Collection() const;
    // Whether a path names a file of the page's kind, by its extension.
    bool OfKind(const std::string& path) const;

    void cboLista_Click();
    void cboLista_KeyUp(int key);
    void cmdApply_Click();
    void cmdAddRemFile_Click(int index);
    void cmdScheduling_Click();
    void chkDefault_Click();
    void optOrder_Click(int index);
    void cboFit_Click();
    void imgPreview_FilesDropped(const std::vector<std::string>& paths);
    // Sets which controls can be used from the default setting and the number of entries.
    void RefreshListPage();

    const tType kind_;
    const int page_;
    ControlArray<ComboBox> cboLista_{"cboLista"};
    ControlArray<Image> imgPreview_{"imgPreview"};
    ControlArray<Label> lblDescription_{"lblDescription"};
    ControlArray<CommandButton> cmdApply_{"cmdApply"};
    ControlArray<CommandButton> cmdAddRemFile_{"cmdAddRemFile"};
    ControlArray<CommandButton> cmdScheduling_{"cmdScheduling"};
    ControlArray<CheckBox> chkDefault_{"chkDefault"};
    ControlArray<OptionButton> optOrder_{"optOrder"};
    ControlArray<ComboBox> cboFit_{"cboFit"};
    bool showingFit_ = false; // the page is setting the fit's line from the store
};

} // namespace tsln
