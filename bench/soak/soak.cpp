// Hours of running: Pellam's main window connected to the simulated board
// while a script runs again and again, the simulator switches relays behind
// the program's back, Edit Relay saves every minute and the About box is
// open for a minute every ten (it disconnects; the program connects again
// afterwards). Every 30 seconds (at the first moment no dialog is open) the
// process's handles, GDI objects, windows, private bytes and CPU time go
// into a CSV file.
//   soak.exe SECONDS CSV_FILE      (bench/soak.sh runs it in a rig session)
// Runs shorter than 20 minutes shrink the About schedule to fit.
#include "app/app_state.h"
#include "app/relay_panel.h"
#include "app/session.h"
#include "bench/app/bench_program.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "scripts/script_run.h"
#include "tests/win/app/gui_harness.h"
#include "tests/win/app/test_install.h"
#include "tests/win/common/process_counts.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kSampleEveryMs = 30000;
constexpr UINT kFlipEveryMs = 2000;
constexpr DWORD kEditEveryMs = 60000;

DWORD g_start = 0;
FILE* g_csv = nullptr;
int g_flips = 0;
int g_runs_executed = 0; // runs that ended with "Relay Script Executed."

DWORD Elapsed() {
    return GetTickCount() - g_start;
}

uint64_t CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 10000;
    };
    return ticks(kernel) + ticks(user);
}

// One line of the CSV, taken between actions (no dialog open), so every
// line counts the same windows.
void Sample() {
    const ProcessCounts counts = CountProcessResources(GetCurrentProcess());
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    // Private bytes: Wine reports them as the paging-file usage (PrivateUsage
    // stays 0 there).
    const SIZE_T private_bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    std::fprintf(g_csv, "%lu,%ld,%ld,%ld,%llu,%llu\n", Elapsed() / 1000, counts.handles,
                 counts.gdi_objects, counts.windows,
                 static_cast<unsigned long long>(private_bytes / 1024),
                 static_cast<unsigned long long>(CpuMs()));
    std::fflush(g_csv);
}

// The simulator switches a relay behind the program's back.
void CALLBACK FlipRelay(HWND, UINT, UINT_PTR, DWORD) {
    ++g_flips;
    SimSetRelay(0, 1 + g_flips % 5, (g_flips / 5) % 2 == 0);
}

void Press(BoxAnswerer& boxes, int button) {
    boxes.Queue([button](HWND box, const SeenBox&) { PressButton(box, button); });
}

// The stored script, once, through the list and the executor.
void RunScript(BoxAnswerer& boxes) {
    boxes.Queue([](HWND list, const SeenBox&) {
        HWND grid = GetDlgItem(list, IDC_LIST_GRID);
        SendMessageA(grid, GRM_SETCURRENTCELL, 5, 0);
        SendMessageA(FindWindowExA(grid, nullptr, "CellRows", nullptr), WM_CHAR, 'x', 0);
    });
    Press(boxes, IDYES);
    boxes.Queue([](HWND executor, const SeenBox&) {
        HWND log = GetDlgItem(executor, IDC_EXECUTOR_LOG);
        auto ended = [log](const char* last) {
            return WindowText(log).find(last) != std::string::npos;
        };
        PumpUntil([&] { return ended("Relay Script Executed.\r\n") || ended(kScriptStoppedLine); },
                  60000);
        if (ended("Relay Script Executed.\r\n")) ++g_runs_executed;
        PressButton(executor, IDC_EXECUTOR_CLOSE);
    });
    Press(boxes, IDC_LIST_CLOSE);
    SendMessageA(g_main.window, WM_COMMAND, MAKEWPARAM(IDC_RELAY_SCRIPTS, BN_CLICKED), 0);
}

void SaveRelayName(BoxAnswerer& boxes, int round) {
    boxes.Queue([round](HWND dialog, const SeenBox&) {
        SetDlgItemTextA(dialog, IDC_EDIT_NAME, round % 2 ? "Pump" : "Main pump");
        PressButton(dialog, IDC_EDIT_SAVE);
    });
    SendMessageA(g_main.window, WM_COMMAND, MAKEWPARAM(IDC_RELAY1_EDIT, BN_CLICKED), 0);
}

void ShowAbout(BoxAnswerer& boxes, DWORD for_ms) {
    boxes.Queue([for_ms](HWND about, const SeenBox&) {
        PumpFor(static_cast<int>(for_ms));
        PostMessageA(about, WM_CLOSE, 0, 0);
    });
    SendMessageA(g_main.window, WM_COMMAND, IDM_ABOUT, 0);
    Connect(); // the About box disconnected
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: soak SECONDS CSV_FILE\n");
        return 2;
    }
    const DWORD duration_ms = static_cast<DWORD>(std::atoi(argv[1])) * 1000;
    g_csv = std::fopen(argv[2], "w");
    if (!g_csv || duration_ms == 0) return 2;
    std::fprintf(g_csv, "seconds,handles,gdi_objects,windows,private_kb,cpu_ms\n");
    // The About box every ten minutes for one, the first after five; a
    // shorter run has it twice, the first within the first minute (its first
    // opening loads what every later one uses).
    const DWORD about_every = std::min<DWORD>(600000, duration_ms / 2);
    const DWORD about_for = std::min<DWORD>(60000, duration_ms / 6);

    std::string folder;
    HWND window = StartConnectedProgram(&folder);
    if (!window) return 1;
    ExecOnTestCopy(folder, "INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES "
                           "('8001','Soak','every relay','000A020A040A010A030A050A')");
    BoxAnswerer boxes;
    g_start = GetTickCount();
    Sample();
    SetTimer(nullptr, 0, kFlipEveryMs, FlipRelay);
    DWORD next_about = about_every / 2, next_edit = kEditEveryMs / 2, next_sample = kSampleEveryMs;
    int edits = 0, runs = 0, abouts = 0;
    while (Elapsed() < duration_ms) {
        if (Elapsed() >= next_sample) {
            Sample();
            next_sample += kSampleEveryMs;
        }
        if (Elapsed() >= next_about) {
            ShowAbout(boxes, about_for);
            next_about += about_every;
            ++abouts;
        } else if (Elapsed() >= next_edit) {
            SaveRelayName(boxes, edits++);
            next_edit += kEditEveryMs;
        } else {
            RunScript(boxes);
            ++runs;
        }
        PumpFor(100);
        if (!g_session.connected) Connect();
    }
    Sample();
    std::fclose(g_csv);
    std::printf("%d script runs (%d to the end), %d Edit Relay saves, %d About boxes, %d relays "
                "switched by the simulator in %lu s\n",
                runs, g_runs_executed, edits, abouts, g_flips, Elapsed() / 1000);
    StopProgram(window, folder);
    return 0;
}
