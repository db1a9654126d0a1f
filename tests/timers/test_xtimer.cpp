// XTimer and its table, on real thread timers and the real message loop. Each case stands alone: the
// table never shrinks, so the one that watches it grow starts from whatever size it finds.
#include "rotation/timers/xtimer.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/unique_any.h"
#include "tests/support/test_support.h"
#include "tests/timers/timer_test_support.h"

#include <doctest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using timertest::EntryOf;
using timertest::PumpTicks;
using timertest::PumpUntil;
using tsln::XTimer;
using tsln::XTimerSupport;

namespace {

constexpr int32_t kLong = 600000; // never expires during a test
// Set for a case run alone in a process of its own.
constexpr const char* kAloneVariable = "TSLN_TIMERS_ALONE";

std::unique_ptr<XTimer> Running(int32_t interval) {
    auto timer = std::make_unique<XTimer>();
    timer->SetInterval(interval);
    timer->SetEnabled(true);
    return timer;
}

} // namespace

TEST_CASE("a full table grows by five entries and a new timer takes the lowest free entry") {
    REQUIRE(timertest::UsedEntries() == 0);
    // The table never shrinks: whatever ran before left it at some size with every entry free.
    const int size = XTimerSupport::TimerCount();
    std::vector<std::unique_ptr<XTimer>> timers;
    for (int i = 0; i < size + 5; ++i)
        timers.push_back(Running(kLong));
    CHECK(XTimerSupport::TimerCount() == size + 5);
    timers.push_back(Running(kLong));
    CHECK(XTimerSupport::TimerCount() == size + 10);
    for (int i = 1; i <= size + 6; ++i) {
        CAPTURE(i);
        CHECK(XTimerSupport::EntryOwner(i) == timers[i - 1].get());
        CHECK(XTimerSupport::EntryID(i) == timers[i - 1]->TimerID());
        CHECK(timers[i - 1]->TimerID() != 0);
    }
    for (int i = size + 7; i <= size + 10; ++i)
        CHECK(XTimerSupport::EntryID(i) == 0);

    timers[3]->SetEnabled(false);
    timers[1]->SetEnabled(false);
    CHECK(timers[1]->TimerID() == 0);
    CHECK(XTimerSupport::EntryID(2) == 0);
    CHECK(XTimerSupport::EntryID(4) == 0);

    auto second = Running(kLong);
    CHECK(EntryOf(*second) == 2);
    CHECK(XTimerSupport::EntryID(2) == second->TimerID());
    auto fourth = Running(kLong);
    CHECK(EntryOf(*fourth) == 4);
    auto next = Running(kLong);
    CHECK(EntryOf(*next) == size + 7);
    CHECK(XTimerSupport::TimerCount() == size + 10);

    timers.clear();
    second.reset();
    fourth.reset();
    next.reset();
    CHECK(timertest::UsedEntries() == 0);
    CHECK(XTimerSupport::TimerCount() == size + 10); // never shrinks
}

TEST_CASE("a platform timer runs exactly while Enabled is true and Interval is not 0") {
    XTimer timer;
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    CHECK(timer.Interval() == 0);
    CHECK_FALSE(timer.Enabled());
    CHECK(timer.TimerID() == 0);

    SUBCASE("Enabled with Interval 0 runs nothing; a later Interval starts it at once") {
        timer.SetEnabled(true);
        CHECK(timer.Enabled());
        CHECK(timer.TimerID() == 0);
        CHECK(EntryOf(timer) == 0);
        PumpTicks(5);
        CHECK(ticks == 0);

        timer.SetInterval(60000);
        CHECK(timer.TimerID() != 0);
        CHECK(EntryOf(timer) != 0);
        CHECK(XTimerSupport::EntryID(EntryOf(timer)) == timer.TimerID());

        timer.SetInterval(0);
        CHECK(timer.TimerID() == 0);
        CHECK(EntryOf(timer) == 0);
        CHECK(timer.Enabled());

        timer.SetInterval(10);
        CHECK(PumpUntil([&] { return ticks >= 3; }));
    }
    SUBCASE("an Interval without Enabled runs nothing; Enabled false stops it") {
        timer.SetInterval(10);
        CHECK(timer.TimerID() == 0);
        PumpTicks(5);
        CHECK(ticks == 0);
        timer.SetEnabled(true);
        CHECK(timer.TimerID() != 0);
        CHECK(PumpUntil([&] { return ticks >= 2; }));
        timer.SetEnabled(false);
        CHECK(timer.TimerID() == 0);
        CHECK(EntryOf(timer) == 0);
        CHECK(timer.Interval() == 10);
        const int stoppedAt = ticks;
        PumpTicks(5);
        CHECK(ticks == stoppedAt);
    }
}

