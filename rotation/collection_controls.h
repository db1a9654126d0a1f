// What a picture collection needs of the page controls it fills: the list, the preview image and the
// window they sit in. The main window's page owns the controls and hands them over through
// clsWallpaperLogons::SetControls; the collection never sees their handles. The page's description
// label is handed over with them and held, but the collection writes nothing into it.
#pragma once
#include "core/unique_any.h"
#include "shellutil/picture_format.h"

#include <windows.h>
#include <cstdint>
#include <string>

namespace tsln {

class CollectionControls {
public:
    virtual ~CollectionControls() = default;

    // Empties the list.
    virtual void ClearList() = 0;
    // Adds a line at the end, carrying the position of its entry.
    virtual void AddLine(const std::string& text, int16_t itemData) = 0;
    // Selects a line by its index; the page's selection handler runs as for a user's choice.
    virtual void SelectLine(int line) = 0;
    // The item data of the selected line; false when no line is selected.
    virtual bool SelectedItemData(int16_t& itemData) const = 0;

    // The preview's size in pixels: pictures are fitted inside it before they are shown.
    virtual PixelSize PreviewSize() const = 0;
    // Shows a bitmap that already fits the preview; the image owns it from then on.
    virtual void ShowPicture(unique_gdi bitmap) = 0;

    // The window that owns the page, for the file picker and the message boxes.
    virtual HWND OwnerWindow() const = 0;
};

} // namespace tsln
