#include "rotation/collection_binding.h"

namespace tsln {

namespace {
class PageControls : public CollectionControls {
public:
    PageControls(ComboBox& list, Image& preview, Label& description)
        : list_(list), preview_(preview), description_(description) {}

    void ClearList() override { list_.Clear(); }
    void AddLine(const std::string& text, int16_t itemData) override {
        list_.SetItemData(list_.AddItem(text), itemData);
    }
    void SelectLine(int line) override { list_.SetListIndex(line); }
    bool SelectedItemData(int16_t& itemData) const override {
        const int line = list_.ListIndex();
        if (line < 0) return false;
        itemData = static_cast<int16_t>(list_.ItemData(line));
        return true;
    }
    PixelSize PreviewSize() const override {
        RECT inside = {};
        GetClientRect(preview_.hwnd(), &inside);
        return {inside.right - inside.left, inside.bottom - inside.top};
    }
    void ShowPicture(unique_gdi bitmap) override { preview_.SetPicture(std::move(bitmap)); }
    HWND OwnerWindow() const override { return GetAncestor(list_.hwnd(), GA_ROOT); }

private:
    ComboBox& list_;
    Image& preview_;
    Label& description_; // held with the page; the collection writes nothing into it
};
} // namespace

std::unique_ptr<CollectionControls> BindCollectionControls(ComboBox& list, Image& preview,
                                                           Label& description) {
    return std::make_unique<PageControls>(list, preview, description);
}

} // namespace tsln