TEST_CASE("setting the current Interval or Enabled again keeps the running timer") {
    XTimer timer;
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    const UINT_PTR id = timer.TimerID();
    const int entry = EntryOf(timer);
    REQUIRE(id != 0);

    timer.SetInterval(60000);
    CHECK(timer.TimerID() == id);
    CHECK(EntryOf(timer) == entry);
    timer.SetEnabled(true);
    CHECK(timer.TimerID() == id);

    // Re-setting the period on every tick of a faster timer would starve a restarted timer; one that
    // keeps its phase still ticks.
    XTimer phase;
    int phaseTicks = 0;
    phase.Tick = [&] { ++phaseTicks; };
    phase.SetInterval(200);
    phase.SetEnabled(true);
    XTimer fast;
    fast.Tick = [&] { phase.SetInterval(200); };
    fast.SetInterval(10);
    fast.SetEnabled(true);
    CHECK(PumpUntil([&] { return phaseTicks >= 2; }));

    // A new period restarts the timer.
    timer.SetInterval(30000);
    CHECK(timer.TimerID() != 0);
    CHECK(EntryOf(timer) != 0);
    CHECK(XTimerSupport::EntryID(EntryOf(timer)) == timer.TimerID());
    CHECK(ticks == 0);
}

TEST_CASE("a failing Tick handler kills its timer and nothing is reported") {
    testing::BoxWatcher boxes;
    testing::FileSnapshot log(tsln::LogFilePath());
    XTimer timer;
    int ticks = 0;
    SUBCASE("an AppError") {
        timer.Tick = [&] {
            ++ticks;
            TSLN_FAIL(tsln::err::kInvalidCall);
        };
    }
    SUBCASE("any other exception") {
        timer.Tick = [&] {
            ++ticks;
            throw std::runtime_error("tick");
        };
    }
    timer.SetInterval(10);
    timer.SetEnabled(true);
    REQUIRE(timer.TimerID() != 0);
    const UINT_PTR id = timer.TimerID();
    CHECK(PumpUntil([&] { return ticks >= 1; }));
    PumpTicks(5, 10);
    CHECK(ticks == 1);
    CHECK(timer.TimerID() == 0); // no stale identifier is kept
    CHECK(EntryOf(timer) == 0);
    CHECK(timer.Enabled());
    CHECK(timer.Interval() == 10);
    CHECK_FALSE(KillTimer(nullptr, id)); // the platform timer is gone

    // The dead timer starts again with a new period.
    timer.Tick = [&] { ++ticks; };
    timer.SetInterval(20);
    CHECK(timer.TimerID() != 0);
    CHECK(PumpUntil([&] { return ticks >= 3; }));
    CHECK(boxes.Seen().empty());
    CHECK(log.Added().empty());
}

TEST_CASE("a timer destroyed while running stops and frees its entry") {
    SUBCASE("by its owner") {
        auto timer = Running(10);
        const UINT_PTR id = timer->TimerID();
        const int entry = EntryOf(*timer);
        REQUIRE(entry != 0);
        timer.reset();
        CHECK(XTimerSupport::EntryID(entry) == 0);
        CHECK(XTimerSupport::EntryOwner(entry) == nullptr);
        CHECK_FALSE(KillTimer(nullptr, id));
        PumpTicks(5, 10); // a tick already queued for it finds no entry and goes nowhere
    }
    SUBCASE("by its own Tick handler") {
        auto timer = Running(10);
        const UINT_PTR id = timer->TimerID();
        const int entry = EntryOf(*timer);
        int ticks = 0;
        timer->Tick = [&] {
            ++ticks;
            timer.reset();
        };
        CHECK(PumpUntil([&] { return ticks >= 1; }));
        PumpTicks(5, 10);
        CHECK(ticks == 1);
        CHECK(XTimerSupport::EntryID(entry) == 0);
        CHECK(XTimerSupport::EntryOwner(entry) == nullptr);
        CHECK_FALSE(KillTimer(nullptr, id));
    }
}

