// The picture collections' view of a list page: its real list, preview image and description label.
#pragma once
#include "rotation/collection_controls.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"

#include <memory>

namespace tsln {

// Binds the page's three controls (which must outlive the binding) for clsWallpaperLogons::SetControls.
std::unique_ptr<CollectionControls> BindCollectionControls(ComboBox& list, Image& preview,
                                                           Label& description);

} // namespace tsln
