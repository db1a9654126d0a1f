// The window base: class options, the unload path, the modal loop and the routing to child objects, on
// real windows.
#include "core/window.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <functional>

using namespace tsln;

namespace {
// What happened to a form, kept outside it because the form may be deleted.
struct Probe {
    int destroyMessages = 0;
    int destroyedCalls = 0;
    int deletions = 0;
};

class Form : public Window {
public:
    // `reference` is the form's program-wide reference, which OnDestroyed drops (null: none).
    explicit Form(Probe& probe, unique_window<Form>* reference = nullptr)
        : probe_(probe), reference_(reference) {}
    ~Form() override { ++probe_.deletions; }

    bool Make(HWND owner, const WindowClassOptions& options = {}, const char* className = "TslnTestForm") {
        return Create(GetModuleHandleA(nullptr), className, "form", WS_POPUP | WS_CAPTION, 0, 50, 50, 200,
                      100, owner, options);
    }
    std::function<void()> onTimer;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY) ++probe_.destroyMessages;
        if (message == WM_TIMER && onTimer) onTimer();
        return Default(message, wParam, lParam);
    }
    const char* FailureSource() const override { return "Tessaline.test.Form"; }
    void OnDestroyed() override {
        ++probe_.destroyedCalls;
        if (reference_ != nullptr) reference_->reset();
    }

private:
    Probe& probe_;
    unique_window<Form>* reference_;
};

// A visible owner for the dialogs.
struct Owner {
    Probe probe;
    Form form{probe};
    Owner() {
        REQUIRE(form.Make(nullptr, {}, "TslnTestOwner"));
        ShowWindow(form.hwnd(), SW_SHOW);
        SetActiveWindow(form.hwnd());
    }
    HWND hwnd() const { return form.hwnd(); }
};

int gThreadTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    // A safety net: a modal loop that never ends is ended by the quit request after about a minute.
    if (++gThreadTicks == 6000) PostQuitMessage(0);
}
} // namespace

TEST_CASE("window class options") {
    Probe probe;
    SUBCASE("the defaults: arrow, button face, no class style") {
        Form form(probe);
        REQUIRE(form.Make(nullptr));
        CHECK(reinterpret_cast<HCURSOR>(GetClassLongPtrA(form.hwnd(), GCLP_HCURSOR)) ==
              LoadCursor(nullptr, IDC_ARROW));
        CHECK(GetClassLongPtrA(form.hwnd(), GCLP_HBRBACKGROUND) == COLOR_BTNFACE + 1);
        CHECK(GetClassLongA(form.hwnd(), GCL_STYLE) == 0);
    }
    SUBCASE("chosen ones") {
        WindowClassOptions options;
        options.icon = nullptr;
        options.cursor = IDC_CROSS;
        options.background = nullptr;
        options.style = CS_DBLCLKS;
        Form form(probe);
        REQUIRE(form.Make(nullptr, options, "TslnTestOptions"));
        CHECK(GetClassLongPtrA(form.hwnd(), GCLP_HICON) == 0);
        CHECK(reinterpret_cast<HCURSOR>(GetClassLongPtrA(form.hwnd(), GCLP_HCURSOR)) ==
              LoadCursor(nullptr, IDC_CROSS));
        CHECK(GetClassLongPtrA(form.hwnd(), GCLP_HBRBACKGROUND) == 0);
        CHECK(GetClassLongA(form.hwnd(), GCL_STYLE) == CS_DBLCLKS);
    }
}

TEST_CASE("one unload path: the form gets WM_DESTROY, then drops its reference") {
    Probe probe;
    SUBCASE("DestroyWindow") {
        unique_window<Form> form(new Form(probe, &form));
        REQUIRE(form->Make(nullptr));
        HWND hwnd = form->hwnd();
        DestroyWindow(hwnd);
        CHECK_FALSE(form);
        CHECK_FALSE(IsWindow(hwnd));
    }
    SUBCASE("released through its reference") {
        unique_window<Form> form(new Form(probe, &form));
        REQUIRE(form->Make(nullptr));
        HWND hwnd = form->hwnd();
        form.reset();
        CHECK_FALSE(IsWindow(hwnd));
    }
    SUBCASE("its reference going out of scope") {
        unique_window<Form> form(new Form(probe, &form));
        REQUIRE(form->Make(nullptr));
    }
    SUBCASE("with its owner") {
        Probe ownerProbe;
        unique_window<Form> owner(new Form(ownerProbe, &owner));
        REQUIRE(owner->Make(nullptr, {}, "TslnTestOwner"));
        unique_window<Form> form(new Form(probe, &form));
        REQUIRE(form->Make(owner->hwnd()));
        owner.reset();
        CHECK_FALSE(form);
        CHECK(ownerProbe.deletions == 1);
    }
    CHECK(probe.destroyMessages == 1);
    CHECK(probe.destroyedCalls == 1);
    CHECK(probe.deletions == 1);
}

