#include "ui/main/frm_main.h"
#include "core/flash_hook.h"
#include "core/units.h"
#include "rotation/frm_logo.h"
#include "ui/msgbox.h"
#include "ui/skinned_dialog.h"

#include <utility>

namespace tsln {

namespace {
unique_window<frmMain> gMain;

// Until the skin places it, the window waits just off the screen's top-left corner (twips).
constexpr int kLoadPlace = -100;
// The window's size until the skin gives it its own (twips).
constexpr int kLoadWidth = 7200;
constexpr int kLoadHeight = 4800;
// Posted to itself when the window must unload but cannot from where it is (inside the movie's call).
constexpr UINT kUnloadLater = WM_APP + 1;
} // namespace

frmMain::frmMain(SkinsSetup skins) : skinsSetup_(std::move(skins)) {}

void frmMain::Show(HINSTANCE instance) {
    Show(instance, ProgramSkinsSetup());
}

void frmMain::Show(HINSTANCE instance, const SkinsSetup& skins) {
    if (!gMain) {
        unique_window<frmMain> window(new frmMain(skins));
        window->Form_Load(instance);
        gMain = std::move(window);
    }
    ShowWindow(gMain->hwnd(), SW_SHOW);
}

frmMain* frmMain::Instance() {
    return gMain.get();
}

void frmMain::Unload() {
    if (gMain && gMain->hwnd() != nullptr) gMain->UnloadNow();
}

void frmMain::ReleaseUnload() {
    // Posted: the operation's own clean-up still runs after its last hold.
    if (--holds_ == 0 && std::exchange(unloadHeld_, false)) UnloadLater();
}

namespace {
BOOL CALLBACK DestroyIfOwnedBy(HWND window, LPARAM owner) {
    if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner)) DestroyWindow(window);
    return TRUE;
}
} // namespace

void frmMain::UnloadNow() {
    if (holds_ > 0) {
        unloadHeld_ = true;
        return;
    }
    // A box or dialog shown over the window borrows its skin manager: it goes first, as if cancelled.
    EnumThreadWindows(GetCurrentThreadId(), &DestroyIfOwnedBy, reinterpret_cast<LPARAM>(hwnd()));
    Form_QueryUnload();
    DestroyWindow(hwnd());
}

void frmMain::UnloadLater() {
    PostMessageA(hwnd(), kUnloadLater, 0, 0);
}

void frmMain::Form_Load(HINSTANCE instance) {
    WindowClassOptions options;
    options.background = nullptr; // the movie covers it; the skin's colour shows where it does not
    const int tx = TwipsPerPixelX(), ty = TwipsPerPixelY();
    if (!Create(instance, kClassName, kCaption, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                WS_EX_APPWINDOW, kLoadPlace / tx, kLoadPlace / ty, kLoadWidth / tx, kLoadHeight / ty, nullptr,
                options))
        throw Win32Failure(GetLastError(), __LINE__);
    cSettings = std::make_unique<clsSetari>();

    swfSKIN_ = std::make_unique<MoviePlayer>();
    swfSKIN_->FSCommand = [this](const std::string& command, const std::string& args) {
        swfSKIN_FSCommand(command, args);
    };
    RECT inside = {};
    GetClientRect(hwnd(), &inside);
    swfSKIN_->Place(hwnd(), 0, 0, inside.right, inside.bottom);
    // Out of sight: it only takes the focus away from the movie.
    cmdFake_ = std::make_unique<CommandButton>(hwnd(), "", Bounds{-3000, -3000, 90, 90});
    cmdFake_->SetName("cmdFake");
    CreatePages();
    // Told once the window stands: a load that failed leaves the agent in the tray.
    if (frmLogo* agent = frmLogo::Instance()) agent->InterfaceVisible(true);
}

