// The change-settings dialog as a real window over a skinned owner: what it offers and shows for each
// kind, and that only OK stores the choice in the real registry.
#include "core/clsSetari.h"
#include "rotation/frm_change.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/label.h"

#include <doctest.h>

using namespace tsln;
using namespace dialogs_test;

namespace {
struct Seen {
    bool opened = false;
    std::string caption, heading, selected;
    std::vector<std::string> lines;
    bool ownerEnabled = true;
    bool targeted = false;
    bool region = false;
    Color comboBack = 0, headingFore = 0;
};

// Opens the dialog for `kind`; once it has faded in, looks at it and runs `answer` on it.
Seen Open(DialogsFixture& f, tType kind, const std::function<void(HWND dialog, ComboBox& list)>& answer) {
    Seen seen;
    DuringModal driver([&] {
        HWND dialog = FindDialog(frmChange::kClassName);
        if (dialog == nullptr || Alpha(dialog) != 230) return false;
        seen.opened = true;
        seen.caption = testing::WindowText(dialog);
        ComboBox* list = ControlOf<ComboBox>(dialog);
        Label* heading = ControlOf<Label>(dialog);
        REQUIRE(list != nullptr);
        REQUIRE(heading != nullptr);
        seen.heading = heading->Text();
        for (int i = 0; i < list->ListCount(); ++i)
            seen.lines.push_back(list->List(i));
        seen.selected = list->Text();
        seen.ownerEnabled = IsWindowEnabled(f.Main()) != FALSE;
        seen.targeted = f.skins->Form() != nullptr && f.skins->Form()->Hwnd() == dialog;
        seen.region = HasRegion(dialog);
        seen.comboBack = list->BackColor();
        seen.headingFore = heading->ForeColor();
        answer(dialog, *list);
        return true;
    });
    frmChange::Afiseaza(f.skins.get(), f.Main(), kind);
    CHECK(driver.Finished());
    // Gone, the main window back as it was before the dialog.
    CHECK(FindDialog(frmChange::kClassName) == nullptr);
    CHECK(IsWindowEnabled(f.Main()));
    CHECK(GetActiveWindow() == f.Main());
    CHECK(f.skins->Form() == &f.main);
    CHECK(Alpha(f.Main()) == 230);
    return seen;
}

void Click(HWND dialog, const std::string& caption) {
    CommandButton* button = ControlOf<CommandButton>(dialog, caption);
    REQUIRE(button != nullptr);
    LeftClick(button->hwnd());
}

// The user moves the selection one line down with the keyboard.
void NextLine(ComboBox& list) {
    SetFocus(list.hwnd());
    SendMessageA(list.hwnd(), WM_KEYDOWN, VK_DOWN, 1);
}

const std::vector<std::string> kOffered = {
    "never",      "every 5 minutes", "every 15 minutes", "every 30 minutes", "every 45 minutes",
    "every hour", "every 3 hours",   "every 5 hours",    "every 10 hours"};

std::vector<std::string> With(const std::string& tenth) {
    std::vector<std::string> lines = kOffered;
    lines.push_back(tenth);
    return lines;
}
} // namespace

