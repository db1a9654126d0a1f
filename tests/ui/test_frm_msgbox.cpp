// The skinned message box as a real window over a skinned owner with a real package: what it shows, the
// answer of each button and key, the cross-fades, and the box shown while no main window exists.
#include "core/clsSetari.h"
#include "core/mod_main.h"
#include "core/units.h"
#include "tests/ui/dialogs_fixture.h"
#include "ui/controls/label.h"
#include "ui/controls/shape.h"
#include "ui/frm_msgbox.h"

#include <doctest.h>

using namespace tsln;
using namespace dialogs_test;

namespace {
// What the box showed once its opening cross-fade had ended.
struct Seen {
    bool opened = false;
    std::vector<std::string> buttons; // the shown ones, left to right
    std::string text;
    FontSpec font;
    Color labelBack = 0, labelFore = 0, buttonBack = 0;
    bool ownerEnabled = true;
    bool targeted = false; // the skin manager's target was the box
    bool region = false;
    RECT rect = {};
};

using Answer = std::function<void(HWND box)>;

// Shows the box; once it has faded in, looks at it and answers.
int ShowAndAnswer(clsSkins* skins, HWND owner, const std::string& message, int size, int type,
                  const Answer& answer, Seen& seen, const SkinsSetup* lookup = nullptr) {
    DuringModal driver([&] {
        HWND box = FindDialog(frmMsgBox::kClassName);
        if (box == nullptr || Alpha(box) != 230) return false;
        seen.opened = true;
        for (int left = -1;;) { // the shown buttons in the order of their left edges
            CommandButton* next = nullptr;
            for (Control* control : ControlsOf(box)) {
                auto* button = dynamic_cast<CommandButton*>(control);
                if (button != nullptr && button->Visible() && button->Left() > left &&
                    (next == nullptr || button->Left() < next->Left()))
                    next = button;
            }
            if (next == nullptr) break;
            seen.buttons.push_back(next->Text());
            // On top where it is shown: nothing covers it.
            RECT place = {};
            GetWindowRect(next->hwnd(), &place);
            POINT centre = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
            ScreenToClient(box, &centre);
            CHECK(ChildWindowFromPointEx(box, centre, CWP_SKIPINVISIBLE) == next->hwnd());
            seen.buttonBack = next->BackColor();
            left = next->Left();
        }
        Label* label = ControlOf<Label>(box);
        REQUIRE(label != nullptr);
        seen.text = label->Text();
        seen.font = label->Font();
        seen.labelBack = label->BackColor();
        seen.labelFore = label->ForeColor();
        seen.ownerEnabled = owner != nullptr && IsWindowEnabled(owner);
        seen.targeted = skins != nullptr && skins->Form() != nullptr && skins->Form()->Hwnd() == box;
        seen.region = HasRegion(box);
        GetWindowRect(box, &seen.rect);
        answer(box);
        return true;
    });
    const int result = lookup != nullptr ? ShowSkinnedMsgBox(*lookup, message, size, type)
                                         : ShowSkinnedMsgBox(skins, owner, message, size, type);
    CHECK(driver.Finished());
    return result;
}

Answer ClickOn(const std::string& caption) {
    return [caption](HWND box) {
        CommandButton* button = ControlOf<CommandButton>(box, caption);
        REQUIRE(button != nullptr);
        LeftClick(button->hwnd());
    };
}

Answer Key(WPARAM key) {
    return [key](HWND) { PressKey(key); };
}
} // namespace

