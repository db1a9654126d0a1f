#include "rotation/collection_binding.h"

namespace tsln {

namespace {

class PageControls final : public CollectionControls {
public:
    PageControls(ComboBox& list, Image& preview, Label& label)
        : list_(list), preview_(preview), label_(label) {}

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
        RECT client = {};
        if (preview_.hwnd() != nullptr) GetClientRect(preview_.hwnd(), &client);
        return {client.right - client.left, client.bottom - client.top};
    }

    void ShowPicture(unique_gdi bitmap) override { preview_.SetPicture(std::move(bitmap)); }

    HWND OwnerWindow() const override {
        return list_.hwnd() != nullptr ? GetAncestor(list_.hwnd(), GA_ROOT) : nullptr;
    }

private:
    ComboBox& list_;
    Image& preview_;
    Label& label_; // held for the page; the collection writes nothing into it
};

} // namespace

std::unique_ptr<CollectionControls> BindCollectionPage(ComboBox& list, Image& preview, Label& label) {
    return std::make_unique<PageControls>(list, preview, label);
}

} // namespace tsln