TEST_CASE("the change-settings dialog stores the interval only on OK") {
    DialogsFixture f;
    clsSetari settings;

    SUBCASE("wallpapers: Cancel after a change leaves WInterval") {
        settings.SetWInterval("every hour");
        settings.SetLInterval("every 5 hours");
        const Seen seen = Open(f, tType::Wallpapers, [](HWND dialog, ComboBox& list) {
            NextLine(list);
            CHECK(list.Text() == "every 3 hours");
            Click(dialog, "&Cancel");
        });
        CHECK(seen.opened);
        CHECK(seen.caption == "Change settings");
        CHECK(seen.lines == With("on Log ON"));
        CHECK(seen.selected == "every hour");
        CHECK(seen.heading == "automatic change Wallpaper");
        CHECK_FALSE(seen.ownerEnabled);
        CHECK(seen.targeted);
        CHECK(seen.region);
        CHECK(seen.comboBack == kNormalControl);
        CHECK(seen.headingFore == kNormalFont);
        CHECK(settings.WInterval() == "every hour");
        CHECK(settings.LInterval() == "every 5 hours");
    }
    SUBCASE("wallpapers: OK stores the choice in WInterval alone") {
        settings.SetWInterval("every hour");
        settings.SetLInterval("every 5 hours");
        Open(f, tType::Wallpapers, [](HWND dialog, ComboBox& list) {
            NextLine(list);
            Click(dialog, "&OK");
        });
        CHECK(settings.WInterval() == "every 3 hours");
        CHECK(settings.LInterval() == "every 5 hours");
    }
    SUBCASE("logon screens: the tenth entry is on Log Off; OK stores LInterval") {
        settings.SetLInterval("every 10 hours");
        settings.SetWInterval("never");
        const Seen seen = Open(f, tType::Logons, [](HWND dialog, ComboBox& list) {
            NextLine(list);
            Click(dialog, "&OK");
        });
        CHECK(seen.lines == With("on Log Off"));
        CHECK(seen.selected == "every 10 hours");
        CHECK(seen.heading == "automatic change Logon UI");
        CHECK(settings.LInterval() == "on Log Off");
        CHECK(settings.WInterval() == "never");
    }
    SUBCASE("keys: Enter is OK, Esc is Cancel, Alt+C is Cancel") {
        settings.SetWInterval("never");
        Open(f, tType::Wallpapers, [](HWND, ComboBox& list) {
            NextLine(list);
            PressKey(VK_ESCAPE);
        });
        CHECK(settings.WInterval() == "never");
        Open(f, tType::Wallpapers, [](HWND dialog, ComboBox& list) {
            NextLine(list);
            PostMessageA(GetFocus(), WM_SYSCHAR, 'c', 1 << 29);
        });
        CHECK(settings.WInterval() == "never");
        Open(f, tType::Wallpapers, [](HWND, ComboBox& list) {
            NextLine(list);
            PressKey(VK_RETURN);
        });
        CHECK(settings.WInterval() == "every 5 minutes");
    }
    SUBCASE("a stored interval the list does not offer is shown, and OK keeps it") {
        settings.SetWInterval("every 1 minutes");
        const Seen seen = Open(f, tType::Wallpapers, [](HWND dialog, ComboBox&) { Click(dialog, "&OK"); });
        CHECK(seen.selected == "every 1 minutes");
        CHECK(seen.lines.size() == 11);
        CHECK(settings.WInterval() == "every 1 minutes");
    }
    CHECK(f.Boxes().empty());
}

TEST_CASE("the change-settings dialog closes only when its closing cross-fade has ended") {
    DialogsFixture f;
    clsSetari settings;
    settings.SetWInterval("never");
    HWND dialog = nullptr;
    bool pressed = false, aliveAfterPress = false, storedWhileClosing = false;
    DuringModal driver([&] {
        if (!pressed) {
            dialog = FindDialog(frmChange::kClassName);
            if (dialog == nullptr || Alpha(dialog) != 230) return false;
            NextLine(*ControlOf<ComboBox>(dialog));
            Click(dialog, "&OK");
            pressed = true;
            return false;
        }
        if (!IsWindow(dialog)) return true;
        if (Alpha(dialog) < 230) {
            aliveAfterPress = true;
            storedWhileClosing = clsSetari().WInterval() == "every 5 minutes";
        }
        return false;
    });
    frmChange::Afiseaza(f.skins.get(), f.Main(), tType::Wallpapers);
    CHECK_FALSE(IsWindow(dialog));
    CHECK(aliveAfterPress);
    CHECK(storedWhileClosing); // stored at the press, before the fade out
    CHECK(Alpha(f.Main()) == 230);
}