TEST_CASE("the message box answers 1 for OK and 0 otherwise") {
    DialogsFixture f;
    const std::string question = std::string("You want to close\r\n") + "Tessaline?";

    SUBCASE("OK and Cancel: Cancel") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), question, 12, 1, ClickOn("Cancel"), seen) == 0);
        CHECK(seen.opened);
        CHECK(seen.buttons == std::vector<std::string>{"Cancel", "OK"});
        CHECK(seen.text == question);
        CHECK(seen.font.name == "Lucida Console");
        CHECK(seen.font.size == doctest::Approx(12).epsilon(0.05));
        CHECK(seen.font.bold);
        // The skin's colours on the label and the buttons, the outline from the shape.
        CHECK(seen.labelBack == kNormalControl);
        CHECK(seen.labelFore == kNormalFont);
        CHECK(seen.buttonBack == kNormalControl);
        CHECK(seen.region);
        CHECK(seen.targeted);
        // Modal over the main window, centred over it.
        CHECK_FALSE(seen.ownerEnabled);
        RECT main = {}, client = {};
        GetWindowRect(f.Main(), &main);
        GetClientRect(f.Main(), &client);
        const int width = seen.rect.right - seen.rect.left, height = seen.rect.bottom - seen.rect.top;
        CHECK(std::abs(seen.rect.left - (main.left + (client.right - width) / 2)) <= 1);
        CHECK(std::abs(seen.rect.top - (main.top + (client.bottom - height) / 2)) <= 1);
    }
    SUBCASE("OK and Cancel: OK") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), question, 12, 1, ClickOn("OK"), seen) == 1);
    }
    SUBCASE("OK alone: OK") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), "Done, succesfuly added Visual Styles Support!", 10, 0,
                            ClickOn("OK"), seen) == 1);
        CHECK(seen.buttons == std::vector<std::string>{"OK"});
        CHECK(seen.font.size == doctest::Approx(10).epsilon(0.05));
    }
    SUBCASE("keys: Enter and Esc choose Cancel; with OK alone they choose OK") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), question, 12, 1, Key(VK_RETURN), seen) == 0);
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), question, 12, 1, Key(VK_ESCAPE), seen) == 0);
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), "File not found: C:\\a.jpg", 8, 0, Key(VK_RETURN),
                            seen) == 1);
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), "File not found: C:\\a.jpg", 8, 0, Key(VK_ESCAPE),
                            seen) == 1);
    }
    SUBCASE("another kind shows no button; Esc and closing the window answer 0") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), "?", 10, 2, Key(VK_ESCAPE), seen) == 0);
        CHECK(seen.buttons.empty());
        CHECK(ShowAndAnswer(
                  f.skins.get(), f.Main(), "?", 10, 1, [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); },
                  seen) == 0);
    }
    SUBCASE("a second box starts again at 0 after an OK in the first") {
        Seen seen;
        CHECK(ShowAndAnswer(f.skins.get(), f.Main(), question, 12, 1, ClickOn("OK"), seen) == 1);
        CHECK(ShowAndAnswer(
                  f.skins.get(), f.Main(), question, 12, 1,
                  [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }, seen) == 0);
    }

    // Afterwards the main window takes input again, is active, has its skin back and is faded back in.
    CHECK(FindDialog(frmMsgBox::kClassName) == nullptr);
    CHECK(IsWindowEnabled(f.Main()));
    CHECK(GetActiveWindow() == f.Main());
    CHECK(f.skins->Form() == &f.main);
    CHECK(Alpha(f.Main()) == 230);
    CHECK(f.Boxes().empty()); // nothing was reported
}

TEST_CASE("the box closes when its closing cross-fade has ended") {
    DialogsFixture f;
    HWND box = nullptr;
    bool pressed = false;
    std::vector<int> boxAlphas, mainAlphas; // while it closes, as often as the driver looks
    bool aliveAfterPress = false;
    DuringModal driver([&] {
        if (!pressed) {
            box = FindDialog(frmMsgBox::kClassName);
            if (box == nullptr || Alpha(box) != 230) return false;
            CHECK(Alpha(f.Main()) == 120); // the opening cross-fade took the main window down
            LeftClick(ControlOf<CommandButton>(box, "OK")->hwnd());
            pressed = true;
            return false;
        }
        if (!IsWindow(box)) return true;
        aliveAfterPress = true;
        boxAlphas.push_back(Alpha(box));
        mainAlphas.push_back(Alpha(f.Main()));
        return false;
    });
    CHECK(ShowSkinnedMsgBox(f.skins.get(), f.Main(), "x", 10, 1) == 1);
    // The caller went on only once the box had gone, with the main window back at 230.
    CHECK_FALSE(IsWindow(box));
    CHECK(aliveAfterPress);
    CHECK(Alpha(f.Main()) == 230);
    for (size_t i = 0; i < boxAlphas.size(); ++i) {
        CHECK(boxAlphas[i] + mainAlphas[i] == 350); // the two alphas always sum to 230 + 120
        if (i > 0) CHECK(boxAlphas[i] <= boxAlphas[i - 1]);
    }
}

TEST_CASE("with translucency switched off the box answers as usual and nothing turns translucent") {
    DialogsFixture f;
    clsSetari().SetInterface_Transp(0);
    bool opaque = false;
    DuringModal driver([&] {
        HWND box = FindDialog(frmMsgBox::kClassName);
        if (box == nullptr) return false;
        opaque = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_LAYERED) == 0;
        LeftClick(ControlOf<CommandButton>(box, "OK")->hwnd());
        return true;
    });
    CHECK(ShowSkinnedMsgBox(f.skins.get(), f.Main(), "x", 10, 1) == 1);
    CHECK(driver.Finished());
    CHECK(opaque);
    CHECK(Alpha(f.Main()) == -1);
    CHECK(IsWindowEnabled(f.Main()));
}

