// The table of running timers and the callback they share.
#include "rotation/timers/xtimer.h"
#include "core/app_error.h"

#include <vector>

namespace tsln {
namespace {

struct TimerEntry {
    XTimer* Owner = nullptr; // the running timer; it frees its entry before it goes
    UINT_PTR ID = 0;         // platform identifier; 0 marks a free entry
    bool InTick = false;     // a tick of this timer is being handled
    unsigned Use = 0;        // which occupation of the entry: tells a ticking timer from a later reuse
};

struct TimerTable {
    std::vector<TimerEntry> entries; // entry n of the table is entries[n - 1]
    unsigned uses = 0;
};

constexpr size_t kGrowBy = 5;

// The program's one timer table, used on the user-interface thread only.
TimerTable& Table() {
    static TimerTable table;
    return table;
}

// The position of the entry that `owner` runs under `id`, or -1.
int FindEntry(UINT_PTR id, const XTimer* owner) {
    const std::vector<TimerEntry>& entries = Table().entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].ID == id && (owner == nullptr || entries[i].Owner == owner))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

UINT_PTR XTimerSupport::CreateTimer(XTimer& timer, int32_t period) {
    UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(period), &XTimerSupport::TimerCallback);
    if (id == 0) TSLN_FAIL(err::kNoTimers);
    TimerTable& table = Table();
    int index = FindEntry(0, nullptr);
    if (index < 0) {
        index = static_cast<int>(table.entries.size());
        try {
            table.entries.resize(table.entries.size() + kGrowBy);
        } catch (...) {
            KillTimer(nullptr, id); // no entry for it: it must not run
            throw;
        }
    }
    TimerEntry& entry = table.entries[static_cast<size_t>(index)];
    entry.Owner = &timer;
    entry.ID = id;
    entry.InTick = false;
    entry.Use = ++table.uses;
    return id;
}

void XTimerSupport::DestroyTimer(XTimer& timer) {
    if (timer.timerId_ == 0) return;
    // Only the entry this very timer runs under: an identifier the platform has since handed to another
    // timer is never stopped through this one.
    int index = FindEntry(timer.timerId_, &timer);
    if (index < 0) return;
    KillTimer(nullptr, timer.timerId_); // a failure to stop is ignored
    ReleaseEntry(index);
}

void XTimerSupport::ReleaseEntry(int index) {
    TimerEntry& entry = Table().entries[static_cast<size_t>(index)];
    entry.Owner = nullptr;
    entry.ID = 0;
    entry.InTick = false;
}

void CALLBACK XTimerSupport::TimerCallback(HWND, UINT, UINT_PTR identifier, DWORD) {
    try {
        int index = FindEntry(identifier, nullptr);
        if (index < 0) {
            KillTimer(nullptr, identifier); // a stray timer
            return;
        }
        const size_t at = static_cast<size_t>(index);
        TimerEntry& entry = Table().entries[at];
        if (entry.InTick) return; // the previous tick is still being handled: drop this one
        entry.InTick = true;
        XTimer* owner = entry.Owner;
        const unsigned use = entry.Use;

        bool failed = false;
        try {
            owner->RaiseTick();
        } catch (...) {
            failed = true; // not reported: the timer just dies
        }

        // The handler may have grown the table, or stopped, restarted or destroyed its timer: only the
        // same occupation of the same entry is still ours to touch.
        std::vector<TimerEntry>& entries = Table().entries;
        if (at >= entries.size() || entries[at].Use != use || entries[at].ID != identifier) return;
        if (failed) {
            KillTimer(nullptr, identifier);
            owner->timerId_ = 0; // never kept as a stale identifier
            ReleaseEntry(index);
        } else {
            entries[at].InTick = false;
        }
    } catch (...) {
        // Nothing may escape into the platform's dispatch.
    }
}

int XTimerSupport::TimerCount() {
    return static_cast<int>(Table().entries.size());
}

UINT_PTR XTimerSupport::EntryID(int index) {
    const std::vector<TimerEntry>& entries = Table().entries;
    if (index < 1 || static_cast<size_t>(index) > entries.size()) return 0;
    return entries[static_cast<size_t>(index) - 1].ID;
}

const XTimer* XTimerSupport::EntryOwner(int index) {
    const std::vector<TimerEntry>& entries = Table().entries;
    if (index < 1 || static_cast<size_t>(index) > entries.size()) return nullptr;
    return entries[static_cast<size_t>(index) - 1].Owner;
}

} // namespace tsln