void frmMain::Form_Activate() {
    NewEffects();
    uint8_t almostClear = 1;
    xEF->MakeTransp(TranspTarget::GivenWindow, almostClear, hwnd());

    cSKIN_ = std::make_unique<clsSkins>(skinsSetup_);
    cSKIN_->ApplyToForm(this);
    cSKIN_->SetControls(skins_->Controls());
    cSKIN_->SetSkin("");
    RegisterMsgBoxOwner(hwnd(), cSKIN_.get());

    PlaceTabs();
    BringWindowToTop(hwnd());
    if (!xEF) NewEffects(); // a window that could not be made translucent released it
    xEF->Fade(hwnd(), kFadeInStep, kFadeTick, kFadeLow, kShownAlpha);
    xEF->FormShadow(hwnd());
    xEF->OnTOP(cSettings->OnTOP() != 0, hwnd());
    // The movie takes no keys and opens no menu of its own; the filter goes with the player's window.
    FlashMenu(hwnd(), false);
    Activated_ = true;
}

void frmMain::NewEffects() {
    xEF = std::make_unique<clsTranspEffects>(); // one still running stops where it is
    xEF->Done = [this](const std::string&) { xEF_Done(); };
}

void frmMain::xEF_Done() {
    xEF.reset();
    if (Closing_) UnloadNow();
}

void frmMain::Form_QueryUnload() {
    UnregisterMsgBoxOwner(hwnd());
    cSKIN_.reset(); // stores the skin and the window's place while the window still has it
}

void frmMain::Form_Unload() {
    if (!Closing_) return;
    // Gone to the tray: the window leaves the screen at once, and the agent shows its icon again.
    ShowWindow(hwnd(), SW_HIDE);
    if (frmLogo* agent = frmLogo::Instance()) agent->InterfaceVisible(false);
}

void frmMain::OnDestroyed() {
    gMain.reset(); // the next opening builds a new window and runs the first activation again
}

void frmMain::ForEachControl(const std::function<void(SkinColorable& control)>& visit) {
    ForEachSkinnedControl(hwnd(), visit);
}

bool frmMain::SetBackColor(COLORREF color) {
    return background_.Set(hwnd(), color);
}

bool frmMain::SetForeColor(COLORREF) {
    return true; // the window draws no text of its own
}

long frmMain::CurrentFrame() {
    return swfSKIN_->CurrentFrame();
}

void frmMain::SetMovie(const std::string& path) {
    swfSKIN_->SetMovie(path);
}

void frmMain::Move(int left, int top, int width, int height) {
    swfSKIN_->Place(hwnd(), left, top, width, height);
    // The movie is the window's face: the page panels lie over it.
    SetWindowPos(swfSKIN_->PlayerWindow(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void frmMain::GotoFrame(long frame) {
    swfSKIN_->GotoFrame(frame); // a frame the movie does not have leaves it where it is
}

void frmMain::Play() {
    swfSKIN_->Play();
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !Activated_ && !activating_) {
            activating_ = true; // a box raised meanwhile must not start it again
            auto done = make_scope_exit([this] { activating_ = false; });
            Guarded("Tessaline.frmMain.Form_Activate", kShown, [&] { Form_Activate(); });
        }
        return Default(message, wParam, lParam);
    case WM_SETCURSOR:
        // Over the window and every control on it while a page is busy (the window is disabled then).
        if (pointer_ != MousePointer::kDefault) {
            SetCursor(PointerCursor());
            return TRUE;
        }
        return Default(message, wParam, lParam);
    case WM_ERASEBKGND:
        background_.Erase(hwnd(), reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CLOSE:
        // Closed by the system (Alt+F4, the task list): back to the tray, as the movie's own button does,
        // so that the user can always bring the window back.
        if (!Closing_) Guarded("Tessaline.frmMain.Form_QueryUnload", kSilent, [&] { StartMinimize(); });
        return 0;
    case kUnloadLater:
        UnloadNow();
        return 0;
    case WM_DESTROY:
        Guarded("Tessaline.frmMain.Form_Unload", kSilent, [&] { Form_Unload(); });
        UnregisterMsgBoxOwner(hwnd());
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tsln
