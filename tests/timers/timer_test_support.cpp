#include "tests/timers/timer_test_support.h"

#include <doctest.h>

namespace timertest {

void PumpTicks(int ticks, int32_t periodMs) {
    int seen = 0;
    tsln::XTimer helper;
    helper.Tick = [&] { ++seen; };
    helper.SetInterval(periodMs);
    helper.SetEnabled(true);
    REQUIRE(PumpUntil([&] { return seen >= ticks; }));
}

int EntryOf(const tsln::XTimer& timer) {
    for (int i = 1; i <= tsln::XTimerSupport::TimerCount(); ++i) {
        if (tsln::XTimerSupport::EntryOwner(i) == &timer) return i;
    }
    return 0;
}

int UsedEntries() {
    int used = 0;
    for (int i = 1; i <= tsln::XTimerSupport::TimerCount(); ++i) {
        if (tsln::XTimerSupport::EntryID(i) != 0) ++used;
    }
    return used;
}

} // namespace timertest
