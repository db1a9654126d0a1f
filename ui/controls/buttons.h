// Buttons: the two-state check box and option button, and the command button.
#pragma once
#include "core/settings_form.h"
#include "ui/controls/control.h"

#include <functional>
#include <string>

namespace tsln {

// A check box or an option button: on or off, and one click event for the user's clicks and for values
// set from code alike.
class ToggleButton : public Control, public SettingsToggle {
public:
    bool Value() const override;
    std::function<void()> Click;

protected:
    ToggleButton(const char* kind, HWND parent, const std::string& caption, const Bounds& bounds,
                 DWORD style);
    void SetCheck(bool on);
    bool OnCommand(WORD code) override;
    void OnAppearanceChanged() override;
    // A user's click, after the platform changed the value.
    virtual void UserClicked() { Raise("Click", Click); }
};

// Setting the value from code raises Click when it changes, as a user's click does.
class CheckBox : public ToggleButton {
public:
    CheckBox(HWND parent, const std::string& caption, const Bounds& bounds);
    void SetValue(bool on) override;
};

// The option buttons of one container are one group: setting one on (by the user or from code) sets the
// others off and raises its Click, even when it was on already; setting one off raises nothing.
class OptionButton : public ToggleButton {
public:
    OptionButton(HWND parent, const std::string& caption, const Bounds& bounds);
    void SetValue(bool on) override;

protected:
    void UserClicked() override;

private:
    void ClearGroup();
};

class CommandButton : public Control {
public:
    CommandButton(HWND parent, const std::string& caption, const Bounds& bounds);
    // Raises Click as a user's press does (whether or not the button is enabled).
    void Press() { Raise("Click", Click); }
    std::function<void()> Click;
};

} // namespace tsln
