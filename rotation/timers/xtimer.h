// A periodic timer object that needs no window, and the module that maps the platform's thread timers
// back to their objects.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>

namespace tsln {

class XTimer;

// Owns the program's one table of running timers (entries indexed from 1, grown by 5, never shrunk) and
// the callback every timer shares. All of it is used on the user-interface thread only.
class XTimerSupport {
public:
    // Starts a thread timer for `timer` and records it in the lowest free entry; returns the platform
    // identifier. Raises err::kNoTimers when the platform has none left.
    static UINT_PTR CreateTimer(XTimer& timer, int32_t period);
    // Stops the timer's platform timer and frees its entry; an identifier not in the table changes nothing.
    static void DestroyTimer(XTimer& timer);
    // The platform callback of every timer; only the identifier is used.
    static void CALLBACK TimerCallback(HWND window, UINT message, UINT_PTR identifier, DWORD time);

    // For inspection: the table's size and one entry's platform identifier (0 = free), index from 1.
    static int TimerCount();
    static UINT_PTR EntryID(int index);
    static const XTimer* EntryOwner(int index);

private:
    static void ReleaseEntry(int index);
};

// Raises Tick once per expiry while Enabled is true and Interval is not 0. A timer registers itself in
// the table while it runs, and destroying a running timer stops it and frees its entry. Not copyable
// nor movable: the table refers to the object itself.
class XTimer {
public:
    XTimer() = default;
    ~XTimer();
    XTimer(const XTimer&) = delete;
    XTimer& operator=(const XTimer&) = delete;

    // The period in milliseconds; 0 means no platform timer runs.
    int32_t Interval() const { return interval_; }
    // A new value restarts a running timer (its first tick comes a whole period later); the current value
    // changes nothing, so a running timer keeps its phase. May raise err::kNoTimers.
    void SetInterval(int32_t newInterval);

    bool Enabled() const { return enabled_; }
    // May raise err::kNoTimers; the value is kept even then.
    void SetEnabled(bool value);

    // The running platform timer's identifier, 0 when none runs.
    UINT_PTR TimerID() const { return timerId_; }

    // Raised once per expiry of the platform timer.
    std::function<void()> Tick;
    // Raises Tick; called by XTimerSupport only. Failures of the handler pass to the caller.
    void RaiseTick();

private:
    friend class XTimerSupport;

    int32_t interval_ = 0;
    bool enabled_ = false;
    UINT_PTR timerId_ = 0;
};

} // namespace tsln
