#include "rotation/collection_view.h"

namespace tsln {

ListShow WhatEnumerateShows(const WLList& list, int16_t currentPosition, bool defaultChosen) {
    ListShow show;
    const int16_t count = list.Count();
    show.lines.reserve(static_cast<size_t>(count));
    for (int16_t position = 1; position <= count; ++position)
        show.lines.push_back({list[position].Name, position});
    show.howToAdd = count == 0 || defaultChosen;
    if (count > 0) {
        show.selectedLine = 0;
        for (size_t line = 0; line < show.lines.size(); ++line) {
            if (show.lines[line].itemData == currentPosition) {
                show.selectedLine = static_cast<int>(line);
                break;
            }
        }
    }
    return show;
}

PreviewShow WhatPreviewShows(int16_t count, bool defaultChosen, tType kind) {
    if (count < 1 || defaultChosen) return PreviewShow::NoPreview;
    return IsLogons(kind) ? PreviewShow::Screenshot : PreviewShow::PictureFile;
}

} // namespace tsln
