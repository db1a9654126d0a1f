#include "effects/restart_throttle.h"

namespace tsln {

RestartThrottle::Verdict RestartThrottle::Restarted(uint32_t nowMs) {
    if (stopped_) return Verdict::Stopped;
    if (count_ == kRestarts) {
        // Unsigned difference: right across a wrap of the clock.
        if (nowMs - times_[0] < kSpanMs) {
            stopped_ = true;
            return Verdict::JustStopped;
        }
        for (int i = 1; i < kRestarts; ++i)
            times_[i - 1] = times_[i];
        --count_;
    }
    times_[count_++] = nowMs;
    return Verdict::Treat;
}

void RestartThrottle::StayedUp() {
    stopped_ = false;
    count_ = 0;
}

} // namespace tsln
