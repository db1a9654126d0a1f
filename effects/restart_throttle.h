// How often a restarted shell gets its taskbar treated again. A shell that restarts over and over (a
// crash loop, perhaps one the treatment itself provokes) is left alone after a few restarts in a short
// time, until it stays up.
#pragma once
#include <cstdint>

namespace tsln {

class RestartThrottle {
public:
    static constexpr int kRestarts = 3;          // treated restarts allowed within kSpanMs
    static constexpr uint32_t kSpanMs = 60000;   // the short time
    static constexpr uint32_t kSettleMs = 60000; // up this long without a restart: the shell stays up

    enum class Verdict {
        Treat,       // treat the new taskbar
        JustStopped, // too many restarts: stop treating from now on (say so once)
        Stopped,     // still stopped
    };

    // A shell restart at `nowMs` (a millisecond clock that may wrap).
    Verdict Restarted(uint32_t nowMs);
    // The shell has stayed up since the last restart: restarts are treated again.
    void StayedUp();
    bool IsStopped() const { return stopped_; }

private:
    uint32_t times_[kRestarts] = {}; // the last treated restarts, oldest first once full
    int count_ = 0;
    bool stopped_ = false;
};

} // namespace tsln
