// The agent window: loading, and the one unload path that ends the process's loop.
#include "rotation/frm_logo.h"
#include "tests/support/test_support.h"

#include <doctest.h>

using tsln::frmLogo;

namespace {
// Takes the quit request the agent posts when it goes; false when there is none.
bool TakeQuit() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}
} // namespace

TEST_CASE("the agent loads hidden and unloading drops its reference and ends the loop") {
    REQUIRE(frmLogo::Instance() == nullptr);
    SUBCASE("started at log-on, unloaded by the program") {
        frmLogo::Load(GetModuleHandleA(nullptr), "-s", {});
        REQUIRE(frmLogo::Instance() != nullptr);
        HWND agent = frmLogo::Instance()->hwnd();
        CHECK(frmLogo::Instance()->StartedHidden());
        CHECK(testing::ClassOf(agent) == frmLogo::kClassName);
        CHECK_FALSE(IsWindowVisible(agent));
        frmLogo::Unload();
        CHECK(frmLogo::Instance() == nullptr);
        CHECK_FALSE(IsWindow(agent));
        CHECK(TakeQuit());
    }
    SUBCASE("started by the user, closed from outside") {
        frmLogo::Load(GetModuleHandleA(nullptr), "-s x", {});
        REQUIRE(frmLogo::Instance() != nullptr);
        HWND agent = frmLogo::Instance()->hwnd();
        CHECK_FALSE(frmLogo::Instance()->StartedHidden());
        SendMessageA(agent, WM_CLOSE, 0, 0);
        CHECK(frmLogo::Instance() == nullptr);
        CHECK_FALSE(IsWindow(agent));
        CHECK(TakeQuit());
    }
    frmLogo::Unload(); // nothing loaded: nothing happens
    CHECK_FALSE(TakeQuit());
}
