// The skins page's real controls behind what the skin manager needs of them: the list of skins, the
// preview image, the description label and the apply button.
#pragma once
#include "skins/skin_target.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"

namespace tsln {

// The controls must outlive the manager's use of them (they go with the main window, after it).
SkinsPageControls BindSkinsPage(ComboBox& list, Image& preview, Label& description, CommandButton& apply);

} // namespace tsln
