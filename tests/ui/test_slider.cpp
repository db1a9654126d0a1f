// The slider on a real window: its value rules and events, Min and Max refused against each other, the
// layout with edge and picture rails, enabling, and real mouse messages dragging, pressing on the rail and
// releasing inside and outside.
#include "ui/cpv_slider.h"
#include "core/app_error.h"
#include "tests/controls/controls_fixture.h"
#include "ui/controls/bitmap.h"

#include <doctest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tsln;
using controls_test::Host;
using controls_test::Snapshot;

namespace {
const COLORREF kThumb = RGB(0x20, 0x50, 0xC0);
const COLORREF kInactive = RGB(0x90, 0x30, 0x30);
const COLORREF kRail = RGB(0x30, 0xA0, 0x40);

unique_gdi SolidBitmap(int width, int height, COLORREF color) {
    const uint32_t pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    return BitmapOfPixels(std::vector<uint32_t>(static_cast<size_t>(width * height), pixel), width, height);
}

// The slider of the transparency page: horizontal, 76 to 230, rail style 3, 300 pixels long, with a 10 x 20
// thumb.
SliderProperties LevelProperties() {
    SliderProperties level;
    level.orientation = kSliderHorizontal;
    level.railStyle = 3;
    level.min = 76;
    level.max = 230;
    level.value = 76;
    return level;
}

SliderPictures Thumbs() {
    SliderPictures pictures;
    pictures.sliderIcon = SolidBitmap(10, 20, kThumb);
    pictures.inSliderIcon = SolidBitmap(10, 20, kInactive);
    return pictures;
}

const Bounds kLevelBounds = {150, 150, 4500, 600}; // 300 x 40 pixels at 96 dots per inch

// Records the slider's events in the order they come, each with the value it saw.
struct Events {
    explicit Events(cpvSlider& slider) {
        auto record = [this, &slider](const char* name) {
            return [this, &slider, name] {
                seen.push_back(std::string(name) + " " + std::to_string(slider.Value()));
            };
        };
        slider.Click = record("Click");
        slider.ArrivedFirst = record("ArrivedFirst");
        slider.ArrivedLast = record("ArrivedLast");
        slider.ValueChanged = record("ValueChanged");
        slider.MouseDown = [this](int16_t& shift) { seen.push_back("MouseDown " + std::to_string(shift)); };
        slider.MouseUp = [this](int16_t& shift) { seen.push_back("MouseUp " + std::to_string(shift)); };
    }
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(seen);
        return taken;
    }
    std::vector<std::string> seen;
};

using Seen = std::vector<std::string>;
} // namespace

namespace doctest {
template <>
struct StringMaker<Seen> {
    static String convert(const Seen& seen) {
        std::string text = "{";
        for (const std::string& event : seen)
            text += " \"" + event + "\"";
        return (text + " }").c_str();
    }
};
} // namespace doctest

