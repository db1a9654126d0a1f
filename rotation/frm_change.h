// The change-settings dialog: when the wallpaper or the logon screen changes by itself. It offers the
// scheduler's interval texts, shows the stored one, and stores the choice on OK only.
#pragma once
#include "core/clsSetari.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/label.h"
#include "ui/skinned_dialog.h"

#include <cstdint>
#include <memory>

namespace tsln {

class frmChange : public SkinnedDialog {
public:
    static constexpr const char* kClassName = "TessalineChange";
    static constexpr const char* kCaption = "Change settings";

    // Shows the dialog modally over `owner` (the main window), skinned by `skins`, for the kind
    // `ClassType` (its Interval setting); returns once it has unloaded.
    static void Afiseaza(clsSkins* skins, HWND owner, tType ClassType);

protected:
    const char* FailureSource() const override { return "Tessaline.frmChange.WindowProc"; }

private:
    frmChange(clsSkins* skins, HWND owner, tType classType);
    void Form_Load();
    void FillIntervals();
    void cmdOkC_Click(int index);

    tType mClassType;
    std::unique_ptr<clsSetari> cSettings;
    std::unique_ptr<Label> lblChange;
    std::unique_ptr<ComboBox> cboChange;
};

} // namespace tsln
