// The controls' behaviour on a real window: clicks raised from code and by the user, visibility inside
// panels, notifications through panels and frames, lists, arrays, failures in handlers, and lifetimes.
#include "core/units.h"
#include "tests/controls/controls_fixture.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/control_array.h"
#include "ui/controls/frame.h"
#include "ui/controls/picture_box.h"
#include "ui/controls/text_box.h"

#include <doctest.h>
#include <memory>

using namespace tsln;
using controls_test::Host;
using testing::FailureNumber;

namespace {
void UserClick(const Control& control) {
    SendMessageA(control.hwnd(), BM_CLICK, 0, 0);
}
} // namespace

TEST_CASE("a value set from code raises the same Click as a user's click") {
    Host host;
    PictureBox page(host.hwnd(), {0, 0, 6000, 3000});
    PictureBox other(host.hwnd(), {0, 3000, 6000, 1500});
    CheckBox box(page.hwnd(), "sound on/off", {150, 150, 3000, 300});
    OptionButton first(page.hwnd(), "alphabetical order", {150, 600, 3000, 300});
    OptionButton second(page.hwnd(), "randomize", {150, 900, 3000, 300});
    OptionButton elsewhere(other.hwnd(), "elsewhere", {150, 150, 3000, 300});
    std::vector<std::string> clicks;
    box.Click = [&] { clicks.push_back("box=" + std::to_string(box.Value())); };
    first.Click = [&] { clicks.push_back("first"); };
    second.Click = [&] { clicks.push_back("second"); };
    elsewhere.Click = [&] { clicks.push_back("elsewhere"); };

    SUBCASE("a check box raises it when its value changes") {
        SettingsToggle& toggle = box;
        toggle.SetValue(true);
        toggle.SetValue(true);
        toggle.SetValue(false);
        UserClick(box);
        CHECK(clicks == std::vector<std::string>{"box=1", "box=0", "box=1"});
        CHECK(toggle.Value());
    }
    SUBCASE("an option button raises it when set on, and sets the others of its container off") {
        elsewhere.SetValue(true);
        first.SetValue(true);
        second.SetValue(true);
        second.SetValue(true);
        first.SetValue(false);
        CHECK(clicks == std::vector<std::string>{"elsewhere", "first", "second", "second"});
        CHECK_FALSE(first.Value());
        CHECK(second.Value());
        CHECK(elsewhere.Value());

        // The user's click clears the disabled button too, which the platform alone would leave on.
        clicks.clear();
        second.SetEnabled(false);
        UserClick(first);
        CHECK(clicks == std::vector<std::string>{"first"});
        CHECK(first.Value());
        CHECK_FALSE(second.Value());
        CHECK(elsewhere.Value());
    }
}

TEST_CASE("Visible tells whether a control is shown, false inside a hidden panel") {
    Host host;
    PictureBox page(host.hwnd(), {0, 0, 6000, 3000});
    CheckBox box(page.hwnd(), "no wallpaper", {150, 150, 3000, 300});
    bool visibleAtClick = true;
    box.Click = [&] { visibleAtClick = box.Visible(); };

    page.SetVisible(false);
    CHECK((GetWindowLongA(box.hwnd(), GWL_STYLE) & WS_VISIBLE) != 0);
    CHECK_FALSE(box.Visible());
    box.SetValue(true);
    CHECK_FALSE(visibleAtClick); // a page filled while hidden: its handlers can tell

    page.SetVisible(true);
    CHECK(box.Visible());
    box.SetVisible(false);
    CHECK_FALSE(box.Visible());
    box.SetVisible(true);
    ShowWindow(host.hwnd(), SW_HIDE);
    CHECK_FALSE(box.Visible());
}

TEST_CASE("notifications of controls inside frames and panels reach their objects") {
    Host host;
    Frame frame(host.hwnd(), "  Add Visual Styles Support   ", {150, 150, 6000, 2400});
    PictureBox inside(frame.hwnd(), {120, 300, 5700, 1950});
    OptionButton option(inside.hwnd(), "choose the folder", {0, 0, 3000, 300});
    CommandButton button(inside.hwnd(), "...", {3300, 0, 600, 360});
    TextBox path(inside.hwnd(), "", {0, 600, 4500, 330});
    int options = 0, presses = 0, changes = 0;
    option.Click = [&] { ++options; };
    button.Click = [&] { ++presses; };
    path.Change = [&] { ++changes; };

    UserClick(option);
    UserClick(button);
    button.Press();
    path.SetText("C:\\Program Files\\");
    CHECK(options == 1);
    CHECK(presses == 2);
    CHECK(changes == 1);
    CHECK(path.Text() == "C:\\Program Files\\");
    CHECK(frame.Text() == "  Add Visual Styles Support   ");

    // Every control of the window, nested ones included, can be visited; only direct children when asked.
    const std::vector<Control*> all = ControlsOf(host.hwnd());
    CHECK(all == std::vector<Control*>{&frame, &inside, &option, &button, &path});
    CHECK(ControlsOf(inside.hwnd(), true) == std::vector<Control*>{&option, &button, &path});
}

