// The skins Tessaline ships (dist\SKINS), as the program uses them: listed and fitting this version,
// applied by the skin manager to a real window (outline, colours, size, page area), their movies in the
// real player answering real clicks on their buttons, and their frames honouring every step the program
// makes from every frame it can be on.
#include "core/mod_main.h"
#include "core/units.h"
#include "movie/movie_file.h"
#include "movie/movie_stage.h"
#include "movie/movie_timeline.h"
#include "skins/clsSkins.h"
#include "tests/skins/skins_fixture.h"
#include "tools/screenshots/skinned_window.h"

#include <doctest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using tsln::movie::Movie;
using Command = std::pair<std::string, std::string>;

namespace {

constexpr int kPageWidth = 6735; // twips: every page panel of the main window
constexpr int kPageHeight = 3120;

tsln::SkinsSetup ShippedSetup() {
    return {testing::DistDir() + "\\SKINS\\", testing::DistDir() + "\\tsln.dll", [] { FAIL("ended"); }};
}

// The names of the shipped packages, in file form, as the skin manager lists them.
std::vector<std::string> ShippedNames() {
    tsln::clsSkins skins(ShippedSetup());
    skins_test::TestPage page;
    skins.SetControls(page.Bind());
    skins.Enumerate();
    std::vector<std::string> names;
    for (std::string line : page.lines) {
        std::replace(line.begin(), line.end(), ' ', '_');
        names.push_back(line);
    }
    return names;
}

std::vector<int> Numbers(const std::string& list) {
    std::vector<int> numbers;
    std::stringstream in(list);
    std::string piece;
    while (std::getline(in, piece, ','))
        numbers.push_back(std::atoi(piece.c_str()));
    return numbers;
}

int Number(tsln::clsSkins& skins, const char* section, const char* key) {
    const std::string text = skins.ReadINI(section, key);
    REQUIRE(!text.empty());
    return std::atoi(text.c_str());
}

// The movie the package carries, read back from the data folder.
Movie PackagedMovie(tsln::clsSkins& skins, const std::string& name) {
    REQUIRE(skins.Extract(name, name + ".swf"));
    const std::string path = tsln::AppFolder() + name + ".swf";
    const std::string bytes = testing::ReadFileBytes(path);
    DeleteFileA(path.c_str());
    Movie movie;
    REQUIRE(tsln::movie::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), movie) ==
            tsln::movie::Result::kOk);
    return movie;
}

std::vector<int> ButtonsOf(const Movie& movie, int frame) {
    std::vector<int> buttons;
    for (const auto& entry : movie.Frame(frame).display)
        if (entry.button) buttons.push_back(entry.index);
    return buttons;
}

std::set<Command> CommandsOf(const Movie& movie, int frame) {
    std::set<Command> commands;
    for (int b : ButtonsOf(movie, frame))
        commands.emplace(movie.buttons[b].command, movie.buttons[b].argument);
    return commands;
}

bool HasCommand(const Movie& movie, int frame, const std::string& command) {
    for (const Command& c : CommandsOf(movie, frame))
        if (c.first == command) return true;
    return false;
}

// Where the movie comes to rest when the program starts it at `start` (1 sound on, 2 sound off).
int RestFrame(const Movie& movie, int start, bool& soundOn) {
    tsln::movie::Timeline timeline;
    timeline.SetMovie(&movie);
    REQUIRE(timeline.GotoFrame(start));
    timeline.Play();
    for (int i = 0; i <= movie.frameCount && timeline.Playing(); ++i)
        timeline.Tick();
    REQUIRE_FALSE(timeline.Playing());
    soundOn = timeline.SoundOn();
    return timeline.CurrentFrame();
}

// A window pixel whose stage point the player gives to button `b` on `frame`: the middle one of those
// inside its hit area.
POINT HitPoint(const Movie& movie, int frame, int b, int clientWidth, int clientHeight) {
    const auto view = tsln::movie::View::NoBorder(movie.width, movie.height, clientWidth, clientHeight);
    const tsln::movie::Box& box = movie.items[movie.buttons[b].hit].box;
    std::vector<POINT> inside;
    for (int y = view.Y(box.y); y < view.Y(box.y + box.height); ++y)
        for (int x = view.X(box.x); x < view.X(box.x + box.width); ++x)
            if (tsln::movie::ButtonAt(movie, frame, view.StageX(x), view.StageY(y)) == b)
                inside.push_back({x, y});
    REQUIRE(!inside.empty());
    return inside[inside.size() / 2];
}