TEST_CASE("the box while no main window exists") {
    DialogsFixture f;
    const settings_test::TreeDump before = settings_test::Dump(HKEY_CURRENT_USER, "Software\\Quillfen");
    const std::vector<std::string> filesBefore = f.DataFiles();

    SUBCASE("centred on the screen in the stored skin's colours and outline") {
        const SkinsSetup lookup = f.Setup();
        Seen seen;
        CHECK(ShowAndAnswer(nullptr, nullptr, "File not found: C:\\Pictures\\gone.jpg", 8, 0, ClickOn("OK"),
                            seen, &lookup) == 1);
        CHECK(seen.labelBack == kNormalControl);
        CHECK(seen.labelFore == kNormalFont);
        CHECK(seen.region);
        const int width = seen.rect.right - seen.rect.left, height = seen.rect.bottom - seen.rect.top;
        CHECK(seen.rect.left == (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
        CHECK(seen.rect.top == (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
        // The main window's skin manager was never involved.
        CHECK(f.skins->Form() == &f.main);
        CHECK(Alpha(f.Main()) == -1);
    }
    SUBCASE("without any package: the system's look, nothing reported, the program goes on") {
        testing::TempDir empty("noskins");
        SkinsSetup lookup = f.Setup();
        lookup.skinsFolder = empty.Path() + "\\";
        Seen seen;
        CHECK(ShowAndAnswer(nullptr, nullptr, "File not found: x", 8, 0, ClickOn("OK"), seen, &lookup) == 1);
        CHECK(seen.opened);
        CHECK_FALSE(seen.region);
        CHECK(f.ended == 0);
    }
    // It stored nothing and left no unpacked file behind.
    CHECK(settings_test::Dump(HKEY_CURRENT_USER, "Software\\Quillfen") == before);
    CHECK(f.DataFiles() == filesBefore);
    CHECK(f.Boxes().empty());
}

TEST_CASE("without a main window, a stored skin that is not for this program lends no colours") {
    DialogsFixture f;
    f.AddPackage("Other", skins_test::SkinIni({{"INFO/For", "XYZ"}, {"COLORS/NormalControl", "255"}}));
    f.StoreSetting("Skin", "Other");
    const SkinsSetup lookup = f.Setup();
    Seen seen;
    CHECK(ShowAndAnswer(nullptr, nullptr, "File not found: x", 8, 0, ClickOn("OK"), seen, &lookup) == 1);
    CHECK(seen.labelBack == SystemColor(COLOR_BTNFACE));
    CHECK(seen.region); // the outline is the dialog's own
    CHECK(f.Boxes().empty());
}

TEST_CASE("a long message makes the box taller, breaking a long path at its edge") {
    DialogsFixture f;
    Seen shortOne, longOne;
    ShowAndAnswer(f.skins.get(), f.Main(), "File not found: C:\\a.jpg", 8, 0, ClickOn("OK"), shortOne);
    const std::string path(300, 'p');
    ShowAndAnswer(f.skins.get(), f.Main(), "File not found: C:\\" + path + ".jpg", 8, 0, ClickOn("OK"),
                  longOne);
    CHECK(longOne.rect.bottom - longOne.rect.top > shortOne.rect.bottom - shortOne.rect.top);
    CHECK(longOne.rect.right - longOne.rect.left == shortOne.rect.right - shortOne.rect.left);
}

TEST_CASE("the shape control") {
    skins_test::TestWindow window;
    Shape shape(window.hwnd(), Shape::kRoundedRectangle, Bounds{0, 0, 1500, 750});
    CHECK(shape.Kind() == Shape::kRoundedRectangle);
    CHECK(testing::FailureNumber([&] { shape.SetKind(6); }) == 380);
    CHECK(testing::FailureNumber([&] { shape.SetKind(-1); }) == 380);
    CHECK(shape.Kind() == Shape::kRoundedRectangle);
    // Clicks pass through it, and it lies beneath the window's other controls.
    CHECK(SendMessageA(shape.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(5, 5)) == HTTRANSPARENT);
    CHECK(GetWindow(shape.hwnd(), GW_HWNDNEXT) == nullptr);
    shape.SetBackColor(kNormalControl);
    CHECK(shape.BackColor() == kNormalControl);
}
