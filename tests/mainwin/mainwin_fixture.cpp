#include "tests/mainwin/mainwin_fixture.h"
#include "core/clsSetari.h"
#include "movie/movie_stage.h"

#include <doctest.h>
#include <stdexcept>
#include <vector>

namespace mainwin_test {

namespace {
void SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void ClickAt(POINT at, DWORD down, DWORD up) {
    SetCursorPos(at.x, at.y);
    SendMouse(MOUSEEVENTF_MOVE);
    SendMouse(down);
    SendMouse(up);
}

} // namespace

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

} // namespace mainwin_test