// A real left click at a window pixel of the player, as the mouse gives it.
void Click(HWND player, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageA(player, WM_MOUSEMOVE, 0, where);
    PostMessageA(player, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageA(player, WM_LBUTTONUP, 0, where);
}

struct Shipped {
    settings_test::RegistryGuard registry; // the skin manager's settings and data folder
    testing::BoxWatcher watcher;           // no box may show
};

} // namespace

TEST_CASE("the shipped skins are listed, fit this version and hold the six pages") {
    Shipped shipped;
    const std::vector<std::string> names = ShippedNames();
    REQUIRE(names.size() >= 2);
    CHECK(std::find(names.begin(), names.end(), "Blue_Lagoon") != names.end()); // a name with a blank
    CHECK(std::find(names.begin(), names.end(), "Ember") != names.end());

    tsln::clsSkins skins(ShippedSetup());
    std::set<std::pair<COLORREF, COLORREF>> colours;
    for (const std::string& name : names) {
        CAPTURE(name);
        REQUIRE(skins.Extract(name));
        CHECK(skins.CheckCompatibility() == 0);
        CHECK(skins.ReadINI("INFO", "For") == "TSLN");
        CHECK(skins.ReadINI("INFO", "Version").find("1.8") != std::string::npos);
        std::string shown = name;
        std::replace(shown.begin(), shown.end(), '_', ' ');
        CHECK(skins.ReadINI("INFO", "Name") == shown);
        CHECK(testing::PathExists(tsln::AppFolder() + "screenshot.jpg"));
        CHECK(testing::PathExists(tsln::AppFolder() + name + ".swf"));

        // The page area lies inside the window, and the outline has a point for every corner.
        const int left = Number(skins, "POSITION", "Left"), top = Number(skins, "POSITION", "Top");
        CHECK(left >= 0);
        CHECK(top >= 0);
        CHECK(left + kPageWidth <= Number(skins, "POSITION", "Width"));
        CHECK(top + kPageHeight <= Number(skins, "POSITION", "Height"));
        const std::vector<int> xs = Numbers(skins.ReadINI("SHAPE", "GPX"));
        CHECK(xs.size() > 4);
        CHECK(xs.size() == Numbers(skins.ReadINI("SHAPE", "GPY")).size());
        colours.emplace(Number(skins, "COLORS", "NormalControl"), Number(skins, "COLORS", "NormalFont"));
    }
    CHECK(colours.size() == names.size()); // each skin its own colours
    CHECK(shipped.watcher.Seen().empty());
}

