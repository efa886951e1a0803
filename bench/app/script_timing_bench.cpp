// Timing of a long script run: relay 1 switched, then 60 times "Delay 1
// Second" and a switch. Reports when the simulated board received the last
// command, against the ideal 60 s after the first, while the main window
// polls the board ten times a second.
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/script_timing_bench.exe; rig_session_stop
#include "bench/app/bench_program.h"
#include "bench/common/bench_clock.h"
#include "scripts/script_executor.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

double NowMs() {
    return NowUs() / 1e3;
}

std::atomic<bool> g_stop{false};
std::vector<double> g_command_times; // when each relay command reached the board

// Watches the board's report log for relay commands (status requests aside).
void Monitor() {
    uint32_t seen = 0;
    SimBoard b;
    SimGetBoard(0, &b);
    seen = b.commands_received;
    while (!g_stop) {
        SimGetBoard(0, &b);
        for (; seen < b.commands_received; ++seen)
            g_command_times.push_back(NowMs());
        Sleep(1);
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

    ScriptRow row{};
    std::strcpy(row.id, "1");
    std::strcpy(row.name, "Timing");
    std::strcpy(row.commands, "00");
    for (int i = 0; i < 60; ++i)
        std::strcat(row.commands, i % 2 ? "0A00" : "0A01");
    std::thread monitor(Monitor);
    SetTimer(nullptr, 0, 200, CloseWhenDone);
    OpenScriptExecutor(window, row);
    g_stop = true;
    monitor.join();

    if (g_command_times.size() != 61) {
        std::printf("expected 61 relay commands, saw %zu\n", g_command_times.size());
        return 1;
    }
    double worst = 0;
    for (size_t i = 1; i < g_command_times.size(); ++i)
        worst = std::max(worst, std::fabs(g_command_times[i] - g_command_times[0] -
                                          1000.0 * static_cast<double>(i)));
    const double last = g_command_times.back() - g_command_times.front();
    std::printf("last command %.1f ms after the first (ideal 60000 ms): error %+.1f ms; worst step "
                "error %.1f ms\n",
                last, last - 60000.0, worst);
    StopProgram(window, folder);
    return 0;
}
