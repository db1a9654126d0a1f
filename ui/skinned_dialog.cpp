#include "ui/skinned_dialog.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/units.h"

namespace tsln {

namespace {
// A control as the skin manager colours it: one without the colour passes.
class ControlColors : public SkinColorable {
public:
    explicit ControlColors(Control& control) : control_(control) {}
    bool SetBackColor(COLORREF color) override {
        if (!control_.HasBackColor()) return false;
        control_.SetBackColor(color);
        return true;
    }
    bool SetForeColor(COLORREF color) override {
        if (!control_.HasForeColor()) return false;
        control_.SetForeColor(color);
        return true;
    }

private:
    Control& control_;
};

// The opening and closing cross-fades: alpha change per tick, tick in ms, the two alphas.
constexpr uint8_t kOpeningStep = 10;
constexpr uint8_t kClosingStep = 20;
constexpr int16_t kFadeTick = 10;
constexpr uint8_t kShownAlpha = 230;
constexpr uint8_t kBehindAlpha = 120;

char Upper(char letter) {
    CharUpperBuffA(&letter, 1);
    return letter;
}

// The letter after the "&" of a caption, in upper case; 0 for none.
char Mnemonic(const std::string& caption) {
    const size_t at = caption.find('&');
    return at != std::string::npos && at + 1 < caption.size() ? Upper(caption[at + 1]) : 0;
}

bool IsDroppedCombo(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0 && SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0) != 0;
}
} // namespace

bool SkinBackground::Set(HWND window, COLORREF color) {
    unique_gdi brush(CreateSolidBrush(color));
    if (!brush) return false;
    brush_ = std::move(brush);
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

void SkinBackground::Erase(HWND window, HDC dc) const {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush_ ? static_cast<HBRUSH>(brush_.get()) : GetSysColorBrush(COLOR_BTNFACE));
}

void ForEachSkinnedControl(HWND window, const std::function<void(SkinColorable& control)>& visit) {
    for (Control* control : ControlsOf(window)) {
        ControlColors colors(*control);
        visit(colors);
    }
}

SkinnedDialog::SkinnedDialog(clsSkins* skins, HWND owner, const SkinsSetup* lookup)
    : skins_(skins), owner_(owner) {
    if (skins_ != nullptr) return;
    // No main window: a manager of the stored skin that applies nothing, stores nothing, and never ends
    // the program (without any package the dialog keeps the system's look).
    SkinsSetup setup = lookup != nullptr ? *lookup : ProgramSkinsSetup();
    setup.storeOnRelease = false;
    setup.endProgram = [] {};
    if (ListSkinPackages(setup.skinsFolder).empty()) return;
    lentSkins_ = std::make_unique<clsSkins>(setup);
    // A skin whose colours cannot be read lends only the outline: never black on black.
    colored_ = lentSkins_->ReadColors();
    skins_ = lentSkins_.get();
}

SkinnedDialog::~SkinnedDialog() {
    if (targeted_ && skins_ != nullptr) skins_->ApplyToForm(previousTarget_);
}

void SkinnedDialog::CreateSkinnedWindow(const char* className, const char* caption, int width, int height) {
    WindowClassOptions options;
    options.background = nullptr; // painted in the skin's colour
    if (!Create(GetModuleHandleA(nullptr), className, caption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0,
                TwipsToPixels(width, ScreenDpiX()), TwipsToPixels(height, ScreenDpiY()), owner_, options))
        throw Win32Failure(GetLastError(), __LINE__);
    shChenar = std::make_unique<Shape>(hwnd(), Shape::kRoundedRectangle, Bounds{0, 0, width, height});
    shChenar->SetName("shChenar");
}

void SkinnedDialog::ForEachControl(const std::function<void(SkinColorable& control)>& visit) {
    ForEachSkinnedControl(hwnd(), visit);
}

bool SkinnedDialog::SetBackColor(COLORREF color) {
    return background_.Set(hwnd(), color);
}

bool SkinnedDialog::SetForeColor(COLORREF color) {
    return true; // the dialog draws no text of its own: its controls carry the colour
}