TEST_CASE("a combo box holds lines with item data and raises Click when its selection changes") {
    Host host;
    ComboBox list(host.hwnd(), {150, 150, 3000, 315});
    std::vector<int> clicks, keys;
    list.Click = [&] { clicks.push_back(list.ListIndex()); };
    list.KeyUp = [&](int key) { keys.push_back(key); };
    int32_t data = 100;
    for (const char* name : {"sea", "sky", "sand"}) {
        const int index = list.AddItem(name);
        list.SetItemData(index, ++data);
    }

    CHECK(list.ListCount() == 3);
    CHECK(list.ListIndex() == -1);
    CHECK(list.Text().empty());
    CHECK(list.List(2) == "sand");
    CHECK(list.ItemData(0) == 101);
    CHECK(list.ItemData(2) == 103);

    list.SetListIndex(1);
    list.SetListIndex(1);
    list.SetText("SAND");
    CHECK(list.Text() == "sand");
    CHECK(FailureNumber([&] { list.SetText("moon"); }) == err::kPropertyReadOnly.number);
    CHECK(FailureNumber([&] { list.List(3); }) == err::kInvalidPropertyIndex.number);
    CHECK(FailureNumber([&] { list.SetListIndex(7); }) == err::kInvalidPropertyIndex.number);
    CHECK(clicks == std::vector<int>{1, 2});

    // The user moves up a line with the keyboard.
    SetFocus(list.hwnd());
    SendMessageA(list.hwnd(), WM_KEYDOWN, VK_UP, 0);
    SendMessageA(list.hwnd(), WM_KEYUP, VK_UP, 0xC0000001);
    CHECK(clicks == std::vector<int>{1, 2, 1});
    CHECK(keys == std::vector<int>{VK_UP});

    list.RemoveItem(0);
    CHECK(list.List(0) == "sky");
    CHECK(list.ItemData(0) == 102);
    list.Clear();
    CHECK(list.ListCount() == 0);
}

TEST_CASE("a control array is indexed by its own numbers; an unknown index raises") {
    Host host;
    ControlArray<CheckBox> chkProgram("chkProgram");
    chkProgram.Add(0, host.hwnd(), "use transparency effects", Bounds{150, 150, 3000, 300});
    chkProgram.Add(4, host.hwnd(), "start with windows", Bounds{150, 450, 3000, 300});
    std::vector<int> clicked;
    chkProgram.Bind(&CheckBox::Click, [&](int index) { clicked.push_back(index); });

    chkProgram(4).SetValue(true);
    UserClick(chkProgram(0));
    CHECK(clicked == std::vector<int>{4, 0});
    CHECK(chkProgram(4).Name() == "chkProgram");
    CHECK(chkProgram(4).Index() == 4);
    CHECK(chkProgram.Count() == 2);

    try {
        chkProgram(2);
        FAIL("no failure raised");
    } catch (const AppError& failure) {
        CHECK(failure.number == err::kNoSuchElement.number);
        CHECK(failure.description == "Control array element '2' doesn't exist");
    }
    CHECK(FailureNumber([&] { chkProgram.Add(4, host.hwnd(), "again", Bounds{}); }) ==
          err::kAlreadyLoaded.number);
    CHECK(ControlsOf(host.hwnd()).size() == 2); // the refused one made no window
}

TEST_CASE("a handler that fails is reported with its control's name and stays inside the control") {
    controls_test::LogFolder log;
    Host host;
    ControlArray<CommandButton> cmdApply("cmdApply");
    CommandButton& apply = cmdApply.Add(2, host.hwnd(), "Apply", Bounds{150, 150, 1200, 360});
    int after = 0;
    apply.Click = [] { TSLN_FAIL(err::kInvalidCall); };

    UserClick(apply); // through the platform's button code and its parent
    ++after;
    apply.Press(); // raised from code
    ++after;
    CHECK(after == 2);
    const std::string text = log.Log();
    CHECK(text.find("Tessaline.cmdApply_Click") != std::string::npos);
    CHECK(text.find("Invalid procedure call or argument") != std::string::npos);
}

