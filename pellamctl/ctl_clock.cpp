#include "pellamctl/ctl_clock.h"

#include "common/win32_owners.h"

#include <windows.h>

#include <algorithm>

namespace {

// Far enough from a deadline that a timed wait, even one that ends a timer
// tick (up to 16 ms) late, is back before it.
constexpr uint64_t kSpinMarginUs = 20000;

// Set by the console control handler, which runs on a thread of its own;
// manual reset: once stopped, every later wait ends at once.
KernelHandle g_stop_event;

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    SetEvent(g_stop_event.get());
    return TRUE;
}

} // namespace

void CatchStopRequests() {
    if (g_stop_event) return;
    g_stop_event.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // A process started in a new process group has Ctrl+C turned off.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopRequested() {
    return g_stop_event && WaitForSingleObject(g_stop_event.get(), 0) == WAIT_OBJECT_0;
}

bool WaitForStop(uint32_t ms) {
    if (!g_stop_event) {
        Sleep(ms);
        return false;
    }
    return WaitForSingleObject(g_stop_event.get(), ms) == WAIT_OBJECT_0;
}

bool WaitUntilOrStop(uint64_t deadline) {
    for (uint64_t now = ClockUs(); now + kSpinMarginUs < deadline; now = ClockUs()) {
        const uint64_t ms = (deadline - now - kSpinMarginUs) / 1000 + 1;
        if (WaitForStop(static_cast<uint32_t>(std::min<uint64_t>(ms, 1000)))) return true;
    }
    if (StopRequested()) return true;
    SpinUntil(deadline);
    return false;
}
