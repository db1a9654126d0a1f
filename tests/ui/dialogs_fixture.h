// What the dialog tests share: a real skin package, a skinned stand-in for the main window that owns the
// one skin manager, translucency switched on, and a driver that acts on a dialog from inside its modal
// loop (a thread timer ticks there, as the program's timers do).
#pragma once
#include "core/clsSetari.h"
#include "tests/effects/effects_fixture.h"
#include "tests/skins/skins_fixture.h"
#include "ui/controls/control.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dialogs_test {

class DialogsFixture : public skins_test::SkinsFixture {
public:
    // A package "Night" is the stored skin; the main window has it applied and is active.
    DialogsFixture();
    HWND Main() const { return main.hwnd(); }

    skins_test::TestWindow main;
    skins_test::TestPage page;
    std::unique_ptr<tsln::clsSkins> skins;
};

// The skin's two colours (skins_test::SkinIni).
constexpr COLORREF kNormalControl = 0xFF0000;
constexpr COLORREF kNormalFont = 0x00FFFF;

// Calls `step` every few milliseconds while this thread's messages run (inside a modal loop too), until
// it returns true; stops with the object.
class DuringModal {
public:
    explicit DuringModal(std::function<bool()> step);
    ~DuringModal();
    DuringModal(const DuringModal&) = delete;
    DuringModal& operator=(const DuringModal&) = delete;
    bool Finished() const { return finished_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::function<bool()> step_;
    UINT_PTR timer_ = 0;
    bool finished_ = false;
};

// The shown top-level window of this process of that class, or null.
HWND FindDialog(const char* className);
// The control of `dialog` of that kind whose text is `text` (any text when empty), or null.
template <typename T>
T* ControlOf(HWND dialog, const std::string& text = {}) {
    for (tsln::Control* control : tsln::ControlsOf(dialog))
        if (auto* found = dynamic_cast<T*>(control))
            if (text.empty() || found->Text() == text) return found;
    return nullptr;
}
using effects_test::Alpha;
// A left click as the mouse makes it: button down and up inside the window.
void LeftClick(HWND window);
// A key pressed and released on the window that has the focus.
void PressKey(WPARAM key);
// Whether the window has an outline region.
bool HasRegion(HWND window);

} // namespace dialogs_test
