// A monotonic clock in microseconds, and a wait that ends on it: what script
// runs and pulses time their gaps with. The tick count may be up to 16 ms
// stale and a timed wait may end a timer tick late, so the last
// milliseconds before a deadline are waited out on the spot.
#pragma once

#include <windows.h>

#include <cstdint>

inline uint64_t ClockUs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                                 now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

// Waits on the spot until the clock reaches `deadline` (microseconds):
// sleeping while far from it, only yielding for the last milliseconds, as
// a sleep of one millisecond may last a timer tick or more on a busy
// machine.
inline void SpinUntil(uint64_t deadline) {
    constexpr uint64_t kYieldOnlyUs = 20000;
    for (uint64_t now = ClockUs(); now < deadline; now = ClockUs())
        Sleep(deadline - now > kYieldOnlyUs ? 1 : 0);
}