TEST_CASE(
    "a shipped skin applied to a real window cuts, colours and sizes it, and its movie answers clicks") {
    Shipped shipped;
    testing::ComScope com;
    for (const std::string& name : ShippedNames()) {
        CAPTURE(name);
        tsln::skintool::SkinnedWindow window;
        tsln::clsSkins skins(ShippedSetup());
        skins.ApplyToForm(&window);
        skins.SetControls(tsln::skintool::SkinnedWindow::NoPage());
        skins.SetSkin(name);
        REQUIRE(window.back.has_value());
        ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);

        // Size, page area and colours as the package says.
        REQUIRE(skins.Extract(name, "skin.ini"));
        RECT rect;
        GetWindowRect(window.hwnd(), &rect);
        CHECK(rect.right - rect.left ==
              tsln::TwipsToPixels(Number(skins, "POSITION", "Width"), tsln::ScreenDpiX()));
        CHECK(rect.bottom - rect.top ==
              tsln::TwipsToPixels(Number(skins, "POSITION", "Height"), tsln::ScreenDpiY()));
        CHECK(window.rLeft == Number(skins, "POSITION", "Left"));
        CHECK(window.rTop == Number(skins, "POSITION", "Top"));
        CHECK(*window.back == COLORREF(Number(skins, "COLORS", "NormalControl")));
        CHECK(window.fore == COLORREF(Number(skins, "COLORS", "NormalFont")));

        // The outline is the package's polygon, and no rectangle.
        const std::vector<int> xs = Numbers(skins.ReadINI("SHAPE", "GPX"));
        const std::vector<int> ys = Numbers(skins.ReadINI("SHAPE", "GPY"));
        std::vector<POINT> points;
        for (size_t i = 0; i < xs.size(); ++i)
            points.push_back({MulDiv(xs[i], tsln::ScreenDpiX(), 96), MulDiv(ys[i], tsln::ScreenDpiY(), 96)});
        tsln::unique_gdi polygon(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
        tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
        REQUIRE(GetWindowRgn(window.hwnd(), static_cast<HRGN>(region.get())) == COMPLEXREGION);
        CHECK(skins_test::SameArea(static_cast<HRGN>(region.get()), static_cast<HRGN>(polygon.get())));
        CHECK_FALSE(PtInRegion(static_cast<HRGN>(region.get()), 0, 0));
        // The page panels lie wholly inside it.
        const int pageLeft = tsln::TwipsToPixels(*window.rLeft, tsln::ScreenDpiX());
        const int pageTop = tsln::TwipsToPixels(*window.rTop, tsln::ScreenDpiY());
        const RECT page = {pageLeft, pageTop, pageLeft + tsln::TwipsToPixels(kPageWidth, tsln::ScreenDpiX()),
                           pageTop + tsln::TwipsToPixels(kPageHeight, tsln::ScreenDpiY())};
        tsln::unique_gdi pageRegion(CreateRectRgnIndirect(&page));
        tsln::unique_gdi outside(CreateRectRgn(0, 0, 0, 0));
        CHECK(CombineRgn(static_cast<HRGN>(outside.get()), static_cast<HRGN>(pageRegion.get()),
                         static_cast<HRGN>(region.get()), RGN_DIFF) == NULLREGION);

        // The movie rests on its menu; every button there and on each page answers a real click.
        const Movie movie = PackagedMovie(skins, name);
        bool soundOn = false;
        const int rest = RestFrame(movie, 1, soundOn);
        tsln::MoviePlayer& player = window.Player();
        REQUIRE(testing::PumpUntil([&] { return player.CurrentFrame() == rest; }));
        HWND playerWindow = player.PlayerWindow();
        RECT client;
        GetClientRect(playerWindow, &client);
        auto clickEvery = [&](int frame, const std::string& last) {
            // `last` (a button that leaves the frame) is clicked after all the others.
            std::vector<int> buttons = ButtonsOf(movie, frame);
            std::stable_partition(buttons.begin(), buttons.end(),
                                  [&](int b) { return movie.buttons[b].command != last; });
            for (int b : buttons) {
                const Command expected(movie.buttons[b].command, movie.buttons[b].argument);
                CAPTURE(expected.first);
                CAPTURE(expected.second);
                if (expected.first == "tab") continue; // opened one by one below
                window.commands.clear();
                Click(playerWindow, HitPoint(movie, frame, b, client.right, client.bottom));
                REQUIRE(testing::PumpUntil([&] { return !window.commands.empty(); }));
                CHECK(window.commands == std::vector<Command>{expected});
            }
        };

        const std::set<Command> menu = CommandsOf(movie, rest);
        for (const char* bar : {"move", "help", "minimize", "close"})
            CHECK(menu.count({"bar", bar}) == 1);
        clickEvery(rest, "");
        for (int page = 0; page <= 5; ++page) {
            CAPTURE(page);
            const std::string argument = std::to_string(page);
            REQUIRE(menu.count({"tab", argument}) == 1);
            int tab = -1;
            for (int b : ButtonsOf(movie, rest))
                if (movie.buttons[b].command == "tab" && movie.buttons[b].argument == argument) tab = b;
            window.commands.clear();
            Click(playerWindow, HitPoint(movie, rest, tab, client.right, client.bottom));
            REQUIRE(testing::PumpUntil([&] { return !window.commands.empty(); }));
            CHECK(window.commands == std::vector<Command>{{"tab", argument}});
            const int open = player.CurrentFrame();
            const std::set<Command> onPage = CommandsOf(movie, open);
            CHECK(onPage.count({"ok", ""}) == 1);
            CHECK(onPage.count({"links", ""}) == (page == 0 ? 0u : 1u)); // page 0 has no web page
            for (const char* bar : {"move", "help", "minimize", "close"})
                CHECK(onPage.count({"bar", bar}) == 1);
            clickEvery(open, "ok");
            CHECK(player.CurrentFrame() == rest); // OK went back to the menu
        }
    }
    CHECK(shipped.watcher.Seen().empty());
}

