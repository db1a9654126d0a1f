#include "ui/main/page_visualstyles.h"
#include "core/message_box.h"
#include "core/mod_main.h"
#include "shellutil/browse_folder.h"
#include "shellutil/open_save.h"
#include "ui/main/frm_main.h"
#include "ui/msgbox.h"
#include "visualstyles/mod_visual_support.h"

namespace tsln {

namespace {
// The choices of each frame, by option index.
constexpr int kProgram = 0;
constexpr int kProgramFiles = 1;
constexpr int kFolder = 2;
constexpr int kChoices = 3;

constexpr int16_t kResultFontSize = 10;

const char* const kChoiceCaptions[kChoices] = {"choose the application", "process all Program Files folder",
                                               "choose the folder"};

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}
} // namespace

StylesPage::StylesPage(frmMain& window, PictureBox& panel) : MainPage(window, panel) {
    HWND tab = panel.hwnd();
    fraOptions_.Add(0, tab, "  Add Visual Styles Support   ", Bounds{60, 120, 3270, 2880});
    fraOptions_.Add(1, tab, "  Remove Visual Styles Support   ", Bounds{3405, 120, 3270, 2880});
    for (int side = 0; side < 2; ++side) {
        HWND inside = picFrame_.Add(side, fraOptions_(side).hwnd(), Bounds{75, 270, 3120, 2520}).hwnd();
        ControlArray<OptionButton>& choices = side == 0 ? optPath_ : optUndo_;
        for (int index = 0; index < kChoices; ++index)
            choices.Add(index, inside, kChoiceCaptions[index], Bounds{60, 90 + 375 * index, 3030, 300});
        TextBox& path = txtPath_.Add(side, inside, "", Bounds{60, 1365, 2490, 315});
        // Filled by the pickers only: what the buttons act on is always what was checked when chosen.
        SendMessageA(path.hwnd(), EM_SETREADONLY, TRUE, 0);
        cmdBrowseVSS_.Add(side, inside, "...", Bounds{2610, 1365, 450, 315}).SetEnabled(false);
        cmdAddRemove_.Add(side, inside, side == 0 ? "&Add" : "&Remove", Bounds{1860, 1950, 1200, 390})
            .SetEnabled(false);
    }
    optPath_.Bind(&OptionButton::Click, [this](int index) { opt_Click(0, index); });
    optUndo_.Bind(&OptionButton::Click, [this](int index) { opt_Click(1, index); });
    cmdBrowseVSS_.Bind(&CommandButton::Click, [this](int side) { cmdBrowseVSS_Click(side); });
    cmdAddRemove_.Bind(&CommandButton::Click, [this](int side) { cmdAddRemove_Click(side); });
}

void StylesPage::opt_Click(int side, int index) {
    if (GetProgFilesDir().empty()) {
        // No choice stays half made: the frame is back to nothing chosen and nothing to act on.
        Choice(side, index).SetValue(false);
        cmdBrowseVSS(side).SetEnabled(false);
        cmdAddRemove(side).SetEnabled(false);
        ProductBox("Cannot access Program Files folder!", MB_OK | MB_ICONERROR, window_.hwnd());
        return;
    }
    for (int frame = 0; frame < 2; ++frame) {
        cmdBrowseVSS(frame).SetEnabled(Choice(frame, kProgram).Value() || Choice(frame, kFolder).Value());
        cmdAddRemove(frame).SetEnabled(Choice(frame, kProgramFiles).Value());
    }
    txtPath(0).SetText("");
    txtPath(1).SetText("");
}

std::string StylesPage::AskProgram() const {
    clsOpenSave picker;
    picker.SethWnd(window_.hwnd());
    picker.SetDialogTitle("Choose a program");
    picker.SetFilter("Programs (*.exe)|*.exe");
    picker.SetInitDir(CurrentFolder());
    picker.ShowOpen();
    return picker.FileName();
}

std::string StylesPage::AskFolder() const {
    cBrowseFolder picker;
    return picker.ShowBrowse(window_.hwnd(), std::string("Choose the folder"),
                             AddBackslash(GetProgFilesDir()));
}

void StylesPage::cmdBrowseVSS_Click(int side) {
    const bool program = Choice(side, kProgram).Value();
    std::string choice = program ? AskProgram() : AskFolder();
    // A cancelled picker keeps what the frame had chosen before.
    if (choice.empty()) choice = txtPath(side).Text();
    txtPath(side).SetText(choice);
    cmdAddRemove(side).SetEnabled(false);
    if (choice.empty()) return;
    if (program && HasManifest(choice) == (side == 0)) {
        ShowMsgBox(side == 0 ? "This program already have an manifest file!"
                             : "This program does't have an manifest file!",
                   kResultFontSize, kMsgBoxOk);
        ClearPaths();
        return;
    }
    cmdAddRemove(side).SetEnabled(true);
}

void StylesPage::ClearPaths() {
    for (int frame = 0; frame < 2; ++frame) {
        txtPath(frame).SetText("");
        cmdAddRemove(frame).SetEnabled(Choice(frame, kProgramFiles).Value());
    }
}

void StylesPage::cmdAddRemove_Click(int side) {
    // Nothing else may start while the walk lets messages run: the frames and the window stay disabled
    // and the movie shows its working frame, whatever way the work ends.
    fraOptions(0).SetEnabled(false);
    fraOptions(1).SetEnabled(false);
    auto done = make_scope_exit([this] {
        fraOptions(0).SetEnabled(true);
        fraOptions(1).SetEnabled(true);
        window_.StepMovie(true, false);
    });
    BusyState busy(window_, MousePointer::kCustom);
    window_.StepMovie(false, false);
    cmdAddRemove(side).SetEnabled(false);

    const bool single = Choice(side, kProgram).Value();
    const std::string path = txtPath(side).Text();
    const ShowPath show = [this, side](const std::string& program) { txtPath(side).SetText(program); };
    if (side == 0) {
        AddVisualStyles(single, path, show);
        ShowMsgBox("Done, succesfuly added Visual Styles Support!", kResultFontSize, kMsgBoxOk);
    } else {
        RemoveVisualStyles(single, path, show);
        ShowMsgBox("Done, succesfuly removed Visual Styles Support!", kResultFontSize, kMsgBoxOk);
    }
    txtPath(side).SetText("");
}

} // namespace tsln