TEST_CASE("the modal loop") {
    Owner owner;
    gThreadTicks = 0;
    const UINT_PTR threadTimer = SetTimer(nullptr, 0, 10, &CountTick);
    REQUIRE(threadTimer != 0);

    SUBCASE("the owner is disabled, timers tick, EndModal gives the result") {
        Probe probe;
        Form dialog(probe);
        REQUIRE(dialog.Make(owner.hwnd()));
        bool ownerDisabled = false, shown = false, modal = false;
        dialog.onTimer = [&] {
            if (gThreadTicks < 3) return;
            KillTimer(dialog.hwnd(), 1);
            ownerDisabled = !IsWindowEnabled(owner.hwnd());
            shown = IsWindowVisible(dialog.hwnd()) != FALSE;
            modal = dialog.IsModal();
            dialog.EndModal(7);
        };
        SetTimer(dialog.hwnd(), 1, 10, nullptr);
        CHECK(dialog.RunModal(owner.hwnd()) == 7);
        CHECK(ownerDisabled);
        CHECK(shown);
        CHECK(modal);
        CHECK(gThreadTicks >= 3);
        CHECK_FALSE(dialog.IsModal());
        CHECK_FALSE(IsWindowVisible(dialog.hwnd()));
        CHECK(IsWindow(dialog.hwnd()));
        CHECK(IsWindowEnabled(owner.hwnd()));
        CHECK(GetActiveWindow() == owner.hwnd());
    }
    SUBCASE("a dialog that unloads itself ends the loop; its object is gone") {
        Probe probe;
        unique_window<Form> dialog(new Form(probe, &dialog));
        REQUIRE(dialog->Make(owner.hwnd()));
        PostMessageA(dialog->hwnd(), WM_CLOSE, 0, 0);
        CHECK(dialog->RunModal(owner.hwnd()) == 0);
        CHECK_FALSE(dialog);
        CHECK(probe.deletions == 1);
        CHECK(probe.destroyMessages == 1);
        CHECK(IsWindowEnabled(owner.hwnd()));
        CHECK(GetActiveWindow() == owner.hwnd());
    }
    SUBCASE("hiding the dialog ends the loop too") {
        Probe probe;
        Form dialog(probe);
        REQUIRE(dialog.Make(owner.hwnd()));
        dialog.onTimer = [&] {
            KillTimer(dialog.hwnd(), 1);
            ShowWindow(dialog.hwnd(), SW_HIDE);
        };
        SetTimer(dialog.hwnd(), 1, 10, nullptr);
        CHECK(dialog.RunModal(owner.hwnd()) == 0);
        CHECK_FALSE(dialog.IsModal());
        CHECK(IsWindowEnabled(owner.hwnd()));
    }
    SUBCASE("a quit request ends the loop and stays for the loop outside") {
        Probe probe;
        Form dialog(probe);
        REQUIRE(dialog.Make(owner.hwnd()));
        PostQuitMessage(5);
        CHECK(dialog.RunModal(owner.hwnd()) == 0);
        CHECK_FALSE(dialog.IsModal());
        CHECK(IsWindowEnabled(owner.hwnd()));
        MSG msg;
        REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK(msg.wParam == 5);
    }
    SUBCASE("an owner that was disabled before stays disabled") {
        Probe probe;
        Form dialog(probe);
        REQUIRE(dialog.Make(owner.hwnd()));
        EnableWindow(owner.hwnd(), FALSE);
        dialog.onTimer = [&] {
            KillTimer(dialog.hwnd(), 1);
            dialog.EndModal(1);
        };
        SetTimer(dialog.hwnd(), 1, 10, nullptr);
        CHECK(dialog.RunModal(owner.hwnd()) == 1);
        CHECK_FALSE(IsWindowEnabled(owner.hwnd()));
        EnableWindow(owner.hwnd(), TRUE);
    }
    KillTimer(nullptr, threadTimer);
}

TEST_CASE("a parent's notifications reach the object of the child that sent them") {
    struct Target : ReflectedTarget {
        std::vector<UINT> seen;
        bool OnReflected(UINT message, WPARAM, LPARAM, LRESULT& result) override {
            seen.push_back(message);
            result = 42;
            return true;
        }
    } target;
    Probe probe;
    Form form(probe);
    REQUIRE(form.Make(nullptr));
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, form.hwnd(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    REQUIRE(button);
    BindReflectedTarget(button, &target);
    CHECK(FindReflectedTarget(button) == &target);

    CHECK(SendMessageA(form.hwnd(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button)) == 42);
    HDC dc = GetDC(button);
    CHECK(SendMessageA(form.hwnd(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(button)) == 42);
    ReleaseDC(button, dc);
    // A menu's owner-drawn item names a menu, and a menu command names no window: neither is routed.
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.hwndItem = button;
    SendMessageA(form.hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(form.hwnd(), WM_COMMAND, MAKEWPARAM(1, 0), 0);
    item.CtlType = ODT_BUTTON;
    CHECK(SendMessageA(form.hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)) == 42);
    CHECK(target.seen == std::vector<UINT>{WM_COMMAND, WM_CTLCOLORBTN, WM_DRAWITEM});

    BindReflectedTarget(button, nullptr);
    CHECK(FindReflectedTarget(button) == nullptr);
    SendMessageA(form.hwnd(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    CHECK(target.seen.size() == 3);
}
