// What the control tests share: a real shown window to hold the controls, the look of a control as it
// paints itself, and a scratch application folder that receives the failure log.
#pragma once
#include "core/window.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <string>
#include <vector>

namespace controls_test {

class Host : public tsln::Window {
public:
    Host();
    // Runs the queued messages until a message posted now has come through (so everything queued before
    // it has been handled).
    void Settle();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.ControlsTest.WindowProc"; }

private:
    bool settled_ = false;
};

// The pixels of a window painted into memory (through WM_PRINT), as 0x00BBGGRR colours.
class Snapshot {
public:
    explicit Snapshot(HWND hwnd);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    // How many pixels of the rectangle are nearer to `a` than to `b`.
    int NearerTo(COLORREF a, COLORREF b, const RECT& area) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_; // top-down, 0x00RRGGBB
};

// While it lives, the program's log goes to a fresh folder.
class LogFolder {
public:
    LogFolder();
    ~LogFolder();
    std::string Log() const;

private:
    testing::TempDir folder_{"controls"};
    std::string old_;
};

} // namespace controls_test
