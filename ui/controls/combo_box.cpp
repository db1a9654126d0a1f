#include "ui/controls/combo_box.h"

namespace tsln {

namespace {
// How far the list drops below the box, in pixels at the screen's size (about eight lines).
constexpr int kListHeight = 8 * 16;
} // namespace

ComboBox::ComboBox(HWND parent, const Bounds& bounds, Style style)
    : Control("ComboBox", kBackAndFore, SystemColor(COLOR_WINDOW), SystemColor(COLOR_WINDOWTEXT)),
      style_(style) {
    const DWORD kind = style == Style::kDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
    CreateChild(parent, "COMBOBOX", "", kind | WS_VSCROLL | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0,
                bounds);
    // The dropped list and the edit box report their colours through the parent as well.
    COMBOBOXINFO info = {sizeof info};
    if (GetComboBoxInfo(hwnd(), &info)) {
        BindPart(info.hwndList);
        BindPart(info.hwndItem);
    }
    RaiseOnCommand(CBN_SELCHANGE, "Click", Click);
}

int ComboBox::WindowHeight(int heightPx) const {
    return heightPx + kListHeight;
}

void ComboBox::CheckIndex(int index) const {
    if (index < 0 || index >= ListCount()) TSLN_FAIL(err::kInvalidPropertyIndex);
}

int ComboBox::AddItem(const std::string& text) {
    const LRESULT index = SendMessageA(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) TSLN_FAIL(err::kOutOfMemory);
    return static_cast<int>(index);
}

void ComboBox::RemoveItem(int index) {
    CheckIndex(index);
    SendMessageA(hwnd(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboBox::Clear() {
    SendMessageA(hwnd(), CB_RESETCONTENT, 0, 0);
}

int ComboBox::ListCount() const {
    const LRESULT count = hwnd() != nullptr ? SendMessageA(hwnd(), CB_GETCOUNT, 0, 0) : 0;
    return count > 0 ? static_cast<int>(count) : 0;
}

std::string ComboBox::List(int index) const {
    CheckIndex(index);
    const LRESULT length = SendMessageA(hwnd(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const LRESULT got =
        SendMessageA(hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

int32_t ComboBox::ItemData(int index) const {
    CheckIndex(index);
    return static_cast<int32_t>(SendMessageA(hwnd(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void ComboBox::SetItemData(int index, int32_t data) {
    CheckIndex(index);
    SendMessageA(hwnd(), CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

int ComboBox::ListIndex() const {
    return hwnd() != nullptr ? static_cast<int>(SendMessageA(hwnd(), CB_GETCURSEL, 0, 0)) : -1;
}

void ComboBox::SetListIndex(int index) {
    if (index != -1) CheckIndex(index);
    if (index == ListIndex()) return;
    SendMessageA(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Raise("Click", Click);
}

std::string ComboBox::Text() const {
    if (style_ == Style::kDropDown) return Control::Text();
    const int index = ListIndex();
    return index >= 0 ? List(index) : std::string();
}

void ComboBox::SetText(const std::string& text) {
    if (style_ == Style::kDropDown) return Control::SetText(text);
    const LRESULT found = SendMessageA(hwnd(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    if (found < 0) TSLN_FAIL(err::kPropertyReadOnly);
    SetListIndex(static_cast<int>(found));
}

LRESULT ComboBox::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallOriginal(message, wParam, lParam);
    if (message == WM_KEYUP) Raise("KeyUp", KeyUp, static_cast<int>(wParam));
    return result;
}

} // namespace tsln
