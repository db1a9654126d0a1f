// What the settings store needs of a window whose page controls it fills and stores: the window's name,
// the transparency level and the two-state controls of the pages, by their names and indices.
#pragma once
#include <cstdint>
#include <string>

namespace tsln {

// A check box or an option button seen as on or off.
class SettingsToggle {
public:
    virtual bool Value() const = 0;
    // Setting the value from code raises the control's click handler, as a user's click does.
    virtual void SetValue(bool on) = 0;

protected:
    ~SettingsToggle() = default;
};

// The main window implements this; any other window (a dialog) may too, and is then left alone.
class SettingsForm {
public:
    virtual std::string Name() const = 0;

    // The transparency slider's value.
    virtual uint8_t LevelVAL() const = 0;
    virtual void SetLevelVAL(uint8_t value) = 0;

    // Control arrays; an index the window does not have raises an AppError.
    virtual SettingsToggle& chkTaskTransp(int index) = 0; // check boxes, page 0
    virtual SettingsToggle& chkDefault(int index) = 0;    // check boxes, pages 2 and 3
    virtual SettingsToggle& optOrder(int index) = 0;      // option buttons, pages 2 and 3
    virtual SettingsToggle& chkProgram(int index) = 0;    // check boxes, page 4

protected:
    ~SettingsForm() = default;
};

} // namespace tsln
