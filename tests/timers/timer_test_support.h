// Message pumping and table inspection shared by the timer tests.
#pragma once
#include "rotation/timers/xtimer.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <functional>

namespace timertest {

using testing::PumpUntil;

// Runs messages until a helper timer of `periodMs` has ticked `ticks` times: lets the platform deliver
// whatever is due without measuring time.
void PumpTicks(int ticks, int32_t periodMs = 20);

// The table index (from 1) of the entry `timer` runs under, 0 when it has none.
int EntryOf(const tsln::XTimer& timer);

// Entries in use.
int UsedEntries();

} // namespace timertest
