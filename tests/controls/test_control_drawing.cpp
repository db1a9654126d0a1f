// What the controls show: their colours served to the platform and painted, fonts, pictures scaled into
// images, and files dropped on an image.
#include "tests/controls/controls_fixture.h"
#include "ui/controls/bitmap.h"
#include "ui/controls/buttons.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/frame.h"
#include "ui/controls/image.h"
#include "ui/controls/label.h"
#include "ui/controls/picture_box.h"
#include "pixels/pixel_scale.h"
#include "ui/controls/text_box.h"

#include <doctest.h>
#include <shellapi.h>
#include <cstring>

using namespace tsln;
using controls_test::Host;
using controls_test::Snapshot;

namespace {
const COLORREF kBack = RGB(0x20, 0x60, 0xA0);
const COLORREF kFore = RGB(0xF0, 0xE0, 0x10);
const COLORREF kPanel = RGB(0x10, 0xA0, 0x30);

// What the parent answers for the control's WM_CTLCOLOR* message: the brush's colour and the colours
// left in the device context.
struct Served {
    COLORREF brush = CLR_INVALID;
    COLORREF back = CLR_INVALID;
    COLORREF text = CLR_INVALID;
};

Served Serve(UINT message, HWND parent, HWND child) {
    Served served;
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    LOGBRUSH log = {};
    if (brush != nullptr && GetObjectA(brush, sizeof log, &log) == sizeof log) served.brush = log.lbColor;
    served.back = GetBkColor(dc);
    served.text = GetTextColor(dc);
    DeleteDC(dc);
    return served;
}

unique_gdi SolidBitmap(int width, int height, COLORREF color) {
    HDC screen = GetDC(nullptr);
    unique_gdi bitmap(CreateCompatibleBitmap(screen, width, height));
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap.get());
    unique_gdi brush(CreateSolidBrush(color));
    const RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(brush.get()));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A real shell drop of `paths`, as the shell hands it to a window.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    REQUIRE(memory != nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* at = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        memcpy(at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}
} // namespace

TEST_CASE("colours are served on WM_CTLCOLOR* and painted, fonts are set") {
    Host host;
    PictureBox page(host.hwnd(), {0, 0, 9000, 6000});
    CheckBox box(page.hwnd(), "apply", {150, 150, 3000, 300});
    OptionButton option(page.hwnd(), "random", {150, 600, 3000, 300});
    Label label(page.hwnd(), "70%", {150, 1050, 3000, 300});
    TextBox text(page.hwnd(), "path", {150, 1500, 3000, 330});
    ComboBox list(page.hwnd(), {150, 2000, 3000, 315});
    Frame frame(page.hwnd(), "  Remove  ", {4500, 150, 4000, 2000});
    CommandButton button(page.hwnd(), "Apply", {150, 2700, 1500, 360});
    Image image(page.hwnd(), {4500, 2400, 1500, 1500});
    list.AddItem("sky");
    list.SetListIndex(0);

    // Untouched controls leave their colours to the platform.
    CHECK(box.BackColor() == SystemColor(COLOR_BTNFACE));
    CHECK(text.BackColor() == SystemColor(COLOR_WINDOW));
    CHECK(Serve(WM_CTLCOLORSTATIC, page.hwnd(), box.hwnd()).brush != kBack);

    // A skin colours every control that has the two colours, as a visit of the window does.
    for (Control* control : ControlsOf(host.hwnd())) {
        if (control->HasBackColor()) control->SetBackColor(kBack);
        if (control->HasForeColor()) control->SetForeColor(kFore);
    }
    CHECK_FALSE(image.HasBackColor());
    CHECK_FALSE(button.HasForeColor());
    page.SetBackColor(kPanel);

    struct Case {
        const Control& control;
        UINT message;
        HWND from;
    };
    for (const Case& c :
         {Case{box, WM_CTLCOLORSTATIC, box.hwnd()}, Case{option, WM_CTLCOLORSTATIC, option.hwnd()},
          Case{label, WM_CTLCOLORSTATIC, label.hwnd()}, Case{text, WM_CTLCOLOREDIT, text.hwnd()},
          Case{list, WM_CTLCOLOREDIT, list.hwnd()}}) {
        CAPTURE(c.control.Name());
        const Served served = Serve(c.message, page.hwnd(), c.from);
        CHECK(served.brush == kBack);
        CHECK(served.back == kBack);
        CHECK(served.text == kFore);
    }
    // The dropped list of the combo box is its part too.
    COMBOBOXINFO info = {sizeof info};
    REQUIRE(GetComboBoxInfo(list.hwnd(), &info));
    CHECK(Serve(WM_CTLCOLORLISTBOX, page.hwnd(), info.hwndList).brush == kBack);
    CHECK(Serve(WM_CTLCOLORBTN, page.hwnd(), button.hwnd()).brush == kBack);

    // As painted: the background in the back colour, the text nearer the fore colour than the back one.
    for (const Control* control : {static_cast<const Control*>(&box), static_cast<const Control*>(&option),
                                   static_cast<const Control*>(&label), static_cast<const Control*>(&text)}) {
        CAPTURE(control->Name());
        const Snapshot shot(control->hwnd());
        CHECK(shot.At(shot.Width() - 8, shot.Height() / 2) == kBack);
        const RECT caption = {control == &label || control == &text ? 0 : 18, 0, shot.Width(), shot.Height()};
        CHECK(shot.NearerTo(kFore, kBack, caption) > 10);
    }
    const Snapshot framed(frame.hwnd());
    CHECK(framed.At(framed.Width() / 2, framed.Height() / 2) == kBack);
    CHECK(framed.NearerTo(kFore, kBack, {8, 0, framed.Width(), 14}) > 10);
    const Snapshot panel(page.hwnd());
    CHECK(panel.At(panel.Width() - 2, panel.Height() - 2) == kPanel);

    // Bad values are refused and change nothing; system colours are taken from the system.
    CHECK(testing::FailureNumber([&] { box.SetBackColor(0x01000000); }) == err::kInvalidPropertyValue.number);
    CHECK(box.BackColor() == kBack);
    CHECK_THROWS_AS(image.SetBackColor(kBack), AppError);
    label.SetBackColor(SystemColor(COLOR_INFOBK));
    CHECK(Serve(WM_CTLCOLORSTATIC, page.hwnd(), label.hwnd()).brush == GetSysColor(COLOR_INFOBK));

    label.SetFont({"Lucida Console", 12, true});
    const FontSpec font = label.Font();
    CHECK(font.name == "Lucida Console");
    CHECK(font.size == doctest::Approx(12).epsilon(0.05));
    CHECK(font.bold);
    CHECK(button.Font().size == doctest::Approx(8).epsilon(0.1)); // the dialog font by default
}

