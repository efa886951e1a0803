// Median cost of the device library's exchanges against simulated boards,
// under Wine: one ReadPellams, one WritePellam, and FindPellamBoards with 1,
// 8 and 32 HID interfaces present.
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/devlib_bench.exe; rig_session_stop
#include "bench/common/bench_clock.h"
#include "devlib/pellam_dll.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <typename Fn> double MedianUs(int runs, Fn fn) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = NowUs();
        fn();
        samples.push_back(NowUs() - start);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main() {
    SimResetToDefault();
    char out[1100];
    const int runs = 2000;
    std::printf("ReadPellams (1 interface):        median %8.1f us\n",
                MedianUs(runs, [&] { ReadPellams(0x8001, out); }));
    std::printf("WritePellam (1 interface):        median %8.1f us\n",
                MedianUs(runs, [&] { WritePellam(0x8001, 1, 0); }));
    for (int interfaces : {1, 8, 32}) {
        SimResetToDefault();
        for (int i = 1; i < interfaces; ++i)
            SimAddBoard(0, static_cast<uint16_t>(0x8001 + i), "SWITCHDECK 5s", "Qvoxline", 0x0100,
                        "0123");
        std::printf("FindPellamBoards (%2d interfaces): median %8.1f us\n", interfaces,
                    MedianUs(runs / 4, [&] { FindPellamBoards(out); }));
    }
    SimResetToDefault();
    return 0;
}
