// Page 1: adding and removing visual-styles manifests for other programs.
#pragma once
#include "ui/controls/buttons.h"
#include "ui/controls/control_array.h"
#include "ui/controls/frame.h"
#include "ui/controls/text_box.h"
#include "ui/main/main_page.h"

#include <string>

namespace tsln {

class StylesPage : public MainPage {
public:
    StylesPage(frmMain& window, PictureBox& panel);

    Frame& fraOptions(int index) const { return fraOptions_(index); }
    PictureBox& picFrame(int index) const { return picFrame_(index); }
    // In the add frame: 0 one program, 1 the whole Program Files folder, 2 a folder of the user's choice.
    OptionButton& optPath(int index) const { return optPath_(index); }
    // The same choices in the remove frame.
    OptionButton& optUndo(int index) const { return optUndo_(index); }
    // The chosen program or folder of each frame (0 add, 1 remove); the program being treated during a walk.
    TextBox& txtPath(int index) const { return txtPath_(index); }
    CommandButton& cmdBrowseVSS(int index) const { return cmdBrowseVSS_(index); }
    CommandButton& cmdAddRemove(int index) const { return cmdAddRemove_(index); }

private:
    // The option buttons of frame `side` (0 add, 1 remove).
    OptionButton& Choice(int side, int index) const { return side == 0 ? optPath(index) : optUndo(index); }
    // The clicked option button of frame `side`, in either frame.
    void opt_Click(int side, int index);
    void cmdBrowseVSS_Click(int side);
    void cmdAddRemove_Click(int side);
    // What the user chose in frame `side` (empty when cancelled).
    std::string AskProgram() const;
    std::string AskFolder() const;
    // Both text boxes emptied: a frame's button stays usable only where an empty path means Program Files.
    void ClearPaths();

    ControlArray<Frame> fraOptions_{"fraOptions"};
    ControlArray<PictureBox> picFrame_{"picFrame"};
    ControlArray<OptionButton> optPath_{"optPath"};
    ControlArray<OptionButton> optUndo_{"optUndo"};
    ControlArray<TextBox> txtPath_{"txtPath"};
    ControlArray<CommandButton> cmdBrowseVSS_{"cmdBrowseVSS"};
    ControlArray<CommandButton> cmdAddRemove_{"cmdAddRemove"};
};

} // namespace tsln
