#include "ui/frm_msgbox.h"
#include "core/product.h"
#include "core/units.h"

#include <algorithm>

namespace tsln {

namespace {
// The layout in twips: the box's width, its margins, the buttons and the gap between them.
constexpr int kWidth = 5400;
constexpr int kMargin = 360;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kButtonGap = 240;
constexpr int kMinTextHeight = 480;
constexpr int kMaxTextHeight = 7200;

constexpr int kOk = 0;
constexpr int kCancel = 1;

// The height in twips that `text` takes in `font` at `width` twips, wrapped as the label wraps it.
int TextHeight(const std::string& text, HFONT font, int width) {
    unique_hdc screen(CreateCompatibleDC(nullptr));
    const unique_select selected(screen.get(), font);
    RECT area = {0, 0, TwipsToPixels(width, ScreenDpiX()), 0};
    DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_CENTER);
    return PixelsToTwips(area.bottom, ScreenDpiY());
}
} // namespace

frmMsgBox::frmMsgBox(clsSkins* skins, HWND owner, const SkinsSetup* lookup)
    : SkinnedDialog(skins, owner, lookup) {
    CreateSkinnedWindow(kClassName, kProductTitle, kWidth,
                        2 * kMargin + kMinTextHeight + kButtonHeight + kMargin);
    lblMsg =
        std::make_unique<Label>(hwnd(), "", Bounds{kMargin, kMargin, kWidth - 2 * kMargin, kMinTextHeight},
                                Label::Alignment::kCenter);
    lblMsg->SetName("lblMsg");
    // Long words (paths) break at the label's edge instead of running past it.
    SetWindowLongPtrA(lblMsg->hwnd(), GWL_STYLE,
                      GetWindowLongPtrA(lblMsg->hwnd(), GWL_STYLE) | SS_EDITCONTROL);
    // Cancel first: the left one, and the first to take the keys when it is shown.
    cmdOkC.Add(kCancel, hwnd(), "Cancel", Bounds{0, 0, kButtonWidth, kButtonHeight});
    cmdOkC.Add(kOk, hwnd(), "OK", Bounds{0, 0, kButtonWidth, kButtonHeight});
    cmdOkC.ForEach([](int, CommandButton& button) { button.SetVisible(false); });
    cmdOkC.Bind(&CommandButton::Click, [this](int index) { cmdOkC_Click(index); });
    SetDefaultButton(&cmdOkC(kCancel));
    SetCancelButton(&cmdOkC(kCancel));
}

int32_t frmMsgBox::ShowMsgBox(clsSkins* skins, HWND owner, const std::string& strMessage, int16_t iFontSize,
                              int32_t tMsgType, const SkinsSetup* lookup) {
    // A fresh box every time, with mResult 0.
    unique_window<frmMsgBox> box(new frmMsgBox(skins, owner, lookup));
    box->SetMessage(strMessage, iFontSize);
    box->ShowButtons(tMsgType);
    box->Form_Load();
    box->ShowModal();
    return box->mResult;
}

void frmMsgBox::SetMessage(const std::string& strMessage, int16_t iFontSize) {
    lblMsg->SetFont(FontSpec{kFontName, static_cast<double>(iFontSize), true});
    lblMsg->SetText(strMessage);
    // The box grows with its message, up to a height that fits every screen.
    const int textHeight = std::clamp(
        TextHeight(strMessage, reinterpret_cast<HFONT>(SendMessageA(lblMsg->hwnd(), WM_GETFONT, 0, 0)),
                   lblMsg->Width()),
        kMinTextHeight, kMaxTextHeight);
    lblMsg->SetHeight(textHeight);
    const int buttonsTop = kMargin + textHeight + kMargin;
    const int height = buttonsTop + kButtonHeight + kMargin;
    SetWindowPos(hwnd(), nullptr, 0, 0, TwipsToPixels(kWidth, ScreenDpiX()),
                 TwipsToPixels(height, ScreenDpiY()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    shChenar->Move(Bounds{0, 0, kWidth, height});
    cmdOkC.ForEach([&](int, CommandButton& button) { button.SetTop(buttonsTop); });
}

void frmMsgBox::ShowButtons(int32_t tMsgType) {
    if (tMsgType == 0) {
        cmdOkC(kOk).SetLeft((kWidth - kButtonWidth) / 2);
        cmdOkC(kOk).SetVisible(true);
    } else if (tMsgType == 1) {
        // OK to the right of Cancel, the pair centred.
        const int left = (kWidth - 2 * kButtonWidth - kButtonGap) / 2;
        cmdOkC(kCancel).SetLeft(left);
        cmdOkC(kOk).SetLeft(left + kButtonWidth + kButtonGap);
        cmdOkC(kOk).SetVisible(true);
        cmdOkC(kCancel).SetVisible(true);
    }
    // Any other kind shows neither button; Esc still closes the box.
}

CommandButton* frmMsgBox::KeyButton(bool enter) const {
    // Cancel takes Enter and Esc; while OK alone is shown, OK takes both.
    CommandButton* cancel = SkinnedDialog::KeyButton(enter);
    if (cancel != nullptr) return cancel;
    return cmdOkC(kOk).Visible() ? &cmdOkC(kOk) : nullptr;
}

void frmMsgBox::Form_Load() {
    Center();
    ApplySkin();
    StartOpening();
}

void frmMsgBox::cmdOkC_Click(int index) {
    if (Closing()) return; // already on its way out
    if (index == kOk) mResult = 1;
    StartClosing();
}

int ShowSkinnedMsgBox(clsSkins* skins, HWND owner, const std::string& message, int fontSize, int type) {
    return frmMsgBox::ShowMsgBox(skins, owner, message, static_cast<int16_t>(fontSize), type);
}

int ShowSkinnedMsgBox(const SkinsSetup& lookup, const std::string& message, int fontSize, int type) {
    return frmMsgBox::ShowMsgBox(nullptr, nullptr, message, static_cast<int16_t>(fontSize), type, &lookup);
}

} // namespace tsln
