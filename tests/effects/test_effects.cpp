// The window effects on real layered windows and real window-less timers; every tick is looked at right
// after it was handled.
#include "core/app_error.h"
#include "effects/clsTranspEffects.h"
#include "tests/effects/effects_fixture.h"
#include "tests/timers/timer_test_support.h"

#include <doctest.h>
#include <memory>
#include <vector>

using namespace effects_test;
using tsln::clsTranspEffects;
using tsln::TranspTarget;

namespace {

// One effect as seen tick by tick: the alphas of its one or two windows after each tick and the tick on
// which Done came.
struct Observed {
    std::vector<int> first;
    std::vector<int> second;
    int doneAtTick = 0;
    std::string doneText = "<not raised>";
};

// Lets the effect run to its Done, recording the alphas of `a` (and `b`) after every tick. The effects
// object is dropped at Done, as its callers do.
Observed RunToDone(std::unique_ptr<clsTranspEffects>& fx, HWND a, HWND b = nullptr) {
    Observed seen;
    fx->Done = [&](const std::string& text) {
        seen.doneAtTick = static_cast<int>(seen.first.size()) + 1;
        seen.doneText = text;
        fx.reset();
    };
    REQUIRE(PumpEachTick(
        [&] {
            seen.first.push_back(Alpha(a));
            if (b != nullptr) seen.second.push_back(Alpha(b));
        },
        [&] { return seen.doneAtTick != 0; }));
    return seen;
}

std::vector<int> Range(int from, int to, int step) {
    std::vector<int> values;
    for (int v = from; step > 0 ? v <= to : v >= to; v += step)
        values.push_back(v);
    return values;
}

std::vector<int> Then(std::vector<int> values, std::vector<int> more) {
    values.insert(values.end(), more.begin(), more.end());
    return values;
}

// A picture panel in memory: a bitmap in a memory device context.
class MemorySurface : public tsln::PictureSurface {
public:
    MemorySurface(int width, int height, double scaleWidth, COLORREF fill)
        : width_(width), height_(height), scaleWidth_(scaleWidth) {
        HDC desktop = GetDC(nullptr);
        bitmap_.reset(CreateCompatibleBitmap(desktop, width, height));
        ReleaseDC(nullptr, desktop);
        dc_.reset(CreateCompatibleDC(nullptr));
        REQUIRE(bitmap_);
        SelectObject(dc_.get(), bitmap_.get());
        Fill(fill);
    }
    HDC hDC() override {
        if (failing) throw tsln::AppError(380, "Invalid property value");
        return dc_.get();
    }
    double ScaleWidth() override { return scaleWidth_; }
    double ScaleHeight() override { return height_; }
    void Cls() override { Fill(RGB(0, 0, 0)); }
    void Refresh() override { ++refreshes; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_.get(), x, y); }

    bool failing = false;
    int refreshes = 0;

private:
    void Fill(COLORREF colour) {
        tsln::unique_gdi brush(CreateSolidBrush(colour));
        RECT all = {0, 0, width_, height_};
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    int width_;
    int height_;
    double scaleWidth_;
    tsln::unique_gdi bitmap_; // outlives the device context it is selected into
    tsln::unique_hdc dc_;
};

} // namespace