TEST_CASE("the shipped movies honour every frame step the program makes, from every frame it can be on") {
    Shipped shipped;
    tsln::clsSkins skins(ShippedSetup());
    for (const std::string& name : ShippedNames()) {
        CAPTURE(name);
        const Movie movie = PackagedMovie(skins, name);
        tsln::movie::Timeline t;
        t.SetMovie(&movie);

        // Frame 1 starts with the sound on, frame 2 with it off; both come to rest on the menu.
        bool soundOn = false, soundOff = true;
        const int rest = RestFrame(movie, 1, soundOn);
        CHECK(soundOn);
        CHECK(RestFrame(movie, 2, soundOff) == rest);
        CHECK_FALSE(soundOff);

        // Every page frame the program can be on: +4 from where each menu button leaves the movie.
        std::set<int> pages, pagesOf;
        for (int b : ButtonsOf(movie, rest)) {
            const auto& button = movie.buttons[b];
            if (button.command != "tab") continue;
            CAPTURE(button.argument);
            pagesOf.insert(std::atoi(button.argument.c_str()));
            // The button goes to its frame first; the program then steps +4 from where it is.
            REQUIRE(t.GotoFrame(rest));
            if (button.gotoFrame) REQUIRE(t.GotoFrame(button.gotoFrame));
            const int from = t.CurrentFrame();
            REQUIRE(t.GotoFrame(from + 4));
            CHECK(t.CurrentFrame() == from + 4);
            CHECK_FALSE(t.Playing());
            pages.insert(from + 4);
        }
        CHECK(pagesOf == std::set<int>{0, 1, 2, 3, 4, 5});

        for (int page : pages) {
            CAPTURE(page);
            // A page frame offers no other page (a second page would open over the first).
            CHECK_FALSE(HasCommand(movie, page, "tab"));
            // The visual-styles work: -2, a frame of its own without OK, and +2 back.
            REQUIRE(t.GotoFrame(page - 2));
            CHECK(t.CurrentFrame() == page - 2);
            CHECK_FALSE(t.Playing());
            CHECK_FALSE(HasCommand(movie, page - 2, "ok"));
            REQUIRE(t.GotoFrame(t.CurrentFrame() + 2));
            CHECK(t.CurrentFrame() == page);

            // "sound on/off": +53 switches it on, +52 off; each looks like the page and steps back.
            for (const auto& [step, on] : {std::pair<int, bool>{53, true}, {52, false}, {53, true}}) {
                CAPTURE(step);
                REQUIRE(t.GotoFrame(page + step));
                CHECK(t.CurrentFrame() == page + step);
                CHECK(t.SoundOn() == on);
                CHECK_FALSE(t.Playing());
                CHECK(CommandsOf(movie, page + step) == CommandsOf(movie, page));
                CHECK(movie.Frame(page + step).display.size() == movie.Frame(page).display.size());
                REQUIRE(t.GotoFrame(t.CurrentFrame() - step));
                CHECK(t.CurrentFrame() == page);
                CHECK(t.SoundOn() == on);
            }

            // Another skin applied on this page: the new movie is loaded, goes to frame 1 (sound on) and
            // back to the frame the old one showed.
            tsln::movie::Timeline fresh;
            fresh.SetMovie(&movie);
            REQUIRE(fresh.GotoFrame(1));
            REQUIRE(fresh.GotoFrame(page));
            CHECK(fresh.CurrentFrame() == page);
            CHECK_FALSE(fresh.Playing());
            CHECK(fresh.SoundOn());

            // OK goes back to a menu at rest.
            for (int b : ButtonsOf(movie, page)) {
                const auto& button = movie.buttons[b];
                if (button.command != "ok") continue;
                REQUIRE(button.gotoFrame != 0);
                REQUIRE(t.GotoFrame(button.gotoFrame));
                CHECK_FALSE(t.Playing());
                CHECK(HasCommand(movie, t.CurrentFrame(), "tab"));
                CHECK(t.CurrentFrame() == rest);
            }
        }
    }
    CHECK(shipped.watcher.Seen().empty());
}
