// A window that goes while one of its handlers is still running (a close or an unload that arrives
// through a nested message loop): the object stays until that handler returns, then goes.
#include "core/window.h"
#include "tests/support/test_support.h"

#include <doctest.h>
#include <functional>

using namespace tsln;

namespace {
struct Seen {
    int destroyedCalls = 0;
    int deletions = 0;
    bool aliveAfterNested = false; // the handler could still use its object after the nested close
};

class Busy : public Window {
public:
    static constexpr UINT kWork = WM_APP + 1;
    Busy(Seen& seen, unique_window<Busy>& reference) : seen_(seen), reference_(reference) {}
    ~Busy() override { ++seen_.deletions; }
    bool Make() {
        return Create(GetModuleHandleA(nullptr), "TslnTestBusy", "busy", WS_POPUP, 0, 0, 0, 10, 10, nullptr);
    }
    // Runs inside the handler of kWork, as a walk that lets messages through does.
    std::function<void()> nested;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kWork) {
            nested();
            seen_.aliveAfterNested = marker_ == 0x5eed && seen_.deletions == 0 && seen_.destroyedCalls == 0;
            return 0;
        }
        if (message == WM_CLOSE) {
            DestroyWindow(hwnd()); // as an unload does
            return 0;
        }
        return Default(message, wParam, lParam);
    }
    const char* FailureSource() const override { return "Tessaline.test.Busy"; }
    void OnDestroyed() override {
        ++seen_.destroyedCalls;
        reference_.reset();
    }

private:
    Seen& seen_;
    unique_window<Busy>& reference_;
    int marker_ = 0x5eed;
};
} // namespace

TEST_CASE("a close, an unload or a release inside a running handler waits for it to return") {
    struct Way {
        const char* name;
        std::function<void(unique_window<Busy>&, HWND)> act;
    };
    const Way ways[] = {
        {"WM_CLOSE through the queue",
         [](unique_window<Busy>&, HWND w) {
             PostMessageA(w, WM_CLOSE, 0, 0);
             DoEvents();
         }},
        {"WM_CLOSE sent", [](unique_window<Busy>&, HWND w) { SendMessageA(w, WM_CLOSE, 0, 0); }},
        {"the window destroyed", [](unique_window<Busy>&, HWND w) { DestroyWindow(w); }},
        {"the reference released", [](unique_window<Busy>& r, HWND) { r.reset(); }},
        {"a second close after the first",
         [](unique_window<Busy>&, HWND w) {
             SendMessageA(w, WM_CLOSE, 0, 0);
             SendMessageA(w, WM_CLOSE, 0, 0);
         }},
    };
    for (const Way& way : ways) {
        CAPTURE(way.name);
        Seen seen;
        unique_window<Busy> reference;
        reference.reset(new Busy(seen, reference));
        REQUIRE(reference->Make());
        const HWND window = reference->hwnd();
        reference->nested = [&] { way.act(reference, window); };
        SendMessageA(window, Busy::kWork, 0, 0);
        CHECK(seen.aliveAfterNested);
        CHECK_FALSE(IsWindow(window));
        CHECK(seen.destroyedCalls == 1);
        CHECK(seen.deletions == 1);
        CHECK(reference == nullptr);
    }

    // Outside any handler, as before: released at once.
    Seen seen;
    unique_window<Busy> reference;
    reference.reset(new Busy(seen, reference));
    REQUIRE(reference->Make());
    SendMessageA(reference->hwnd(), WM_CLOSE, 0, 0);
    CHECK(seen.destroyedCalls == 1);
    CHECK(seen.deletions == 1);
    CHECK(reference == nullptr);
}
