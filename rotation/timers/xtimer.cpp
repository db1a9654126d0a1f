#include "rotation/timers/xtimer.h"

namespace tsln {

XTimer::~XTimer() {
    // A running timer stops with its object, so the table never points at a dead one.
    if (timerId_ != 0) XTimerSupport::DestroyTimer(*this);
}

void XTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (interval_ == 0) return;
    if (value) {
        timerId_ = XTimerSupport::CreateTimer(*this, interval_);
    } else if (timerId_ != 0) {
        XTimerSupport::DestroyTimer(*this);
        timerId_ = 0;
    }
}

void XTimer::SetInterval(int32_t newInterval) {
    if (newInterval == interval_) return; // a running timer keeps its phase
    interval_ = newInterval;
    if (timerId_ != 0) {
        XTimerSupport::DestroyTimer(*this);
        timerId_ = 0;
    }
    if (newInterval != 0 && enabled_) timerId_ = XTimerSupport::CreateTimer(*this, newInterval);
}

void XTimer::RaiseTick() {
    // Run a copy: a handler that destroys its own timer must not destroy the function it is running in.
    std::function<void()> handler = Tick;
    if (handler) handler();
}

} // namespace tsln
