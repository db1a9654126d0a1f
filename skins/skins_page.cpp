#include "skins/skins_page.h"
#include "ui/controls/bitmap.h"

namespace tsln {

SkinsPageControls BindSkinsPage(ComboBox& list, Image& preview, Label& description, CommandButton& apply) {
    SkinsPageControls page;
    page.ClearList = [&list] { list.Clear(); };
    page.AddToList = [&list](const std::string& line) { list.AddItem(line); };
    page.ListText = [&list] { return list.Text(); };
    page.SetListText = [&list](const std::string& text) { list.SetText(text); };
    page.EnableList = [&list](bool enabled) { list.SetEnabled(enabled); };
    // The image keeps a bitmap of its own; the loaded picture goes right after.
    page.ShowPreview = [&preview](unique_picture picture) {
        preview.SetPicture(BitmapFromPicture(picture.get()));
    };
    page.SetDescription = [&description](const std::string& text) { description.SetText(text); };
    page.EnableApply = [&apply](bool enabled) { apply.SetEnabled(enabled); };
    return page;
}

} // namespace tsln
