// Gaps of a script run: 60 times a relay command followed by "Delay 1
// Second", against the simulated board while the main window polls it ten
// times a second. Each gap between two relay commands (as the board received
// them) should be the full second and a few milliseconds more, never less.
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/script_timing_bench.exe; rig_session_stop
#include "bench/app/bench_program.h"
#include "scripts/script_executor.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};
std::vector<double> g_command_times; // when each relay command reached the board

// Collects the times at which the board received its relay commands (the
// simulated transport stamps each on arrival), every 100 ms.
void Monitor() {
    SimBoard b;
    SimGetBoard(0, &b);
    uint32_t seen = b.commands_received;
    while (!g_stop) {
        Sleep(100);
        SimGetBoard(0, &b);
        for (; seen < b.commands_received; ++seen)
            g_command_times.push_back(b.command_times_us[seen % kSimReportLog] / 1e3);
    }
}

void CALLBACK CloseWhenDone(HWND, UINT, UINT_PTR, DWORD) {
    HWND executor = FindWindowA(nullptr, "Execute Relay Script");
    if (!executor) return;
    char log[8192] = "";
    GetDlgItemTextA(executor, 6001, log, sizeof log);
    if (std::strstr(log, "Relay Script Executed.")) PostMessageA(executor, WM_CLOSE, 0, 0);
}

} // namespace

int main() {
    std::string folder;
    HWND window = StartConnectedProgram(&folder);
    if (!window) return 1;

    ScriptRunRequest request{};
    std::strcpy(request.row.id, "1");
    std::strcpy(request.row.name, "Timing");
    for (int i = 0; i < 60; ++i)
        std::strcat(request.row.commands, i % 2 ? "000A" : "010A");
    request.board_id = 0x8001;
    RelaySettings relays[5] = {};
    request.relays = relays;
    std::thread monitor(Monitor);
    SetTimer(nullptr, 0, 200, CloseWhenDone);
    OpenScriptExecutor(GetModuleHandleA(nullptr), window, request);
    g_stop = true;
    monitor.join();

    if (g_command_times.size() != 60) {
        std::printf("expected 60 relay commands, saw %zu\n", g_command_times.size());
        return 1;
    }
    std::vector<double> excess; // gap - delay, ms
    for (size_t i = 1; i < g_command_times.size(); ++i)
        excess.push_back(g_command_times[i] - g_command_times[i - 1] - 1000.0);
    std::sort(excess.begin(), excess.end());
    std::printf("gap - delay over %zu gaps: min %+.1f ms, median %+.1f ms, max %+.1f ms; run "
                "%.1f ms for 59 s of delays\n",
                excess.size(), excess.front(), excess[excess.size() / 2], excess.back(),
                g_command_times.back() - g_command_times.front());
    StopProgram(window, folder);
    return 0;
}
