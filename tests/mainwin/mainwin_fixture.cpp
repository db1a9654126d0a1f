#include "tests/mainwin/mainwin_fixture.h"
#include "core/clsSetari.h"
#include "movie/movie_stage.h"

#include <doctest.h>
#include <stdexcept>
#include <vector>

namespace mainwin_test {

namespace {
void ClickAt(POINT at, DWORD down, DWORD up) {
    MouseAt(at);
    MouseAt(at, down);
    MouseAt(at, up);
}
} // namespace

void MouseAt(POINT at, DWORD buttons) {
    // Every event carries its own point: a click never lands where an earlier move left the cursor.
    SetCursorPos(at.x, at.y);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((at.x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((at.y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

const tsln::movie::Movie& TestMovie() {
    static tsln::movie::Movie movie;
    if (movie.frameCount == 0) {
        const std::string bytes = testing::ReadFileBytes(TSLN_TEST_MOVIE);
        REQUIRE(tsln::movie::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), movie) ==
                tsln::movie::Result::kOk);
    }
    return movie;
}

POINT ButtonPoint(HWND player, const std::string& command, const std::string& argument) {
    const tsln::movie::Movie& movie = TestMovie();
    for (const tsln::movie::Button& button : movie.buttons) {
        if (button.command != command || button.argument != argument) continue;
        const tsln::movie::Box& hit = movie.items.at(button.hit).box;
        RECT inside = {};
        GetClientRect(player, &inside);
        const auto view = tsln::movie::View::NoBorder(movie.width, movie.height, inside.right, inside.bottom);
        POINT at = {view.X(hit.x + hit.width / 2.0), view.Y(hit.y + hit.height / 2.0)};
        ClientToScreen(player, &at);
        return at;
    }
    throw std::runtime_error("the test movie has no button sending " + command + " " + argument);
}

void LeftClickAt(POINT at) {
    ClickAt(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void ClickOn(HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    const POINT at{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    HWND seen = nullptr;
    const bool ready = testing::WaitFor([&] {
        seen = WindowFromPoint(at);
        return IsWindowEnabled(GetAncestor(control, GA_ROOT)) && (seen == control || IsChild(control, seen));
    });
    INFO("what shows at the control's centre: a ", testing::ClassOf(seen), " \"", testing::WindowText(seen),
         "\"");
    CHECK(ready);
    LeftClickAt(at);
}

void RightClickAt(POINT at) {
    ClickAt(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

bool HasRegion(HWND window) {
    tsln::unique_gdi region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, static_cast<HRGN>(region.get())) != ERROR;
}

HWND PlayerOf(HWND main) {
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (testing::ClassOf(child).rfind("ATL:", 0) == 0) return child;
    return nullptr;
}

int ShownPages(HWND main) {
    int shown = 0;
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (testing::ClassOf(child) == kPageClass && IsWindowVisible(child)) ++shown;
    return shown;
}

SkinGuard::SkinGuard() {
    tsln::clsSetari settings;
    settings.SetSkin(skin.Name());
    settings.SetInterface_Transp(1);
    settings.SetOnTOP(1);
}

StartedExe::StartedExe(const std::function<void()>& prepare) {
    if (prepare) prepare();
    process = tsdriver::Process::Start(testing::DistDir() + "\\Tessaline.exe", "");
    REQUIRE(process.Id() != 0);
    REQUIRE(testing::WaitFor([&] { return (main = process.FindMain()) != nullptr || !process.Running(); },
                             30000));
    REQUIRE(main != nullptr);
    REQUIRE(testing::WaitFor([&] { return LayeredAlpha(main) == 230 && IsWindowEnabled(main); }));
    player = PlayerOf(main);
    REQUIRE(player != nullptr);
}

void StartedExe::Click(const std::string& command, const std::string& argument) {
    LeftClickAt(ButtonPoint(player, command, argument));
}

namespace {
struct Look {
    const std::string& caption;
    HWND found;
};

BOOL CALLBACK LookAt(HWND child, LPARAM param) {
    auto* look = reinterpret_cast<Look*>(param);
    if (IsWindowVisible(child) && testing::WindowText(child) == look->caption) look->found = child;
    return look->found == nullptr;
}
} // namespace

HWND ShownControl(HWND main, const std::string& caption) {
    Look look{caption, nullptr};
    EnumChildWindows(main, &LookAt, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

bool ShownCaption(HWND main, const std::string& caption) {
    return ShownControl(main, caption) != nullptr;
}

InProcessMain::InProcessMain(int answer) : boxes(answer) {
    REQUIRE(CopyFileA(TSLN_TEST_SKIN, (skins / "Test_Main.csk").c_str(), FALSE));
    tsln::clsSetari settings;
    settings.SetSkin("Test_Main");
    settings.SetInterface_Transp(1);
    settings.SetOnTOP(0);
    Open();
}

void InProcessMain::Open() {
    tsln::SkinsSetup setup{skins.Path() + "\\", testing::DistDir() + "\\tsln.dll", [] {}};
    tsln::frmMain::Show(GetModuleHandleA(nullptr), setup);
    window = tsln::frmMain::Instance();
    REQUIRE(window != nullptr);
    main = window->hwnd();
    REQUIRE(testing::PumpUntil(
        [&] { return window->Activated() && LayeredAlpha(main) == 230 && IsWindowEnabled(main); }));
}

bool InProcessMain::Run(const std::string& command, const std::string& args) {
    SetFocus(main);
    window->swfSKIN_FSCommand(command, args);
    return GetFocus() == window->cmdFake().hwnd();
}

int InProcessMain::ShownPage() const {
    int shown = -1;
    for (int page = 0; page < tsln::frmMain::kPageCount; ++page)
        if (window->picTabs(page).Visible()) shown = page;
    return shown;
}

} // namespace mainwin_test
