// The movie's commands: what the window does for each of them.
#include "core/launcher.h"
#include "core/product.h"
#include "core/units.h"
#include "rotation/frm_logo.h"
#include "skins/skin_values.h"
#include "ui/main/busy_state.h"
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
} // namespace

std::string frmMain::LinkOf(int page) {
    static const char* const kValues[] = {"TSLN_themes", "TSLN_logons", "TSLN_wallpapers", "TSLN_skins",
                                          "TSLN_downloads"};
    if (page < 1 || page > 5) return {};
    return std::string(kVendorSite) + kLinkCounter + kValues[page - 1];
}

void frmMain::swfSKIN_FSCommand(const std::string& command, const std::string& args) {
    // Opening a list page fills it, and the close box waits for its answer: both let messages run.
    Hold hold(*this);
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
    MainPage& page = Page(CurrentTab_);
    {
        // Filling a list lets messages run: a click on the movie meanwhile (another tab, "ok") would
        // release the collection being filled.
        BusyState busy(*this);
        page.Open();
        // Filled while hidden: the clicks that loading raises are not the user's.
        cSettings->ReadSettings(*this, CurrentTab_);
    }
    page.Panel().SetVisible(true);
    // Above the movie, whose player window the skin may have placed over the pages.
    SetWindowPos(page.Panel().hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StepMovie(true, true);
}

void frmMain::CloseTab() {
    MainPage& page = Page(CurrentTab_);
    page.Panel().SetVisible(false);
    cSettings->SaveSettings(*this, CurrentTab_);
    page.Close();
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
