// Time for runs and pulses: a monotonic clock in microseconds, and waits
// that end on the microsecond, or early when the operator presses Ctrl+C.
#pragma once

#include "common/precise_clock.h"

#include <cstdint>

// Ctrl+C and Ctrl+Break become a request to stop instead of ending the
// process; also when the process was started with Ctrl+C turned off (a new
// process group). Idempotent.
void CatchStopRequests();
bool StopRequested();
// Waits up to `ms` milliseconds; true as soon as a stop is requested.
bool WaitForStop(uint32_t ms);

// Waits until the clock reaches `deadline` (microseconds): on the stop
// event while far from it, then on the spot for the last milliseconds, as
// a timed wait may end a timer tick late. True when a stop was requested
// before the deadline.
bool WaitUntilOrStop(uint64_t deadline);