TEST_CASE("a fade steps by its amount up to its final alpha and ends on the tick after, without input") {
    EffectsGuard guard;
    TestWindow window("TslnFadeTest", "fade");
    const HWND w = window.get();
    auto fx = std::make_unique<clsTranspEffects>();

    SUBCASE("fading in from 50 to 230 by 10, as the main window opens") {
        uint8_t level = 1;
        REQUIRE(fx->MakeTransp(TranspTarget::GivenWindow, level, w));
        REQUIRE(fx->Fade(w, 10, 10, 50, 230));
        CHECK(Alpha(w) == 1); // the first alpha waits for the first tick
        CHECK_FALSE(IsWindowEnabled(w));
        const Observed seen = RunToDone(fx, w);
        CHECK(seen.first == Then(Range(60, 230, 10), {230}));
        CHECK(seen.doneAtTick == 19);
    }
    SUBCASE("fading out from 230 to 10 by -30, as the main window goes to the tray") {
        REQUIRE(fx->Fade(w, -30, 10, 230, 10));
        const Observed seen = RunToDone(fx, w);
        CHECK(seen.first == Then(Range(200, 20, -30), {10, 10}));
        CHECK(seen.doneAtTick == 9);
    }
    SUBCASE("a rising fade that starts above its end ends at once and applies nothing") {
        REQUIRE(fx->Fade(w, 10, 10, 200, 100));
        const Observed seen = RunToDone(fx, w);
        CHECK(seen.first == std::vector<int>{-1});
        CHECK(seen.doneAtTick == 1);
    }
    CHECK(fx == nullptr);
    CHECK(IsWindowEnabled(w));
    CHECK(timertest::UsedEntries() == 0); // the step timer went with its object
}

TEST_CASE("a cross-fade swaps the two alphas step by step and leaves the windows' input alone") {
    EffectsGuard guard;
    guard.settings.SetOnTOP(1);
    TestWindow main("TslnCrossMain", "main");
    TestWindow dialog("TslnCrossDialog", "dialog");
    EnableWindow(main.get(), FALSE); // the owner of a modal dialog
    auto fx = std::make_unique<clsTranspEffects>();

    SUBCASE("230 and 120 by 20") {
        REQUIRE(fx->Transition(main.get(), dialog.get(), 20, 10, 230, 120));
        CHECK(IsTopmost(dialog.get())); // the OnTOP setting is on
        const Observed seen = RunToDone(fx, main.get(), dialog.get());
        CHECK(seen.first == std::vector<int>{210, 190, 170, 150, 130, 120, 120});
        CHECK(seen.second == std::vector<int>{140, 160, 180, 200, 220, 230, 230});
        CHECK(seen.doneAtTick == 7);
        CHECK(seen.doneText.empty());
    }
    SUBCASE("a start alpha not above the end alpha ends at once and applies nothing") {
        REQUIRE(fx->Transition(main.get(), dialog.get(), 20, 10, 120, 120));
        const Observed seen = RunToDone(fx, main.get(), dialog.get());
        CHECK(seen.first == std::vector<int>{-1});
        CHECK(seen.second == std::vector<int>{-1});
        CHECK(seen.doneAtTick == 1);
    }
    CHECK_FALSE(IsWindowEnabled(main.get()));
    CHECK(IsWindowEnabled(dialog.get()));
}

TEST_CASE("a step of 0, a tick under 1 ms and a second effect on a busy object are refused") {
    EffectsGuard guard;
    TestWindow window("TslnRefuseTest", "refused");
    TestWindow other("TslnRefuseOther", "other");
    auto fx = std::make_unique<clsTranspEffects>();

    CHECK_FALSE(fx->Fade(window.get(), 0, 10, 50, 230));
    CHECK_FALSE(fx->Fade(window.get(), 10, 0, 50, 230));
    CHECK_FALSE(fx->Transition(window.get(), other.get(), 0, 10, 230, 120));
    CHECK_FALSE(fx->Transition(window.get(), other.get(), 20, -5, 230, 120));
    CHECK(IsWindowEnabled(window.get()));
    CHECK_FALSE(IsLayered(window.get()));
    CHECK(timertest::UsedEntries() == 0);

    REQUIRE(fx->Fade(window.get(), 10, 10, 50, 230)); // the refusals left it idle
    CHECK_FALSE(fx->Fade(other.get(), 10, 10, 50, 230));
    CHECK_FALSE(fx->Transition(other.get(), window.get(), 10, 10, 230, 120));
    CHECK(IsWindowEnabled(other.get()));
    CHECK_FALSE(IsLayered(other.get()));
    const Observed seen = RunToDone(fx, window.get());
    CHECK(seen.doneAtTick == 19); // the running fade went on undisturbed
}