void SkinnedDialog::ApplySkin() {
    if (skins_ == nullptr) return; // no skin at all: the system's look, rectangular
    if (!targeted_) previousTarget_ = skins_->Form();
    skins_->ApplyToForm(this);
    targeted_ = true;
    if (colored_) skins_->ChangeControlsColors();
    const ShapeControl outline{shChenar->Kind(), static_cast<double>(shChenar->Left()),
                               static_cast<double>(shChenar->Top()), static_cast<double>(shChenar->Width()),
                               static_cast<double>(shChenar->Height())};
    skins_->ShapeRegion(&outline);
}

void SkinnedDialog::Center() {
    if (owner_ != nullptr && IsWindow(owner_)) return CenterOverMain(hwnd(), owner_);
    RECT box = {};
    GetWindowRect(hwnd(), &box);
    SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (box.bottom - box.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinnedDialog::StartOpening() {
    xEF = std::make_unique<clsTranspEffects>();
    xEF->Done = [this](const std::string& failure) { xEF_Done(failure); };
    xEF->Transition(owner_, hwnd(), kOpeningStep, kFadeTick, kShownAlpha, kBehindAlpha);
}

void SkinnedDialog::StartClosing() {
    if (Closing_) return;
    Closing_ = true;
    // Whatever stops the cross-fade from running unloads the dialog at once: it must never stay up.
    auto unload = make_scope_exit([this] { Unload(); });
    xEF.reset(); // an opening cross-fade still running stops where it is
    xEF = std::make_unique<clsTranspEffects>();
    xEF->Done = [this](const std::string& failure) { xEF_Done(failure); };
    if (xEF->Transition(hwnd(), owner_, kClosingStep, kFadeTick, kShownAlpha, kBehindAlpha)) unload.dismiss();
}

void SkinnedDialog::xEF_Done(const std::string& failure) {
    xEF.reset();
    if (Closing_) Unload();
}

void SkinnedDialog::Unload() {
    if (hwnd() != nullptr) DestroyWindow(hwnd());
}

void SkinnedDialog::OnDestroyed() {
    xEF.reset();
    // The skin goes back to the window that had it (the main window).
    if (targeted_ && skins_ != nullptr) skins_->ApplyToForm(previousTarget_);
    targeted_ = false;
}

void SkinnedDialog::ShowModal() {
    // The controls made after the outline shape lie above it: it goes back beneath them all.
    SetWindowPos(shChenar->hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RunModal(owner_);
}

void SkinnedDialog::SetDefaultButton(CommandButton* button) {
    default_ = button;
    if (button != nullptr) SendMessageA(button->hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

CommandButton* SkinnedDialog::KeyButton(bool enter) const {
    CommandButton* button = enter ? default_ : cancel_;
    return button != nullptr && button->Visible() ? button : nullptr;
}

bool SkinnedDialog::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
    if (msg.message == WM_SYSCHAR) {
        // Alt and a button's underlined letter press it.
        CommandButton* pressed = nullptr;
        cmdOkC.ForEach([&](int, CommandButton& button) {
            const char letter = Mnemonic(button.Text());
            if (letter != 0 && button.Visible() && letter == Upper(static_cast<char>(msg.wParam)))
                pressed = &button;
        });
        if (pressed == nullptr) return false;
        pressed->Press();
        return true;
    }
    if (msg.message != WM_KEYDOWN) return false;
    switch (msg.wParam) {
    case VK_RETURN:
    case VK_ESCAPE: {
        if (IsDroppedCombo(msg.hwnd)) return false; // the key closes the list first
        const bool enter = msg.wParam == VK_RETURN;
        if (CommandButton* button = KeyButton(enter)) {
            button->Press();
        } else if (!enter) {
            StartClosing(); // no button to press: Esc still closes, choosing nothing
        }
        return true;
    }
    case VK_TAB: {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(hwnd(), GetFocus(), back ? TRUE : FALSE)) SetFocus(next);
        return true;
    }
    default:
        return false;
    }
}

LRESULT SkinnedDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        background_.Erase(hwnd(), reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_ACTIVATE:
        // The keys go to the dialog's first control to take them.
        if (LOWORD(wParam) != WA_INACTIVE && !IsChild(hwnd(), GetFocus())) {
            if (HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE)) SetFocus(first);
            return 0;
        }
        return Default(message, wParam, lParam);
    case WM_SHOWWINDOW:
        // Without a main window the dialog comes from the tray: it must not open behind other programs.
        if (wParam != FALSE && owner_ == nullptr) SetForegroundWindow(hwnd());
        return Default(message, wParam, lParam);
    case WM_CLOSE:
        StartClosing(); // as Cancel
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tsln
