// The benchmarks' one clock: the performance counter, in milliseconds.
#pragma once
#include <windows.h>

namespace bench {

inline double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// How long `run` takes, in milliseconds.
template <typename F>
double TimeMs(F&& run) {
    const double from = NowMs();
    run();
    return NowMs() - from;
}

} // namespace bench
