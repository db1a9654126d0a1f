#include "ui/main/page_list.h"
#include "rotation/collection_binding.h"
#include "ui/main/frm_main.h"

namespace tsln {

ListPage::ListPage(frmMain& window, PictureBox& panel, int page) : MainPage(window, panel), page_(page) {
    HWND tab = panel.hwnd();
    cboLista_.Add(page, tab, Bounds{240, 240, 3600, 315});
    imgPreview_.Add(page, tab, Bounds{240, 660, 3600, 1980});
    lblDescription_.Add(page, tab, "", Bounds{4080, 240, 2415, 1200});
    chkDefault_.Add(page, tab, page == 2 ? "reset LogonUI to default" : "no wallpaper",
                    Bounds{4080, 2640, 2415, 285});
    // The page's pair of order buttons; page 3 numbers them the other way round.
    const int alphabetical = page == 2 ? 0 : 3;
    const int random = page == 2 ? 1 : 2;
    optOrder_.Add(alphabetical, tab, "alphabetical order", Bounds{4080, 1800, 2415, 285});
    optOrder_.Add(random, tab, "randomize", Bounds{4080, 2160, 2415, 285});
}

void ListPage::Open() {
    clsWallpaperLogons& collection = window_.NewCollection();
    collection.SettType(Kind());
    collection.SetControls(BindCollectionPage(cboLista(), imgPreview(), lblDescription()));
    collection.Enumerate();
}

void ListPage::Close() {
    window_.ReleaseCollection();
}

} // namespace tsln
