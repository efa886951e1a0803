// Software cost of one poll of the main window under Wine, and its parts:
// the device read alone (ReadPellams on a simulated board), the board's row
// alone (through the real ODBC path, its statement prepared once as the
// session does, beside a statement composed and run each time), and the
// whole poll with the window
// updates (painted at once). Two cases for the whole poll: a steady board,
// and one whose relay 1 switches before every poll (pictures and labels
// change). The last line is the whole poll over the device read.
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/poll_bench.exe; rig_session_stop
#include "app/app_state.h"
#include "app/relay_panel.h"
#include "app/session.h"
#include "db/board_store.h"
#include "devlib/pellam_dll.h"
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

template <typename Work> double MedianUs(int runs, Work work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = NowUs();
        work(i);
        samples.push_back(NowUs() - start);
        Pump();
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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
    char status[kStatusBufferSize];
    const double read = MedianUs(runs, [&](int) { ReadPellams(0x8001, status); });
    BoardRecord record;
    const double row_once = MedianUs(runs, [&](int) { LoadBoardRow("8001", &record); });
    BoardRowReader reader;
    const double row = MedianUs(runs, [&](int) { reader.Load("8001", &record); });
    const double steady = MedianPollUs(runs, [](int) {});
    const double switching = MedianPollUs(runs, [](int i) { SimSetRelay(0, 1, i % 2 == 0); });
    std::printf("device read (ReadPellams):  median %7.1f us\n", read);
    std::printf(
        "board row, prepared once:   median %7.1f us (%.1f us composed and run each time)\n", row,
        row_once);
    std::printf("poll, steady board:         median %7.1f us\n", steady);
    std::printf("poll, relay 1 switching:    median %7.1f us\n", switching);
    std::printf("window updates (steady poll - read - row): %5.1f us; poll / device read: %.2f\n",
                steady - read - row, steady / read);
    StopProgram(window, folder);
    return 0;
}
