// The base of the program's small skinned dialogs (the message box and the change-settings dialog): a
// real modal window that borrows a skin manager for its outline (its shape control shChenar) and its
// colours, cross-fades in from its owner and back out to it, and unloads itself when the closing
// cross-fade has ended. The skin manager and the owner are given, never looked up.
#pragma once
#include "core/window.h"
#include "effects/clsTranspEffects.h"
#include "skins/clsSkins.h"
#include "ui/controls/buttons.h"
#include "ui/controls/control_array.h"
#include "ui/controls/shape.h"

#include <memory>
#include <string>

namespace tsln {

// A window's background in the skin's colour (the system's face colour until it has one).
class SkinBackground {
public:
    // False when no brush could be made; the colour shown stays.
    bool Set(HWND window, COLORREF color);
    // Paints the whole inside (WM_ERASEBKGND).
    void Erase(HWND window, HDC dc) const;

private:
    unique_gdi brush_;
};

// Offers every control of `window` the skin's colours; a control without one of them passes it.
void ForEachSkinnedControl(HWND window, const std::function<void(SkinColorable& control)>& visit);

class SkinnedDialog : public Window, public SkinTarget {
public:
    // `skins` is the main window's skin manager and `owner` the main window. Without a manager the dialog
    // takes the stored skin's look from the packages of `lookup` (the program's own when null) without
    // touching any other window; without an owner it is centred on the screen.
    SkinnedDialog(clsSkins* skins, HWND owner, const SkinsSetup* lookup = nullptr);
    ~SkinnedDialog() override;

    // SkinTarget: the dialog and its controls take the skin's colours.
    HWND Hwnd() const override { return hwnd(); }
    void ForEachControl(const std::function<void(SkinColorable& control)>& visit) override;
    bool SetBackColor(COLORREF color) override;
    bool SetForeColor(COLORREF color) override;

    HWND Owner() const { return owner_; }
    bool Closing() const { return Closing_; }

protected:
    // Creates the hidden window, `width` × `height` twips, with its outline shape covering it.
    void CreateSkinnedWindow(const char* className, const char* caption, int width, int height);
    // The steps of loading: skin it (target of the manager, colours, outline), place it over the owner
    // (or on the screen), start the opening cross-fade.
    void ApplySkin();
    void Center();
    void StartOpening();
    // A button was pressed: the closing cross-fade starts, and the dialog unloads when it has ended (at
    // once when it cannot run). Further presses while it runs change nothing.
    void StartClosing();
    // Shows the dialog modally over its owner; returns once it has unloaded.
    void ShowModal();

    // Enter and Esc press these buttons when they are shown (null: none).
    void SetDefaultButton(CommandButton* button);
    void SetCancelButton(CommandButton* button) { cancel_ = button; }
    // The button that Enter or Esc presses, or null; the dialog's own choice when its buttons change.
    virtual CommandButton* KeyButton(bool enter) const;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

    // The outline of the dialog, measured in twips from its top left corner.
    std::unique_ptr<Shape> shChenar;
    ControlArray<CommandButton> cmdOkC{"cmdOkC"};

private:
    void xEF_Done(const std::string& failure);
    void Unload();
    bool PreTranslateMessage(MSG& msg) override;

    clsSkins* skins_;
    std::unique_ptr<clsSkins> lentSkins_; // the stored skin's look, while no main window exists
    bool colored_ = true;                 // the manager has the skin's colours to give
    SkinTarget* previousTarget_ = nullptr;
    bool targeted_ = false;
    HWND owner_;
    std::unique_ptr<clsTranspEffects> xEF;
    bool Closing_ = false;
    SkinBackground background_;
    CommandButton* default_ = nullptr;
    CommandButton* cancel_ = nullptr;
};

} // namespace tsln
