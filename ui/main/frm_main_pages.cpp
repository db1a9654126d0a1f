// The six page panels over the movie and what the window does for all its pages alike.
#include "ui/main/frm_main.h"

namespace tsln {

void frmMain::CreatePages() {
    const Bounds page{0, 0, kPageWidth, kPageHeight};
    for (int index = 0; index < kPageCount; ++index) {
        PictureBox& panel = picTabs_.Add(index, hwnd(), page);
        panel.SetVisible(false);
        // Over the movie, which was made first: its window leaves out what lies above it.
        SetWindowPos(panel.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    transp_ = std::make_unique<TranspPage>(*this, picTabs_(0));
    styles_ = std::make_unique<StylesPage>(*this, picTabs_(1));
    logons_ = std::make_unique<ListPage>(*this, picTabs_(kLogonsPage), tType::Logons);
    wallpapers_ = std::make_unique<ListPage>(*this, picTabs_(kWallpapersPage), tType::Wallpapers);
    skins_ = std::make_unique<SkinsPage>(*this, picTabs_(4));
    about_ = std::make_unique<AboutPage>(*this, picTabs_(5));
}

MainPage& frmMain::Page(int page) const {
    switch (page) {
    case 0:
        return *transp_;
    case 1:
        return *styles_;
    case 2:
        return *logons_;
    case 3:
        return *wallpapers_;
    case 4:
        return *skins_;
    case 5:
        return *about_;
    default:
        RaiseNoSuchElement(page);
    }
}

SettingsToggle& frmMain::chkDefault(int index) {
    // Any other index raises the array's failure.
    return ListTab(index == kLogonsPage ? tType::Logons : tType::Wallpapers).chkDefault(index);
}

SettingsToggle& frmMain::optOrder(int index) {
    return ListTab(index < 2 ? tType::Logons : tType::Wallpapers).optOrder(index);
}

uint8_t frmMain::LevelVAL() const {
    return transp_->LevelVAL();
}

void frmMain::SetLevelVAL(uint8_t value) {
    transp_->SetLevelVAL(value);
}

clsWallpaperLogons& frmMain::NewCollection() {
    cWL_.reset();
    cWL_ = std::make_unique<clsWallpaperLogons>();
    return *cWL_;
}

void frmMain::SetMousePointer(MousePointer pointer) {
    pointer_ = pointer;
    // Shown at once when the mouse is over the window; WM_SETCURSOR keeps it there.
    POINT at = {};
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (under == hwnd() || IsChild(hwnd(), under)) SetCursor(PointerCursor());
}

HCURSOR frmMain::PointerCursor() const {
    switch (pointer_) {
    case MousePointer::kHourglass:
        return LoadCursor(nullptr, IDC_WAIT);
    case MousePointer::kCustom: {
        // The program's own busy pointer; a host without it (a test) gets the platform's working one.
        HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), "BUSY");
        return own != nullptr ? own : LoadCursor(nullptr, IDC_APPSTARTING);
    }
    default:
        return LoadCursor(nullptr, IDC_ARROW);
    }
}

void frmMain::EnablePageControls(bool enable) {
    for (Control* control : ControlsOf(picTabs(CurrentTab_).hwnd(), true))
        if (control->Name() != "chkDefault") control->SetEnabled(enable);
}

void frmMain::PlaceTabs() {
    picTabs_.ForEach([&](int, PictureBox& page) {
        page.Move(Bounds{RLeft_, RTop_, kPageWidth, kPageHeight});
    });
}

void frmMain::StepMovie(bool forward, bool pageOpen) {
    const long frame = CurrentFrame();
    if (!forward)
        GotoFrame(frame - 2);
    else
        GotoFrame(frame + (pageOpen ? 4 : 2));
}

} // namespace tsln
