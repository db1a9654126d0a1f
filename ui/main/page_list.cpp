#include "ui/main/page_list.h"
#include "rotation/collection_binding.h"
#include "rotation/frm_change.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <algorithm>
#include <optional>

namespace tsln {

namespace {
constexpr int kDeleteKey = 46;
constexpr int kEnterKey = 13;

// The busy state for a handler, unless one already holds the window: a list selection raised while a
// file is being added must not give the window back before the addition has ended.
class HandlerBusy {
public:
    explicit HandlerBusy(frmMain& window) {
        if (IsWindowEnabled(window.hwnd())) state_.emplace(window);
    }

private:
    std::optional<BusyState> state_;
};

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The files directly in a folder (no sub-folders), with their full paths, by name.
std::vector<std::string> FilesIn(std::string folder) {
    if (folder.back() != '\\') folder += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    unique_find find(FindFirstFileA((folder + "*").c_str(), &found));
    if (find) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
        } while (FindNextFileA(find.get(), &found));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    for (std::string& name : names)
        name = folder + name;
    return names;
}
} // namespace

ListPage::ListPage(frmMain& window, PictureBox& panel, tType kind)
    : MainPage(window, panel), kind_(kind), page_(PageOf(kind)) {
    const int page = page_;
    HWND tab = panel.hwnd();
    // The list and its preview on the left; the description, the buttons and the settings on the right.
    cboLista_.Add(page, tab, Bounds{240, 120, 3600, 315});
    Image& preview = imgPreview_.Add(page, tab, Bounds{240, 540, 3600, 2220});
    lblDescription_.Add(page, tab, "", Bounds{4080, 120, 2415, 600});
    cmdApply_.Add(page, tab, "Apply", Bounds{4080, 780, 1140, 375});
    cmdScheduling_.Add(page, tab, "Scheduling", Bounds{5355, 780, 1140, 375});
    cmdAddRemFile_.Add(page, tab, "Add to list", Bounds{4080, 1230, 1140, 375});
    cmdAddRemFile_.Add(2 * page, tab, "Remove", Bounds{5355, 1230, 1140, 375});
    // The page's pair of order buttons; page 3 numbers them the other way round, and moves the settings
    // up to make room for the wallpapers' fit below them, level with the preview's foot.
    const int alphabetical = IsLogons(kind) ? 0 : 3;
    const int random = IsLogons(kind) ? 1 : 2;
    const int up = IsLogons(kind) ? 0 : 60;
    optOrder_.Add(alphabetical, tab, "alphabetical order", Bounds{4080, 1740 - up, 2415, 285});
    optOrder_.Add(random, tab, "randomize", Bounds{4080, 2040 - up - up / 2, 2415, 285});
    chkDefault_.Add(page, tab, IsLogons(kind) ? "reset LogonUI to default" : "no wallpaper",
                    Bounds{4080, 2400 - 3 * up, 2415, 285});
    if (!IsLogons(kind)) {
        ComboBox& fit = cboFit_.Add(page, tab, Bounds{4080, 2445, 2415, 315});
        for (const char* line : {"stretch to the screen", "fill the screen, cropped", "fit, with a border"})
            fit.AddItem(line);
        fit.Click = [this] { cboFit_Click(); };
    }

    preview.SetAcceptFiles(true);
    preview.FilesDropped = [this](const std::vector<std::string>& paths) { imgPreview_FilesDropped(paths); };
    cboLista().Click = [this] { cboLista_Click(); };
    cboLista().KeyUp = [this](int key) { cboLista_KeyUp(key); };
    cmdApply().Click = [this] { cmdApply_Click(); };
    cmdAddRemFile_.Bind(&CommandButton::Click, [this](int index) { cmdAddRemFile_Click(index); });
    cmdScheduling().Click = [this] { cmdScheduling_Click(); };
    chkDefault(page).Click = [this] { chkDefault_Click(); };
    optOrder_.Bind(&OptionButton::Click, [this](int index) { optOrder_Click(index); });
}

void ListPage::Open() {
    clsWallpaperLogons& collection = window_.NewCollection();
    collection.SettType(Kind());
    collection.SetControls(BindCollectionPage(cboLista(), imgPreview(), lblDescription()));
    if (!IsLogons(kind_)) {
        showingFit_ = true;
        auto shown = make_scope_exit([this] { showingFit_ = false; });
        cboFit().SetListIndex(static_cast<int>(window_.Settings().WFit()));
    }
    collection.Enumerate();
    RefreshListPage();
}

