#include "ui/controls/buttons.h"

namespace tsln {

namespace {
constexpr Color kButtonFace = SystemColor(COLOR_BTNFACE);
constexpr Color kButtonText = SystemColor(COLOR_BTNTEXT);

// Under visual styles a check box or option button draws its text in the theme's colour: one that
// has colours of its own is drawn in the classic way. uxtheme is loaded only where styles are in use.
void DrawWithoutVisualStyle(HWND hwnd) {
    HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    if (uxtheme == nullptr) return;
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    auto setWindowTheme = reinterpret_cast<SetWindowThemeFn>(GetProcAddress(uxtheme, "SetWindowTheme"));
    if (setWindowTheme != nullptr) setWindowTheme(hwnd, L"", L"");
}
} // namespace

ToggleButton::ToggleButton(const char* kind, HWND parent, const std::string& caption, const Bounds& bounds,
                           DWORD style)
    : Control(kind, kBackAndFore, kButtonFace, kButtonText) {
    CreateChild(parent, "BUTTON", caption, style | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, bounds);
}

bool ToggleButton::Value() const {
    return hwnd() != nullptr && SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ToggleButton::SetCheck(bool on) {
    if (hwnd() != nullptr) SendMessageA(hwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ToggleButton::OnCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    UserClicked();
    return true;
}

void ToggleButton::OnAppearanceChanged() {
    if (ColorsSet() && hwnd() != nullptr) DrawWithoutVisualStyle(hwnd());
}

CheckBox::CheckBox(HWND parent, const std::string& caption, const Bounds& bounds)
    : ToggleButton("CheckBox", parent, caption, bounds, BS_AUTOCHECKBOX) {}

void CheckBox::SetValue(bool on) {
    if (hwnd() == nullptr) return; // the window is gone: nothing to set, nothing to raise
    const bool was = Value();
    SetCheck(on);
    if (was != on) Raise("Click", Click);
}

OptionButton::OptionButton(HWND parent, const std::string& caption, const Bounds& bounds)
    : ToggleButton("OptionButton", parent, caption, bounds, BS_AUTORADIOBUTTON) {}

void OptionButton::SetValue(bool on) {
    if (hwnd() == nullptr) return;
    SetCheck(on);
    if (!on) return;
    ClearGroup();
    Raise("Click", Click);
}

void OptionButton::UserClicked() {
    // The platform clears only the shown and enabled buttons of the group.
    ClearGroup();
    Raise("Click", Click);
}

void OptionButton::ClearGroup() {
    if (hwnd() == nullptr) return;
    for (Control* sibling : ControlsOf(GetParent(hwnd()), true)) {
        auto* option = dynamic_cast<OptionButton*>(sibling);
        if (option != nullptr && option != this) option->SetCheck(false);
    }
}

CommandButton::CommandButton(HWND parent, const std::string& caption, const Bounds& bounds)
    : Control("CommandButton", kBack, kButtonFace, kButtonText) {
    CreateChild(parent, "BUTTON", caption, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0,
                bounds);
    RaiseOnCommand(BN_CLICKED, "Click", Click);
}

} // namespace tsln
