// The program's skinned message box: one message in a chosen size of Lucida Console bold, with OK or
// OK and Cancel, cross-faded in over the main window. It answers 1 for OK and 0 otherwise.
#pragma once
#include "ui/controls/label.h"
#include "ui/skinned_dialog.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tsln {

class frmMsgBox : public SkinnedDialog {
public:
    static constexpr const char* kClassName = "TessalineMsgBox";
    // The message's font (its size is the caller's).
    static constexpr const char* kFontName = "Lucida Console";

    // Shows `strMessage` in `iFontSize` points, with OK for `tMsgType` 0, OK and Cancel for 1 and no
    // button otherwise, modally over `owner`, skinned by `skins` (see SkinnedDialog for null). Returns
    // once the box has unloaded: 1 when OK was pressed, 0 otherwise. Failures pass to the caller.
    static int32_t ShowMsgBox(clsSkins* skins, HWND owner, const std::string& strMessage, int16_t iFontSize,
                              int32_t tMsgType, const SkinsSetup* lookup = nullptr);

protected:
    const char* FailureSource() const override { return "Tessaline.frmMsgBox.WindowProc"; }
    CommandButton* KeyButton(bool enter) const override;

private:
    frmMsgBox(clsSkins* skins, HWND owner, const SkinsSetup* lookup);
    void SetMessage(const std::string& strMessage, int16_t iFontSize);
    void ShowButtons(int32_t tMsgType);
    void Form_Load();
    void cmdOkC_Click(int index);

    std::unique_ptr<Label> lblMsg;
    int32_t mResult = 0;
};

// The skinned box as the program's callers use it: over the main window with its skin manager, or, when
// no main window exists (`skins` null), centred on the screen in the stored skin's look.
int ShowSkinnedMsgBox(clsSkins* skins, HWND owner, const std::string& message, int fontSize, int type);
// The same without a main window, the stored skin taken from the packages of `lookup`.
int ShowSkinnedMsgBox(const SkinsSetup& lookup, const std::string& message, int fontSize, int type);

} // namespace tsln