void ListPage::Close() {
    window_.ReleaseCollection();
}

clsWallpaperLogons* ListPage::Collection() const {
    clsWallpaperLogons* collection = window_.cWL();
    if (window_.CurrentTab() != page_ || collection == nullptr || collection->Kind() != Kind())
        return nullptr;
    return collection;
}

bool ListPage::OfKind(const std::string& path) const {
    if (IsLogons(kind_)) return path.size() >= 4 && Lower(path.substr(path.size() - 4)) == ".exe";
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = Lower(path.substr(dot + 1));
    return extension == "jpg" || extension == "bmp" || extension == "gif";
}

std::vector<std::string> ListPage::DroppedFiles(const std::vector<std::string>& paths) const {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        if (IsFolder(path)) {
            for (const std::string& file : FilesIn(path))
                if (OfKind(file)) files.push_back(file);
        } else if (OfKind(path)) {
            files.push_back(path);
        }
    }
    return files;
}

void ListPage::cboLista_Click() {
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        collection->Preview();
    }
    RefreshListPage();
}

void ListPage::cboLista_KeyUp(int key) {
    if (key == kDeleteKey && cmdRemove().Enabled())
        cmdRemove().Press();
    else if (key == kEnterKey && cmdApply().Enabled())
        cmdApply().Press();
}

void ListPage::cmdApply_Click() {
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        collection->SetWL(kSelectedEntry);
    }
    RefreshListPage();
}

void ListPage::cmdAddRemFile_Click(int index) {
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        if (index == page_)
            collection->AddFile(); // asks with the picker
        else
            collection->Remove();
    }
    RefreshListPage();
}

void ListPage::cmdScheduling_Click() {
    frmChange::Afiseaza(window_.cSKIN(), window_.hwnd(), kind_);
}

void ListPage::chkDefault_Click() {
    CheckBox& box = chkDefault(page_);
    if (!box.Visible()) return; // the settings store is filling the page
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        window_.Settings().SaveSettings(window_, window_.CurrentTab());
        collection->SetWL(box.Value() ? kDefaultEntry : kSelectedEntry);
        if (cboLista().ListCount() > 0) collection->Preview();
    }
    RefreshListPage();
}

void ListPage::optOrder_Click(int index) {
    if (!optOrder(index).Visible()) return; // the settings store is filling the page
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        window_.Settings().SaveSettings(window_, window_.CurrentTab());
        collection->Sort();
        collection->Enumerate();
    }
    RefreshListPage();
}

void ListPage::cboFit_Click() {
    if (showingFit_ || cboFit().ListIndex() < 0) return;
    window_.Settings().SetWFit(static_cast<WallpaperFit>(cboFit().ListIndex()));
    // The preview shows the picture as the desktop will; the desktop takes it at the next change.
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr || cboLista().ListCount() == 0) return;
    HandlerBusy busy(window_);
    collection->Preview();
}

void ListPage::imgPreview_FilesDropped(const std::vector<std::string>& paths) {
    clsWallpaperLogons* collection = Collection();
    if (collection == nullptr) return;
    {
        HandlerBusy busy(window_);
        for (const std::string& file : DroppedFiles(paths))
            collection->AddFile(file);
    }
    // A drop on an empty list must make the new entries usable, as the button's addition does.
    RefreshListPage();
}

void ListPage::RefreshListPage() {
    if (window_.CurrentTab() != page_) return;
    clsSetari& settings = window_.Settings();
    const bool defaultChosen = settings.Collection(kind_).Default() != 0;
    if (defaultChosen) {
        window_.EnablePageControls(false); // only the default box stays usable
        return;
    }
    const int entries = cboLista().ListCount();
    if (entries == 0) {
        // The user can only add, by the button or by a drop on the preview, or choose the default.
        window_.EnablePageControls(false);
        imgPreview().SetEnabled(true);
        cmdAdd().SetEnabled(true);
        return;
    }
    window_.EnablePageControls(true);
    if (entries == 1) {
        cmdScheduling().SetEnabled(false);
        optOrder_.ForEach([](int, OptionButton& option) { option.SetEnabled(false); });
    }
}

} // namespace tsln
