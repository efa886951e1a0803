// Software cost of one poll of the main window under Wine: ReadPellams on a
// simulated board, LoadBoardRecord through the real ODBC path, and the
// window updates (painted at once). Two cases: a steady board, and one whose
// relay 1 switches before every poll (pictures and labels change).
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/poll_bench.exe; rig_session_stop
#include "app/app_state.h"
#include "app/relay_panel.h"
#include "bench/app/bench_program.h"
#include "bench/common/bench_clock.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

template <typename Before> double MedianPollUs(int runs, Before before) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        before(i);
        const double start = NowUs();
        PollBoard();
        UpdateWindow(g_main.window);
        samples.push_back(NowUs() - start);
        Pump();
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main() {
    std::string folder;
    HWND window = StartConnectedProgram(&folder);
    if (!window) return 1;
    KillTimer(window, kPollTimer); // polls are driven by the loop below
    const int runs = 1000;
    MedianPollUs(200, [](int) {}); // warm-up: caches of the driver and of SQLite
    std::printf("poll, steady board:         median %7.1f us\n", MedianPollUs(runs, [](int) {}));
    std::printf("poll, relay 1 switching:    median %7.1f us\n",
                MedianPollUs(runs, [](int i) { SimSetRelay(0, 1, i % 2 == 0); }));
    StopProgram(window, folder);
    return 0;
}
