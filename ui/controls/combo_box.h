// A combo box: lines of text, each with a 32-bit item datum; by default a drop-down list (the user picks a
// line and cannot type), or a drop-down box whose text the user edits.
#pragma once
#include "ui/controls/control.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tsln {

class ComboBox : public Control {
public:
    enum class Style { kDropDownList, kDropDown };
    // The closed height follows the font; `bounds.height` is the closed height asked for, and the list
    // drops below it.
    ComboBox(HWND parent, const Bounds& bounds, Style style = Style::kDropDownList);

    // Appends a line (the list is not sorted); returns its index.
    int AddItem(const std::string& text);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    std::string List(int index) const;
    int32_t ItemData(int index) const;
    void SetItemData(int index, int32_t data);

    // The selected line, -1 for none. Setting it raises Click when the selection changes, as the user's
    // choice does.
    int ListIndex() const;
    void SetListIndex(int index);
    // A drop-down list: the selected line's text; setting it selects the first line with that text
    // (ignoring case) and raises an AppError (383) when there is none.
    std::string Text() const override;
    void SetText(const std::string& text) override;

    std::function<void()> Click;
    // A key released while the box has the focus, with its virtual-key code.
    std::function<void(int key)> KeyUp;

protected:
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int WindowHeight(int heightPx) const override;

private:
    void CheckIndex(int index) const;
    Style style_;
};

} // namespace tsln