namespace {

// A real mouse message, through the queue, with the pointer where the message says (the platform may add
// moves of its own, from where the pointer is).
void Mouse(Host& host, cpvSlider& slider, UINT message, int x, int y, WPARAM keys = 0) {
    POINT screen = {x, y};
    ClientToScreen(slider.hwnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(slider.hwnd(), message, keys, MAKELPARAM(x, y));
    host.Settle();
}

// The centre of the thumb.
POINT ThumbCentre(const cpvSlider& slider) {
    const RECT thumb = slider.ThumbRect();
    return {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
}

SIZE ClientSize(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    return {client.right, client.bottom};
}
} // namespace

TEST_CASE("setting the value: out of range gives Max - 1, the events come once per change, in order") {
    Host host;
    cpvSlider level(host.hwnd(), kLevelBounds, LevelProperties(), Thumbs());
    Events events(level);
    CHECK(level.Value() == 76);
    CHECK(level.ThumbRect().left == 0);

    level.SetValue(300);
    CHECK(level.Value() == 229);
    CHECK(events.Take() == Seen{"ValueChanged 229"});
    level.SetValue(10);
    CHECK(level.Value() == 229);
    CHECK(events.Take().empty());

    level.SetValue(230);
    CHECK(events.Take() == Seen{"ValueChanged 230", "ArrivedLast 230"});
    CHECK(level.ThumbRect().left == 290);
    level.SetValue(230);
    CHECK(events.Take().empty());
    level.SetValue(76);
    CHECK(events.Take() == Seen{"ValueChanged 76", "ArrivedFirst 76"});
    CHECK(level.ThumbRect().left == 0);
    level.SetValue(153);
    CHECK(level.ThumbRect().left == 145);
    CHECK(events.Take() == Seen{"ValueChanged 153"});
}

TEST_CASE("Min and Max: each refused against the other with 380, a new Min becomes the value") {
    Host host;
    cpvSlider level(host.hwnd(), kLevelBounds, LevelProperties(), Thumbs());
    level.SetValue(150);
    Events events(level);

    level.SetMin(100);
    CHECK(level.Min() == 100);
    CHECK(level.Value() == 100);
    CHECK(level.ThumbRect().left == 0);
    CHECK(events.Take() == Seen{"ValueChanged 100", "ArrivedFirst 100"});

    CHECK(testing::FailureNumber([&] { level.SetMin(230); }) == 380);
    CHECK(testing::FailureNumber([&] { level.SetMin(231); }) == 380);
    CHECK(testing::FailureNumber([&] { level.SetMax(100); }) == 380);
    CHECK(testing::FailureNumber([&] { level.SetMax(-5); }) == 380);
    CHECK(level.Min() == 100);
    CHECK(level.Max() == 230);
    CHECK(level.Value() == 100);
    CHECK(events.Take().empty());

    // A new Max keeps the value and moves the thumb to the value's place in the new range.
    level.SetValue(165);
    events.Take();
    level.SetMax(400);
    CHECK(level.Value() == 165);
    CHECK(level.ThumbRect().left == 63); // 290 * 65 / 300 = 62.8
    CHECK(events.Take().empty());
    // A Max below the value takes the value back inside, as setting it would.
    level.SetMax(120);
    CHECK(level.Value() == 119);
    CHECK(events.Take() == Seen{"ValueChanged 119"});

    // The Min the value already has: no events, but the thumb goes to the start of the new range.
    level.SetValue(110);
    level.SetMin(110);
    CHECK(level.ThumbRect().left == 0);
}

TEST_CASE("a loaded slider: defaults, saved properties, and a saved Min equal to Max as an empty range") {
    Host host;
    cpvSlider placed(host.hwnd(), {0, 0, 600, 3000});
    CHECK(placed.Orientation() == kSliderVertical);
    CHECK(placed.RailStyle() == 0);
    CHECK(placed.Min() == 0);
    CHECK(placed.Max() == 10);
    CHECK(placed.Value() == 0);
    CHECK(placed.Enabled());
    CHECK(placed.BackColor() == 0x8000000Fu);
    CHECK(placed.SliderIcon() == nullptr);
    // Its own thumb, 21 across and 11 along, at the start (Min is at the bottom); the slider is the thumb's
    // thickness.
    CHECK(ClientSize(placed.hwnd()).cx == 21);
    CHECK(ClientSize(placed.hwnd()).cy == 200);
    CHECK(placed.ThumbRect().top == 189);
    CHECK(placed.ThumbRect().bottom == 200);

    SliderProperties saved = LevelProperties();
    saved.enabled = false;
    saved.backColor = RGB(1, 2, 3);
    saved.railStyle = 1;
    saved.value = 500;
    cpvSlider loaded(host.hwnd(), kLevelBounds, saved, Thumbs());
    CHECK_FALSE(loaded.Enabled());
    CHECK(loaded.RailStyle() == 1); // loading keeps the saved style
    CHECK(loaded.BackColor() == RGB(1, 2, 3));
    CHECK(loaded.Value() == 229);

    saved = LevelProperties();
    saved.min = saved.max = 5;
    saved.value = 9;
    cpvSlider empty(host.hwnd(), kLevelBounds, saved, Thumbs());
    Events events(empty);
    CHECK(empty.Value() == 5);
    CHECK(empty.ThumbRect().left == 0);
    empty.SetValue(3);
    CHECK(empty.Value() == 5);
    Mouse(host, empty, WM_LBUTTONDOWN, 200, 10, MK_LBUTTON);
    Mouse(host, empty, WM_MOUSEMOVE, 250, 10, MK_LBUTTON);
    Mouse(host, empty, WM_LBUTTONUP, 250, 10);
    CHECK(empty.Value() == 5);
    CHECK(empty.ThumbRect().left == 0);
    CHECK(events.Take() == Seen{"MouseDown 0", "Click 5", "MouseUp 0"});
    // From there the setters work as ever.
    empty.SetMax(6);
    empty.SetValue(6);
    CHECK(events.Take() == Seen{"ValueChanged 6", "ArrivedLast 6"});

    // Refused before any window is made.
    auto windows = [&] {
        int count = 0;
        for (HWND child = GetWindow(host.hwnd(), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    };
    const int before = windows();
    for (auto spoil :
         {+[](SliderProperties& p) { p.min = 231; }, +[](SliderProperties& p) { p.orientation = 2; },
          +[](SliderProperties& p) { p.railStyle = 5; }}) {
        saved = LevelProperties();
        spoil(saved);
        CHECK(testing::FailureNumber([&] { cpvSlider refused(host.hwnd(), kLevelBounds, saved); }) == 380);
    }
    CHECK(windows() == before);
    CHECK(testing::FailureNumber([&] { placed.SetOrientation(-1); }) == 380);
    CHECK(testing::FailureNumber([&] { placed.SetRailStyle(98); }) == 380);
    CHECK(placed.Orientation() == kSliderVertical);
    CHECK(placed.RailStyle() == 0);
}

TEST_CASE("the layout and the look: edge rails, a picture rail, vertical, enabled and disabled thumbs") {
    Host host;
    cpvSlider level(host.hwnd(), kLevelBounds, LevelProperties(), Thumbs());
    host.Settle();
    CHECK(ClientSize(level.hwnd()).cx == 300);
    CHECK(ClientSize(level.hwnd()).cy == 20); // the thumb's height
    const RECT rail = level.RailRect();
    CHECK(rail.left == 3);
    CHECK(rail.top == 8);
    CHECK(rail.right == 297);
    CHECK(rail.bottom == 12);

    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    {
        Snapshot shot(level.hwnd());
        CHECK(shot.At(5, 10) == kThumb);
        CHECK(shot.At(150, rail.top) == light); // thin raised
        CHECK(shot.At(150, rail.bottom - 1) == dark);
        CHECK(shot.At(150, 2) == GetSysColor(COLOR_BTNFACE));
    }

    level.SetEnabled(false);
    CHECK(level.RailStyle() == 2);
    {
        Snapshot shot(level.hwnd());
        CHECK(shot.At(5, 10) == kInactive);
        CHECK(shot.At(150, rail.top) == dark); // thin sunken
        CHECK(shot.At(150, rail.bottom - 1) == light);
    }
    level.SetEnabled(true);
    CHECK(level.RailStyle() == 3);
    CHECK(Snapshot(level.hwnd()).At(5, 10) == kThumb);
    // Enabling what is enabled sets the style again; disabling the window any other way is the same.
    level.SetRailStyle(0);
    level.SetEnabled(true);
    CHECK(level.RailStyle() == 3);
    EnableWindow(level.hwnd(), FALSE);
    CHECK(level.RailStyle() == 2);
    // Without an inactive picture a disabled thumb is the picture greyed.
    level.SetInSliderIcon({});
    {
        const COLORREF grey = Snapshot(level.hwnd()).At(5, 10);
        CHECK(GetRValue(grey) == GetGValue(grey));
        CHECK(GetGValue(grey) == GetBValue(grey));
        CHECK(grey != kThumb);
    }
    EnableWindow(level.hwnd(), TRUE);
    CHECK(level.RailStyle() == 3);

    // A rail picture: its length plus 4, centred across the thumb's height, 2 pixels in.
    level.SetRailPicture(SolidBitmap(200, 8, kRail));
    CHECK(ClientSize(level.hwnd()).cx == 300); // rail style 3 still: the picture waits
    level.SetRailStyle(kRailStylePicture);
    CHECK(ClientSize(level.hwnd()).cx == 204);
    CHECK(ClientSize(level.hwnd()).cy == 20);
    {
        Snapshot shot(level.hwnd());
        CHECK(shot.At(2, 6) != kRail); // under the thumb
        CHECK(shot.At(60, 6) == kRail);
        CHECK(shot.At(201, 13) == kRail);
        CHECK(shot.At(202, 10) == GetSysColor(COLOR_BTNFACE));
        CHECK(shot.At(60, 5) == GetSysColor(COLOR_BTNFACE));
    }
    level.SetValue(230);
    CHECK(level.ThumbRect().left == 194);
    level.SetRailPicture(SolidBitmap(100, 30, kRail));
    CHECK(ClientSize(level.hwnd()).cx == 104);
    CHECK(ClientSize(level.hwnd()).cy == 30);
    CHECK(level.ThumbRect().top == 5);
    CHECK(level.ThumbRect().left == 94);

    // Vertical: Min at the bottom, Max at the top.
    SliderProperties upright = LevelProperties();
    upright.orientation = kSliderVertical;
    cpvSlider column(host.hwnd(), {0, 0, 600, 3000}, upright, Thumbs());
    CHECK(ClientSize(column.hwnd()).cx == 10);
    CHECK(ClientSize(column.hwnd()).cy == 200);
    CHECK(column.ThumbRect().top == 180);
    CHECK(column.RailRect().left == 3);
    CHECK(column.RailRect().top == 8);
    CHECK(column.RailRect().bottom == 200 + 8 - 20 + 4);
    column.SetValue(230);
    CHECK(column.ThumbRect().top == 0);
    column.SetOrientation(kSliderHorizontal);
    CHECK(ClientSize(column.hwnd()).cy == 20);
    CHECK(column.ThumbRect().top == 0);
    CHECK(column.ThumbRect().left == ClientSize(column.hwnd()).cx - 10);
}

TEST_CASE("dragging the thumb, pressing on the rail and releasing inside or outside the slider") {
    Host host;
    cpvSlider level(host.hwnd(), kLevelBounds, LevelProperties(), Thumbs());
    Events events(level);

    // Grabbed at its centre and dragged: the thumb follows the pointer and stands where its value is.
    Mouse(host, level, WM_LBUTTONDOWN, 5, 10, MK_LBUTTON);
    CHECK(GetCapture() == level.hwnd());
    CHECK(events.Take() == Seen{"MouseDown 0"});
    Mouse(host, level, WM_MOUSEMOVE, 150, 12, MK_LBUTTON);
    CHECK(level.Value() == 153);
    CHECK(level.ThumbRect().left == 145);
    CHECK(events.Take() == Seen{"ValueChanged 153"});
    Mouse(host, level, WM_MOUSEMOVE, 400, 30, MK_LBUTTON); // beyond the end: held at it
    CHECK(level.ThumbRect().left == 290);
    CHECK(events.Take() == Seen{"ValueChanged 230", "ArrivedLast 230"});
    Mouse(host, level, WM_MOUSEMOVE, -60, 30, MK_LBUTTON);
    CHECK(level.ThumbRect().left == 0);
    CHECK(events.Take() == Seen{"ValueChanged 76", "ArrivedFirst 76"});
    Mouse(host, level, WM_MOUSEMOVE, 100, 5, MK_LBUTTON);
    events.Take();
    Mouse(host, level, WM_LBUTTONUP, 100, 5);
    CHECK(GetCapture() != level.hwnd());
    CHECK(events.Take() == Seen{"Click 126", "MouseUp 0"});
    // Moves without a press drag nothing.
    Mouse(host, level, WM_MOUSEMOVE, 250, 5);
    CHECK(level.Value() == 126);

    // A press on the rail away from the thumb centres the thumb on the pointer and sets the value at once.
    Mouse(host, level, WM_LBUTTONDOWN, 250, 10, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    CHECK(events.Take() == Seen{"ValueChanged 206", "MouseDown 3"});
    const POINT centre = ThumbCentre(level);
    CHECK(centre.x >= 249);
    CHECK(centre.x <= 251);
    // Released outside after a drag: MouseUp, no Click.
    Mouse(host, level, WM_LBUTTONUP, 350, 10, MK_SHIFT);
    CHECK(events.Take() == Seen{"MouseUp 1"});
    Mouse(host, level, WM_LBUTTONDOWN, 120, 10, MK_LBUTTON);
    Mouse(host, level, WM_LBUTTONUP, 120, -1);
    CHECK(events.Take() == Seen{"ValueChanged 137", "MouseDown 0", "MouseUp 0"});
    // Near the end, the thumb stops at the rail's limit.
    Mouse(host, level, WM_LBUTTONDOWN, 299, 10, MK_LBUTTON);
    Mouse(host, level, WM_LBUTTONUP, 299, 10);
    CHECK(level.ThumbRect().left == 290);
    CHECK(events.Take() ==
          Seen{"ValueChanged 230", "ArrivedLast 230", "MouseDown 0", "Click 230", "MouseUp 0"});

    // Other buttons, a release alone and a disabled slider raise nothing.
    Mouse(host, level, WM_RBUTTONDOWN, 20, 10, MK_RBUTTON);
    Mouse(host, level, WM_RBUTTONUP, 20, 10);
    Mouse(host, level, WM_LBUTTONUP, 20, 10);
    level.SetEnabled(false);
    Mouse(host, level, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
    Mouse(host, level, WM_LBUTTONUP, 20, 10);
    level.SetEnabled(true);
    CHECK(level.Value() == 230);
    CHECK(events.Take().empty());

    // The mouse taken away in the middle of a drag ends it there, as a release would.
    Mouse(host, level, WM_LBUTTONDOWN, 285, 10, MK_LBUTTON);
    Mouse(host, level, WM_MOUSEMOVE, 200, 10, MK_LBUTTON);
    events.Take();
    SetCapture(host.hwnd());
    ReleaseCapture();
    CHECK(events.Take() == Seen{"MouseUp 0"});
    const int32_t left = level.Value();
    Mouse(host, level, WM_MOUSEMOVE, 20, 10, MK_LBUTTON);
    Mouse(host, level, WM_LBUTTONUP, 20, 10);
    CHECK(level.Value() == left);
    CHECK(events.Take().empty());
}

TEST_CASE("a handler may release the slider in the middle of its events") {
    Host host;
    auto level = std::make_unique<cpvSlider>(host.hwnd(), kLevelBounds, LevelProperties(), Thumbs());
    HWND window = level->hwnd();
    std::vector<std::string> seen;
    level->ValueChanged = [&] {
        seen.push_back("ValueChanged");
        level.reset();
    };
    level->ArrivedLast = [&] { seen.push_back("ArrivedLast"); };
    level->MouseDown = [&](int16_t&) { seen.push_back("MouseDown"); };
    // Pressed on the rail: the value changes before MouseDown, whose turn never comes.
    Mouse(host, *level, WM_LBUTTONDOWN, 299, 10, MK_LBUTTON);
    CHECK(level == nullptr);
    CHECK(seen == std::vector<std::string>{"ValueChanged"});
    // The window stays with its parent, without the object.
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    host.Settle();
    CHECK(GetCapture() != window);
    CHECK(seen.size() == 1);
    DestroyWindow(window);
}
