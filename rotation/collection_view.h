// What a collection shows in its page's controls, decided without the controls: the lines of the list
// with their item data, the line to select and the picture of the preview.
#pragma once
#include "rotation/wallpaper_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsln {

// The program's built-in pictures of the collections (resources of type "GIF").
constexpr int kNoPreviewPicture = 101; // nothing to preview
constexpr int kHowToAddPicture = 102;  // the list is empty or the default is chosen

struct ListLine {
    std::string text;
    int16_t itemData; // the position of the line's entry
};

struct ListShow {
    std::vector<ListLine> lines; // one per entry, in list order
    int selectedLine = -1;       // -1: no line to select
    bool howToAdd = false;       // the preview shows the how-to-add picture
};

// The list of Enumerate. The selected line is the one whose item data is `currentPosition`, so that of
// two entries with the same name the right one is selected; without one, the first line.
ListShow WhatEnumerateShows(const WLList& list, int16_t currentPosition, bool defaultChosen);

enum class PreviewShow {
    NoPreview,   // the no-preview picture
    PictureFile, // the entry's own picture
    Screenshot,  // a screenshot from the logon screen's folder (no-preview picture when it has none)
};

// The preview of an entry whose file is there.
PreviewShow WhatPreviewShows(int16_t count, bool defaultChosen, tType kind);

} // namespace tsln