TEST_CASE("a platform timer unknown to the table is killed on its first tick") {
    const UINT_PTR stray = SetTimer(nullptr, 0, 10, &XTimerSupport::TimerCallback);
    REQUIRE(stray != 0);
    PumpTicks(10, 10);
    CHECK_FALSE(KillTimer(nullptr, stray)); // already killed by the callback
}

TEST_CASE("a Tick handler in a modal box gets no nested ticks and its timer resumes after it") {
    XTimer boxed;
    XTimer other;
    int depth = 0;
    int nested = 0;
    int boxedTicks = 0;
    volatile LONG otherTicks = 0; // read by the driver's thread
    int otherBeforeBox = -1;
    int otherAfterBox = -1;
    int boxedAfterBox = 0;
    bool boxShown = false;
    boxed.Tick = [&] {
        if (depth > 0) ++nested;
        ++depth;
        ++boxedTicks;
        if (!boxShown) {
            boxShown = true;
            otherBeforeBox = otherTicks;
            MessageBoxA(nullptr, "The timer waits.", "XTimer test", MB_OK);
            otherAfterBox = otherTicks;
        } else {
            ++boxedAfterBox;
        }
        --depth;
    };
    other.Tick = [&] { InterlockedIncrement(&otherTicks); };

    // The box stays up while the other timer ticks several times, so the boxed one comes due under it too.
    testing::DialogDriver closer("XTimer test", [&](HWND box) {
        const LONG seen = otherTicks;
        if (!testing::WaitFor([&] { return otherTicks >= seen + 5; })) throw std::runtime_error("no ticks");
        if (!testing::Press(box, IDOK)) throw std::runtime_error("the box stays");
    });
    boxed.SetInterval(50);
    other.SetInterval(50);
    boxed.SetEnabled(true);
    other.SetEnabled(true);
    CHECK(PumpUntil([&] { return boxedAfterBox >= 5; }, 60000));
    closer.Finish();
    CHECK(closer.Acted());
    CHECK(closer.Failure() == "");
    CHECK(nested == 0);
    CHECK(otherAfterBox > otherBeforeBox); // other timers tick under the box
    CHECK(boxed.TimerID() != 0);
    CHECK(XTimerSupport::EntryID(EntryOf(boxed)) == boxed.TimerID());
}

namespace {
// Runs the case named `name` alone, in a new process of this test program; its exit code.
DWORD RunAlone(const char* name) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line = std::string("\"") + exe + "\" --test-case=\"" + name + "\"";
    SetEnvironmentVariableA(kAloneVariable, "1");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kAloneVariable, nullptr);
    REQUIRE(started);
    tsln::unique_handle thread(process.hThread), child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(child.get(), &code);
    return code;
}
} // namespace

// The case grows the table to the platform's whole supply of timers, which would leave too few for the
// growth case: it runs in a process of its own.
TEST_CASE("no timers available: the setter raises the failure and keeps its value") {
    if (GetEnvironmentVariableA(kAloneVariable, nullptr, 0) == 0) {
        CHECK(RunAlone("no timers available*") == 0);
        return;
    }
    std::vector<std::unique_ptr<XTimer>> timers;
    bool raised = false;
    for (int i = 0; i < 100000 && !raised; ++i) {
        auto timer = std::make_unique<XTimer>();
        timer->SetInterval(0x7FFFFFFF);
        try {
            timer->SetEnabled(true);
            timers.push_back(std::move(timer));
        } catch (const tsln::AppError& e) {
            raised = true;
            CHECK(e.number == static_cast<int32_t>(0x80047925u));
            CHECK(e.description == "No timers available");
            CHECK(timer->Enabled());
            CHECK(timer->TimerID() == 0);
            CHECK(EntryOf(*timer) == 0);
        }
    }
    MESSAGE("platform timers before the failure: " << timers.size());
    CHECK(raised);
    CHECK(XTimerSupport::TimerCount() % 5 == 0);
    timers.clear();
    CHECK(timertest::UsedEntries() == 0);

    // Timers are available again.
    XTimer again;
    again.SetInterval(0x7FFFFFFF);
    again.SetEnabled(true);
    CHECK(again.TimerID() != 0);
    CHECK(EntryOf(again) == 1);
}