TEST_CASE("with translucency switched off, effects change no alpha but run through and end as usual") {
    EffectsGuard guard;
    guard.settings.SetInterface_Transp(0);
    TestWindow window("TslnOffTest", "off");
    TestWindow dialog("TslnOffDialog", "dialog");
    auto fx = std::make_unique<clsTranspEffects>();

    uint8_t level = 1;
    REQUIRE(fx->MakeTransp(TranspTarget::GivenWindow, level, window.get()));
    REQUIRE(fx->Fade(window.get(), 10, 10, 50, 230));
    Observed seen = RunToDone(fx, window.get());
    CHECK(seen.doneAtTick == 19);
    CHECK(seen.doneText.empty());
    CHECK(IsWindowEnabled(window.get()));

    fx = std::make_unique<clsTranspEffects>();
    REQUIRE(fx->Transition(window.get(), dialog.get(), 20, 10, 230, 120));
    seen = RunToDone(fx, window.get());
    CHECK(seen.doneAtTick == 7);
    CHECK_FALSE(IsLayered(window.get()));
    CHECK_FALSE(IsLayered(dialog.get()));
}

TEST_CASE("a setting that cannot be read during an effect counts as its default: the effect ends as usual") {
    EffectsGuard guard;
    const std::string settingsKey = settings_test::At("Settings");
    TestWindow window("TslnFailTest", "failing");
    auto fx = std::make_unique<clsTranspEffects>();
    std::string doneText = "<not raised>";
    fx->Done = [&](const std::string& text) { doneText = text; };

    SUBCASE("a tick that cannot read its setting goes on translucent") {
        REQUIRE(fx->Fade(window.get(), 10, 10, 50, 230));
        int ticks = 0;
        REQUIRE(PumpEachTick(
            [&] {
                if (++ticks == 2)
                    testing::SetString(HKEY_CURRENT_USER, settingsKey, "Interface_Transp", "abc");
            },
            [&] { return doneText != "<not raised>"; }));
        CHECK(doneText.empty());
        CHECK(Alpha(window.get()) == 230);
        CHECK(IsWindowEnabled(window.get()));
        guard.settings.SetInterface_Transp(1);
    }
    SUBCASE("a shell window whose setting cannot be read is left opaque") {
        testing::SetString(HKEY_CURRENT_USER, settingsKey, "TranspTaskbar", "abc");
        uint8_t level = 90;
        fx->MakeTransp(TranspTarget::Taskbar, level);
        CHECK(level == 255);
        guard.settings.SetTranspTaskbar(0);
    }
    CHECK(fx->LastError().empty());
}

TEST_CASE(
    "an effects object released while its fade runs stops it there and gives the window its input back") {
    EffectsGuard guard;
    TestWindow window("TslnReleaseTest", "released");
    auto fx = std::make_unique<clsTranspEffects>();
    REQUIRE(fx->Fade(window.get(), 10, 10, 50, 230));
    int ticks = 0;
    REQUIRE(PumpEachTick([&] { ++ticks; }, [&] { return ticks == 3; }));
    fx.reset();
    CHECK(IsWindowEnabled(window.get()));
    timertest::PumpTicks(5);
    CHECK(Alpha(window.get()) == 80);
    CHECK(timertest::UsedEntries() == 0);
}

