// A real window with real page controls, standing in for the main window: named controls on hidden page
// panels, an edit box for the transparency level, and a log of the clicks raised by setting values.
#pragma once
#include "core/settings_form.h"
#include "core/window.h"

#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace settings_test {

class TestForm;

// A BUTTON check box or option button. Setting the value from code raises the form's click log as a
// user's click would: a check box when its value changes, an option button when it is set on (which
// clears the other buttons of its group).
class ButtonToggle : public tsln::SettingsToggle {
public:
    ButtonToggle(TestForm& form, std::string name, int index, int group, HWND hwnd, bool option)
        : form_(form), name_(std::move(name)), index_(index), group_(group), hwnd_(hwnd), option_(option) {}
    bool Value() const override;
    void SetValue(bool on) override;
    HWND hwnd() const { return hwnd_; }
    // A user's click on the control (the button's own handling, nothing of ours).
    void Click() const;

private:
    friend class TestForm;
    TestForm& form_;
    std::string name_;
    int index_;
    int group_;
    HWND hwnd_;
    bool option_;
};

class TestForm : public tsln::Window, public tsln::SettingsForm {
public:
    explicit TestForm(std::string name);

    std::string Name() const override { return name_; }
    uint8_t LevelVAL() const override;
    void SetLevelVAL(uint8_t value) override;
    tsln::SettingsToggle& chkTaskTransp(int index) override { return Find("chkTaskTransp", index); }
    tsln::SettingsToggle& chkDefault(int index) override { return Find("chkDefault", index); }
    tsln::SettingsToggle& optOrder(int index) override { return Find("optOrder", index); }
    tsln::SettingsToggle& chkProgram(int index) override { return Find("chkProgram", index); }

    ButtonToggle& Find(const std::string& name, int index);
    // "chkProgram(3)" for every click raised, in order, and whether its control was shown then.
    const std::vector<std::pair<std::string, bool>>& Clicks() const { return clicks_; }
    void ClearClicks() { clicks_.clear(); }
    void ShowPage(int page, bool shown);
    // The state of every control (check states, level text, list selection) as one text.
    std::string State() const;
    HWND Level() const { return level_; }
    HWND List() const { return list_; }

protected:
    const char* FailureSource() const override { return "Tessaline.TestForm.WindowProc"; }

private:
    friend class ButtonToggle;
    void AddToggle(const char* name, int index, int page, bool option, int y);
    void Clicked(const ButtonToggle& control);
    void ClearGroup(const ButtonToggle& except);

    std::string name_;
    HWND pages_[6] = {};
    HWND level_ = nullptr;
    HWND list_ = nullptr;
    std::map<std::pair<std::string, int>, std::unique_ptr<ButtonToggle>> toggles_;
    std::vector<std::pair<std::string, bool>> clicks_;
};

} // namespace settings_test
