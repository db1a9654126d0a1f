// The busy state of the main window while one of its pages works: the window's pointer changes and the
// window is disabled; both come back when the state ends, whatever way the work ended. The window is held
// meanwhile (frmMain::Hold): the work may let messages run.
#pragma once

namespace tsln {

class frmMain;

// The window's mouse pointers, by the numbers the pages use.
enum class MousePointer { kDefault = 0, kHourglass = 11, kCustom = 99 };

class BusyState {
public:
    BusyState(frmMain& window, MousePointer pointer = MousePointer::kHourglass);
    ~BusyState();
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

private:
    frmMain& window_;
};

} // namespace tsln
