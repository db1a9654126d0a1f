// The movie's commands: what the window does for each of them.
#include "core/launcher.h"
#include "core/product.h"
#include "core/units.h"
#include "rotation/collection_binding.h"
#include "rotation/frm_logo.h"
#include "shellutil/load_res_picture.h"
#include "skins/skin_values.h"
#include "ui/controls/bitmap.h"
#include "ui/main/frm_main.h"
#include "ui/msgbox.h"

namespace tsln {

namespace {
// The link counter the pages' links go through, and its query key.
constexpr const char* kLinkCounter = "/cgi-bin/linkcount/to.cgi?l=";

std::string Lower(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool IsListPage(int page) {
    return page == 2 || page == 3;
}
} // namespace

std::string frmMain::LinkOf(int page) {
    static const char* const kValues[] = {"TSLN_themes", "TSLN_logons", "TSLN_wallpapers", "TSLN_skins",
                                          "TSLN_downloads"};
    if (page < 1 || page > 5) return {};
    return std::string(kVendorSite) + kLinkCounter + kValues[page - 1];
}

void frmMain::swfSKIN_FSCommand(const std::string& command, const std::string& args) {
    Guarded("Tessaline.frmMain.swfSKIN_FSCommand", kShown, [&] {
        const std::string name = Lower(command);
        if (name == "bar")
            Bar(args);
        else if (name == "tab")
            OpenTab(args);
        else if (name == "ok")
            CloseTab();
        else if (name == "links")
            OpenLink();
        // "preload" and any other command do nothing but take the focus away from the movie.
        if (cmdFake_ && cmdFake_->hwnd() != nullptr) SetFocus(cmdFake_->hwnd()); // a refusal changes nothing
    });
}

void frmMain::OpenTab(const std::string& args) {
    CurrentTab_ = ParseInt16(args);
    const int page = CurrentTab_;
    if (page == 0) {
        lblDescription(0).SetForeColor(0xFFFFFF);
    } else if (IsListPage(page)) {
        cWL_ = std::make_unique<clsWallpaperLogons>();
        cWL_->SettType(page == 2 ? tType::Logons : tType::Wallpapers);
        cWL_->SetControls(BindCollectionPage(cboLista(page), imgPreview(page), lblDescription(page)));
        cWL_->Enumerate();
    } else if (page == 4) {
        cSKIN_->Enumerate();
    } else if (page == 5) {
        unique_picture picture = cLoadResPicture().LoadResPicture(103, "JPG");
        imgPreview(5).SetPicture(BitmapFromPicture(picture.get()));
        lblDescription(5).SetText(std::string(kProductTitle) + " v" + ProgramVersionText());
    }
    // Filled while hidden: the clicks that loading raises are not the user's.
    cSettings->ReadSettings(*this, CurrentTab_);
    picTabs(CurrentTab_).SetVisible(true);
    StepMovie(true, true);
}

void frmMain::CloseTab() {
    picTabs(CurrentTab_).SetVisible(false);
    cSettings->SaveSettings(*this, CurrentTab_);
    if (IsListPage(CurrentTab_)) cWL_.reset(); // saves the list
}

void frmMain::OpenLink() {
    const std::string link = LinkOf(CurrentTab_);
    if (!link.empty()) StartDoc(link); // reports its own failures
}

void frmMain::Bar(const std::string& args) {
    if (args == "move") {
        MoveWindow();
    } else if (args == "help") {
        HelpWnd = ShowHelp(hwnd(), false);
    } else if (args == "minimize") {
        CloseHelp();
        StartMinimize();
    } else if (args == "close") {
        CloseHelp();
        AskClose();
    }
}

void frmMain::MoveWindow() {
    ReleaseCapture();
    // The platform's own move loop, until the button is released.
    SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    RECT place = {};
    GetWindowRect(hwnd(), &place);
    cSettings->SetTop(place.top * TwipsPerPixelY());
    cSettings->SetLeft(place.left * TwipsPerPixelX());
}

void frmMain::CloseHelp() {
    if (HelpWnd != nullptr) ShowHelp(hwnd(), true); // HelpWnd keeps its value
}

void frmMain::StartMinimize() {
    Closing_ = true;
    NewEffects(); // a fade-in still running stops where it is
    // A fade that cannot run must not keep the window: it goes at once (after the movie's call).
    auto unload = make_scope_exit([this] {
        xEF.reset();
        UnloadLater();
    });
    if (xEF->Fade(hwnd(), kFadeOutStep, kFadeTick, kShownAlpha, kGoneAlpha)) unload.dismiss();
}

void frmMain::AskClose() {
    if (ShowMsgBox(std::string("You want to close\r\n") + kProductTitle + "?", 12, kMsgBoxOkCancel) == 1)
        frmLogo::Unload(); // ends the program; the window goes with it
}

} // namespace tsln
