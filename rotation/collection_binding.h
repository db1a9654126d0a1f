// The collection pages' real controls behind the collection's view of them: the list, the preview image
// and the description label of the logon-screen or wallpaper page.
#pragma once
#include "rotation/collection_controls.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"

#include <memory>

namespace tsln {

// The controls must outlive the collection they are bound to (the page's collection goes when the page
// closes, its controls with the window).
std::unique_ptr<CollectionControls> BindCollectionPage(ComboBox& list, Image& preview, Label& label);

} // namespace tsln