TEST_CASE("positions and sizes are twips at the given dots per inch") {
    CHECK(TwipsPerPixelAt(96) == 15);
    CHECK(TwipsPerPixelAt(120) == 12);
    CHECK(TwipsToPixels(6735, 96) == 449);
    CHECK(TwipsToPixels(6735, 120) == 561);
    CHECK(TwipsToPixels(3120, 120) == 260);
    CHECK(PixelsToTwips(250, 120) == 3000);
    CHECK(PixelsToTwips(200, 96) == 3000);
    // Halves go to the even pixel.
    CHECK(TwipsToPixels(18, 120) == 2);
    CHECK(TwipsToPixels(30, 120) == 2);
    CHECK(TwipsToPixels(-6, 120) == 0);
    CHECK(TwipsToPixels(-1500, 96) == -100);

    // The screen's measure, and controls placed by it.
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    CHECK(ScreenDpiX() == dpiX);
    CHECK(ScreenDpiY() == dpiY);
    CHECK(TwipsPerPixelX() == 1440 / dpiX);
    CHECK(TwipsPerPixelY() == 1440 / dpiY);

    Host host;
    PictureBox page(host.hwnd(), {120, 240, 6735, 3120});
    CommandButton button(page.hwnd(), "Apply", {600, 1200, 1500, 360});
    RECT rect;
    GetWindowRect(button.hwnd(), &rect);
    MapWindowPoints(HWND_DESKTOP, page.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    CHECK(rect.left == TwipsToPixels(600, dpiX));
    CHECK(rect.top == TwipsToPixels(1200, dpiY));
    CHECK(rect.right - rect.left == TwipsToPixels(1500, dpiX));
    CHECK(rect.bottom - rect.top == TwipsToPixels(360, dpiY));
    CHECK(button.Left() == 600);
    CHECK(button.Top() == 1200);
    CHECK(button.Width() == 1500);
    CHECK(button.Height() == 360);
    button.Move({1200, 60, 3000, 480});
    button.SetLeft(2400);
    CHECK(button.Left() == 2400);
    CHECK(button.Top() == 60);
    CHECK(button.Width() == 3000);
    CHECK(button.Height() == 480);
    CHECK(page.ScaleWidth() == TwipsToPixels(6735, dpiX));
}

TEST_CASE("controls and their windows may go in either order") {
    SUBCASE("the object first: the window stays with its parent, unbound") {
        Host host;
        int clicks = 0;
        HWND window;
        {
            CheckBox box(host.hwnd(), "keep Tessaline on top", {150, 150, 3000, 300});
            box.Click = [&] { ++clicks; };
            box.SetFont({"Lucida Console", 12, true});
            window = box.hwnd();
        }
        REQUIRE(IsWindow(window));
        CHECK(FindControl(window) == nullptr);
        CHECK(FindReflectedTarget(window) == nullptr);
        SendMessageA(window, BM_CLICK, 0, 0);
        CHECK(clicks == 0);
        CHECK(SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED); // the plain button works on
        CHECK(reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)) ==
              GetStockObject(DEFAULT_GUI_FONT));
    }
    SUBCASE("the window first: the object knows it is gone") {
        auto host = std::make_unique<Host>();
        CheckBox box(host->hwnd(), "sound on/off", {150, 150, 3000, 300});
        int clicks = 0;
        box.Click = [&] { ++clicks; };
        host.reset();
        CHECK(box.hwnd() == nullptr);
        CHECK_FALSE(box.Visible());
        CHECK_FALSE(box.Value());
        CHECK(box.Text().empty());
        box.SetValue(true);
        CHECK(clicks == 0);
    }
    SUBCASE("a click handler may close the window and release the control") {
        auto host = std::make_unique<Host>();
        auto ok = std::make_unique<CommandButton>(host->hwnd(), "OK", Bounds{150, 150, 1200, 360});
        const HWND window = ok->hwnd();
        ok->Click = [&] {
            ok.reset();
            host.reset();
        };
        SendMessageA(window, BM_CLICK, 0, 0);
        CHECK_FALSE(ok);
        CHECK_FALSE(IsWindow(window));
    }
}
