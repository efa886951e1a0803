// How long `pellamctl status 8001` takes from its start to its exit under
// Wine, on both builds: dist/sim/pellamctl.exe against the simulated board
// and dist/pellamctl.exe (the real library) against the default virtual
// board. Median, fastest and slowest of RUNS (default 20) after one warm-up.
// Needs the default virtual board (vboard.exe default).
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/ctl_status_bench.exe [RUNS]; rig_session_stop
#include "bench/common/bench_clock.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string DistPath(const char* relative) {
    std::string path = std::string("Z:") + PELLAM_DIST_DIR + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Milliseconds from CreateProcess to the process's end; -1 when it failed.
double RunMs(const std::string& exe, const char* arguments) {
    std::string command = "\"" + exe + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const double start = NowUs();
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    DWORD status = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const double ms = (NowUs() - start) / 1000;
    CloseHandle(nul);
    return started && status == 0 ? ms : -1;
}

void Measure(const char* what, const std::string& exe, int runs) {
    RunMs(exe, "status 8001"); // warm-up: the file cache, Wine's loader
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double t = RunMs(exe, "status 8001");
        if (t < 0) {
            std::printf("%-40s pellamctl status failed\n", what);
            return;
        }
        ms.push_back(t);
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-40s median %6.1f ms  (%.1f-%.1f, %d runs)\n", what, median, ms.front(),
                ms.back(), runs);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::printf("pellamctl status 8001, start to exit:\n");
    SimResetToDefault();
    Measure("simulated library, simulated board", DistPath("sim/pellamctl.exe"), runs);
    Measure("real library, virtual board", DistPath("pellamctl.exe"), runs);
    return 0;
}