TEST_CASE(
    "MakeTransp treats the given window, or the taskbar at its setting, and writes the level used back") {
    EffectsGuard guard;
    clsTranspEffects fx;
    int doneCount = 0;
    fx.Done = [&](const std::string&) { ++doneCount; };

    uint8_t level = 0;
    CHECK_FALSE(fx.MakeTransp(TranspTarget::GivenWindow, level, nullptr, "", ""));

    TestWindow window("TslnGivenTest", "given");
    REQUIRE(fx.MakeTransp(TranspTarget::GivenWindow, level, window.get()));
    CHECK(Alpha(window.get()) == 0); // applied as given: fully transparent

    TestWindow named("TslnGivenByName", "by name");
    level = 90;
    REQUIRE(fx.MakeTransp(TranspTarget::GivenWindow, level, nullptr, "", "TslnGivenByName"));
    CHECK(Alpha(named.get()) == 90);

    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    REQUIRE(taskbar != nullptr);
    LayeredStyleRestorer restore(taskbar);
    guard.settings.SetTranspLevel(150);

    guard.settings.SetTranspTaskbar(0);
    level = 90;
    REQUIRE(fx.MakeTransp(TranspTarget::Taskbar, level));
    CHECK(level == 255);
    CHECK(IsLayered(taskbar)); // layered even when opaque
    CHECK(Alpha(taskbar) == 255);

    guard.settings.SetTranspTaskbar(1);
    level = 0;
    REQUIRE(fx.MakeTransp(TranspTarget::Taskbar, level));
    CHECK(level == 150);
    CHECK(Alpha(taskbar) == 150);

    level = 90;
    REQUIRE(fx.MakeTransp(TranspTarget::Taskbar, level));
    CHECK(level == 90);
    CHECK(Alpha(taskbar) == 90);

    // The taskbar is treated whatever the setting for the program's own windows says.
    guard.settings.SetInterface_Transp(0);
    level = 0;
    REQUIRE(fx.MakeTransp(TranspTarget::Taskbar, level));
    CHECK(Alpha(taskbar) == 150);
    CHECK(doneCount == 0);
}

TEST_CASE(
    "OnTOP places the window and leaves the setting to its page; FormShadow shadows the class only when "
    "chosen") {
    EffectsGuard guard;
    TestWindow window("TslnPlaceTest", "placed");
    clsTranspEffects fx;

    guard.settings.SetOnTOP(0);
    fx.OnTOP(true, window.get());
    CHECK(IsTopmost(window.get()));
    CHECK(guard.settings.OnTOP() == 0);
    fx.OnTOP(false, window.get());
    CHECK_FALSE(IsTopmost(window.get()));

    guard.settings.SetInterface_Shadow(0);
    CHECK(fx.FormShadow(window.get()));
    CHECK((GetClassLongA(window.get(), GCL_STYLE) & CS_DROPSHADOW) == 0);
    guard.settings.SetInterface_Shadow(1);
    CHECK(fx.FormShadow(window.get()));
    CHECK((GetClassLongA(window.get(), GCL_STYLE) & CS_DROPSHADOW) != 0);
    TestWindow sibling("TslnPlaceTest", "same class");
    CHECK((GetClassLongA(sibling.get(), GCL_STYLE) & CS_DROPSHADOW) != 0);
}

TEST_CASE("the preview blends the source at the level in the source's size; a failure is shown without the "
          "debug line") {
    EffectsGuard guard;
    clsTranspEffects fx;
    MemorySurface source(20, 10, 20.4, RGB(255, 255, 255));
    MemorySurface preview(40, 40, 40, RGB(255, 0, 0));

    fx.ShowTransparency(source, preview, 128);
    const COLORREF blended = preview.Pixel(5, 5);
    CHECK(GetRValue(blended) >= 127);
    CHECK(GetRValue(blended) <= 129);
    CHECK(GetGValue(blended) == GetRValue(blended));
    CHECK(preview.Pixel(30, 5) == RGB(0, 0, 0)); // cleared, beyond the source's width
    CHECK(preview.Pixel(5, 20) == RGB(0, 0, 0));
    CHECK(preview.refreshes == 1);

    testing::BoxWatcher boxes;
    preview.failing = true;
    fx.ShowTransparency(source, preview, 128);
    const std::string report = "Error Number: 380\r\nInvalid property value\r\n\r\n"
                               "Tessaline.clsTranspEffects.ShowTransparency";
    const auto seen = boxes.Seen();
    REQUIRE(seen.size() == 1);
    CHECK(seen[0].title == "Program error Tessaline");
    CHECK(seen[0].text.rfind(report + "\r\n\r\nIf this error persist", 0) == 0);
    CHECK(guard.LogAdded().find("\t" + report + "\r\n---") != std::string::npos);
}