TEST_CASE("an image shows its picture centred, scaled down with its aspect kept, the parent around it") {
    Host host;
    PictureBox page(host.hwnd(), {0, 0, 6000, 3000});
    page.SetBackColor(kPanel);
    Image image(page.hwnd(), {150, 150, 1440, 1440}); // an even number of pixels at 96 and 120 dpi
    RECT client;
    GetClientRect(image.hwnd(), &client);
    REQUIRE(client.right == client.bottom);
    const int side = client.right;

    image.SetPicture(SolidBitmap(4 * side, 2 * side, RGB(200, 30, 40)));
    RECT place = image.PictureRect();
    CHECK(place.left == 0);
    CHECK(place.right == side);
    CHECK(place.bottom - place.top == side / 2);
    Snapshot shot(image.hwnd());
    CHECK(shot.At(side / 2, side / 2) == RGB(200, 30, 40));
    CHECK(shot.At(side / 2, 2) == kPanel);
    CHECK(shot.At(side / 2, side - 2) == kPanel);

    // Scaled down by averaging: a fine black and white check becomes grey, not black or white.
    unique_gdi check = SolidBitmap(4 * side, 2 * side, RGB(0, 0, 0));
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, check.get());
        for (int y = 0; y < 2 * side; ++y)
            for (int x = y % 2; x < 4 * side; x += 2)
                SetPixel(dc, x, y, RGB(255, 255, 255));
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    image.SetPicture(std::move(check));
    const COLORREF grey = Snapshot(image.hwnd()).At(side / 2, side / 2);
    CHECK(GetGValue(grey) > 64);
    CHECK(GetGValue(grey) < 192);

    // A small picture keeps its own size.
    image.SetPicture(SolidBitmap(side / 2, side / 4, RGB(10, 20, 200)));
    place = image.PictureRect();
    CHECK(place.right - place.left == side / 2);
    CHECK(place.left == side / 4);
    CHECK(Snapshot(image.hwnd()).At(side / 2, side / 2) == RGB(10, 20, 200));

    CHECK(FitInside({1024, 768}, {230, 164}).width == 219);
    CHECK(FitInside({1024, 768}, {230, 164}).height == 164);
    CHECK(FitInside({100, 3000}, {230, 164}).width == 5);
    CHECK(FitInside({3000, 1}, {230, 164}).height == 1);

    // A press and a release inside is a click; a release outside is none.
    int clicks = 0;
    image.Click = [&] { ++clicks; };
    SendMessageA(image.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(image.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    SendMessageA(image.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(image.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(side + 20, 6));
    CHECK(clicks == 1);
}

TEST_CASE("files dropped from the shell reach the image's handler, in order, when it takes them") {
    Host host;
    Image image(host.hwnd(), {150, 150, 3450, 2460});
    std::vector<std::vector<std::string>> drops;
    image.FilesDropped = [&](const std::vector<std::string>& paths) { drops.push_back(paths); };
    const std::vector<std::string> paths = {"C:\\Pictures\\a.JPG", "C:\\b.txt", "C:\\c"};

    // Not taking drops: a drop is let go of and raises nothing.
    PostMessageA(image.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    host.Settle();
    CHECK(drops.empty());

    image.SetAcceptFiles(true);
    CHECK((GetWindowLongA(image.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
    PostMessageA(image.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    REQUIRE(testing::PumpUntil([&] { return !drops.empty(); }));
    CHECK(drops == std::vector<std::vector<std::string>>{paths});
}

TEST_CASE("area averaging weighs each old pixel by how much of the new one it covers") {
    // Three pixels into two: each new one takes a whole old pixel and half of the middle one.
    CHECK(ScalePixels({0x00000000, 0x005A5A5A, 0xFFB4B4B4}, 3, 1, 2, 1) ==
          std::vector<uint32_t>{0x001E1E1E, 0xAA969696});
    // A fine check becomes its mean; one colour stays itself.
    CHECK(ScalePixels({0xFFFFFF, 0, 0, 0xFFFFFF}, 2, 2, 1, 1) == std::vector<uint32_t>{0x808080});
    CHECK(ScalePixels(std::vector<uint32_t>(35, 0x123456), 7, 5, 3, 2) == std::vector<uint32_t>(6, 0x123456));
    // Nothing to scale, or too few pixels: nothing.
    CHECK(ScalePixels({1, 2, 3}, 2, 2, 1, 1).empty());
    CHECK(ScalePixels({1}, 1, 1, 0, 1).empty());
}
