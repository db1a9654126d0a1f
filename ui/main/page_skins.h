// Page 4: the skins with their screenshot and description, and the program's options.
#pragma once
#include "skins/clsSkins.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_array.h"
#include "ui/controls/image.h"
#include "ui/main/main_page.h"

namespace tsln {

class SkinsPage : public MainPage {
public:
    // The option boxes by index.
    static constexpr int kOnTop = 2;
    static constexpr int kSound = 3;
    // The frames after the one shown where the skin's movie keeps its sound switch.
    static constexpr long kSoundOnFrames = 53;
    static constexpr long kSoundOffFrames = 52;

    SkinsPage(frmMain& window, PictureBox& panel);

    // Lists the skins through the window's skin manager.
    void Open() override;
    // The page's list, screenshot, description and apply button as the skin manager takes them.
    SkinsPageControls Controls();

    ComboBox& cboLista() const { return cboLista_(4); }
    Image& imgPreview() const { return imgPreview_(4); }
    Label& lblDescription() const { return lblDescription_(4); }
    CommandButton& cmdApply() const { return cmdApply_(4); }
    CheckBox& chkProgram(int index) const { return chkProgram_(index); }

private:
    void cboLista_Click();
    void cboLista_KeyUp(int key);
    void cmdApply_Click();
    void chkProgram_Click(int index);
    // Lets the movie visit its sound frame `frames` after the one shown, then shows that one again.
    void SwitchMovieSound(long frames);

    ControlArray<ComboBox> cboLista_{"cboLista"};
    ControlArray<Image> imgPreview_{"imgPreview"};
    ControlArray<Label> lblDescription_{"lblDescription"};
    ControlArray<CommandButton> cmdApply_{"cmdApply"};
    ControlArray<CheckBox> chkProgram_{"chkProgram"};
};

} // namespace tsln
