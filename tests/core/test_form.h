// A real window with the real page controls, standing in for the main window: named control arrays on
// hidden page panels, a text box for the transparency level, a list, and a log of the clicks raised.
#pragma once
#include "core/settings_form.h"
#include "core/window.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_array.h"
#include "ui/controls/picture_box.h"
#include "ui/controls/text_box.h"

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace settings_test {

class TestForm : public tsln::Window, public tsln::SettingsForm {
public:
    explicit TestForm(std::string name);

    std::string Name() const override { return name_; }
    uint8_t LevelVAL() const override;
    void SetLevelVAL(uint8_t value) override;
    tsln::SettingsToggle& chkTaskTransp(int index) override { return chkTaskTransp_(index); }
    tsln::SettingsToggle& chkDefault(int index) override { return chkDefault_(index); }
    tsln::SettingsToggle& optOrder(int index) override { return optOrder_(index); }
    tsln::SettingsToggle& chkProgram(int index) override { return chkProgram_(index); }

    tsln::ToggleButton& Find(const std::string& name, int index);
    // "chkProgram(3)" for every click raised, in order, and whether its control was shown then.
    const std::vector<std::pair<std::string, bool>>& Clicks() const { return clicks_; }
    void ClearClicks() { clicks_.clear(); }
    void ShowPage(int page, bool shown) { picTabs_(page).SetVisible(shown); }
    // The state of every control (check states, level text, list selection) as one text.
    std::string State() const;
    tsln::TextBox& Level() { return level_(0); }
    tsln::ComboBox& List() { return list_(3); }

protected:
    const char* FailureSource() const override { return "Tessaline.TestForm.WindowProc"; }

private:
    template <typename T>
    void AddToggle(tsln::ControlArray<T>& array, int index, int page, int y);
    template <typename T>
    void BindClicks(tsln::ControlArray<T>& array);

    std::string name_;
    tsln::ControlArray<tsln::PictureBox> picTabs_{"picTabs"};
    tsln::ControlArray<tsln::TextBox> level_{"Level"};
    tsln::ControlArray<tsln::ComboBox> list_{"cboLista"};
    tsln::ControlArray<tsln::CheckBox> chkTaskTransp_{"chkTaskTransp"};
    tsln::ControlArray<tsln::CheckBox> chkDefault_{"chkDefault"};
    tsln::ControlArray<tsln::OptionButton> optOrder_{"optOrder"};
    tsln::ControlArray<tsln::CheckBox> chkProgram_{"chkProgram"};
    std::vector<std::pair<std::string, bool>> clicks_;
};

// A user's click on a check box or option button (the platform's own handling of it).
void ClickAsUser(const tsln::Control& control);

} // namespace settings_test
