#include "rotation/frm_change.h"
#include "core/app_error.h"

namespace tsln {

namespace {
// The layout in twips.
constexpr int kWidth = 4200;
constexpr int kHeight = 2100;
constexpr int kMargin = 300;
constexpr int kButtonWidth = 1095;
constexpr int kButtonHeight = 375;
constexpr int kButtonGap = 120;
constexpr int kButtonsTop = 1440;

constexpr int kOk = 0;
constexpr int kCancel = 1;

// The scheduler's intervals, in the order they are offered; the tenth entry depends on the kind.
const char* const kIntervals[] = {
    "never",      "every 5 minutes", "every 15 minutes", "every 30 minutes", "every 45 minutes",
    "every hour", "every 3 hours",   "every 5 hours",    "every 10 hours"};
} // namespace

frmChange::frmChange(clsSkins* skins, HWND owner, tType classType)
    : SkinnedDialog(skins, owner), mClassType(classType) {
    CreateSkinnedWindow(kClassName, kCaption, kWidth, kHeight);
    const int inner = kWidth - 2 * kMargin;
    lblChange = std::make_unique<Label>(hwnd(), "", Bounds{kMargin, kMargin, inner, 285});
    lblChange->SetName("lblChange");
    lblChange->SetFont(FontSpec{"Tahoma", 8.25, true});
    cboChange = std::make_unique<ComboBox>(hwnd(), Bounds{kMargin, 720, inner, 315});
    cboChange->SetName("cboChange");
    // Cancel to the left of OK, the pair at the right edge; the tab order follows.
    const int okLeft = kWidth - kMargin - kButtonWidth;
    cmdOkC.Add(kCancel, hwnd(), "&Cancel",
               Bounds{okLeft - kButtonGap - kButtonWidth, kButtonsTop, kButtonWidth, kButtonHeight});
    cmdOkC.Add(kOk, hwnd(), "&OK", Bounds{okLeft, kButtonsTop, kButtonWidth, kButtonHeight});
    cmdOkC.Bind(&CommandButton::Click, [this](int index) { cmdOkC_Click(index); });
    SetDefaultButton(&cmdOkC(kOk));
    SetCancelButton(&cmdOkC(kCancel));
}

void frmChange::Afiseaza(clsSkins* skins, HWND owner, tType ClassType) {
    // A fresh dialog every time; it unloads itself, and goes with this owner.
    unique_window<frmChange> dialog(new frmChange(skins, owner, ClassType));
    dialog->Form_Load();
    dialog->ShowModal();
}

void frmChange::Form_Load() {
    // A failing step is reported and the steps after it do not run; the dialog stays open.
    Guarded("Tessaline.frmChange.Form_Load", kShown, [&] {
        ApplySkin();
        Center();
        StartOpening();
        RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        cSettings = std::make_unique<clsSetari>();
        FillIntervals();
        const std::string current = cSettings->Collection(mClassType).Interval();
        for (int i = 0; i < cboChange->ListCount(); ++i) {
            if (lstrcmpiA(cboChange->List(i).c_str(), current.c_str()) == 0) {
                cboChange->SetListIndex(i);
                break;
            }
        }
        // A stored interval the list does not offer (the scheduler accepts more) is shown as it is, so
        // that OK keeps it.
        if (cboChange->ListIndex() < 0 && !current.empty())
            cboChange->SetListIndex(cboChange->AddItem(current));
        lblChange->SetText(std::string("automatic change ") +
                           (IsLogons(mClassType) ? "Logon UI" : "Wallpaper"));
    });
}

void frmChange::FillIntervals() {
    for (const char* interval : kIntervals)
        cboChange->AddItem(interval);
    cboChange->AddItem(IsLogons(mClassType) ? "on Log Off" : "on Log ON");
}

void frmChange::cmdOkC_Click(int index) {
    Guarded("Tessaline.frmChange.cmdOkC_Click", kShown, [&] {
        if (Closing()) return; // already on its way out
        // Nothing chosen (the list could not be filled) stores nothing.
        if (index == kOk && cSettings && cboChange->ListIndex() >= 0) {
            const std::string chosen = cboChange->Text();
            cSettings->Collection(mClassType).SetInterval(chosen);
        }
        StartClosing();
    });
}

} // namespace tsln
