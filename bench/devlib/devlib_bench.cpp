// Median cost of the device library's calls, side by side on both builds:
// the simulated-board library (dist/sim/Pellam_DLL.dll) against simulated
// boards, and the real HID library (dist/Pellam_DLL.dll) against virtual
// boards in Wine's HID stack. Each with one board and with eight HID
// interfaces present (Wine itself always shows two: a mouse and a keyboard).
// Needs the default virtual board (vboard.exe default).
//   source tools/rig/session.sh; rig_session_start
//   wine build/win/bin/devlib_bench.exe; rig_session_stop
#include "bench/common/bench_clock.h"
#include "tools/boardsim/sim_store.h"
#include "tools/vboard/vboard_control.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using TextFn = int32_t (*)(char*);
using IdTextFn = int32_t (*)(uint32_t, char*);
using WriteFn = int32_t (*)(uint32_t, uint32_t, uint32_t);

struct Library {
    HMODULE module = nullptr;
    TextFn find = nullptr;
    IdTextFn read = nullptr;
    WriteFn write = nullptr;
    bool Load(const std::string& path) {
        module = LoadLibraryA(path.c_str());
        if (!module) return false;
        find = reinterpret_cast<TextFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "FindPellamBoards")));
        read = reinterpret_cast<IdTextFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "ReadPellams")));
        write = reinterpret_cast<WriteFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "WritePellam")));
        return find && read && write;
    }
};

std::string DistPath(const char* relative) {
    std::string path = std::string("Z:") + PELLAM_DIST_DIR + "/" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

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

struct Row {
    const char* backend;
    int interfaces;
    double read_us, write_us, find_us;
};

Row Measure(const char* backend, int interfaces, const Library& lib, int runs) {
    char out[1100];
    Row row{backend, interfaces, 0, 0, 0};
    lib.read(0x8001, out); // the first call walks; later ones open the remembered path
    row.read_us = MedianUs(runs, [&] { lib.read(0x8001, out); });
    row.write_us = MedianUs(runs, [&] { lib.write(0x8001, 1, 0); });
    row.find_us = MedianUs(runs / 4, [&] { lib.find(out); });
    return row;
}

// Boards 8002 and up, so that `interfaces` HID interfaces are present.
void AddSimulatedBoards(int interfaces) {
    SimResetToDefault();
    for (int i = 1; i < interfaces; ++i)
        SimAddBoard(0, static_cast<uint16_t>(0x8001 + i), "SWITCHDECK 5s", "Qvoxline", 0x0100,
                    "0123");
}

constexpr int kWineInterfaces = 2;

bool AddVirtualBoards(int interfaces) {
    for (int i = 1 + kWineInterfaces; i < interfaces; ++i) {
        VBoardInfo board;
        board.id = {0x0000, static_cast<uint16_t>(0x8001 + i - kWineInterfaces)};
        if (!AddVirtualBoard(board, "0123", DistPath("vboard/pellam_vboard.inf"))) return false;
    }
    return true;
}

} // namespace

int main() {
    Library simulated, real;
    if (!simulated.Load(DistPath("sim/Pellam_DLL.dll")) || !real.Load(DistPath("Pellam_DLL.dll")) ||
        simulated.module == real.module) {
        std::printf("cannot load both builds of Pellam_DLL.dll\n");
        return 1;
    }
    if (!ResetVirtualBoards(DistPath("vboard/pellam_vboard.inf"))) {
        std::printf("no default virtual board: %s\n", VirtualBoardError().c_str());
        return 1;
    }
    std::vector<Row> rows;
    for (int interfaces : {1, 8}) {
        AddSimulatedBoards(interfaces);
        rows.push_back(Measure("simulated", interfaces, simulated, 2000));
    }
    SimResetToDefault();
    for (int interfaces : {1 + kWineInterfaces, 8}) {
        if (!AddVirtualBoards(interfaces)) {
            std::printf("virtual boards could not be added: %s\n", VirtualBoardError().c_str());
            return 1;
        }
        rows.push_back(Measure("virtual board", interfaces, real, 400));
    }
    ResetVirtualBoards(DistPath("vboard/pellam_vboard.inf"));

    std::printf(
        "median, microseconds        interfaces  ReadPellams  WritePellam  FindPellamBoards\n");
    for (const Row& r : rows)
        std::printf("%-28s %10d %12.1f %12.1f %17.1f\n", r.backend, r.interfaces, r.read_us,
                    r.write_us, r.find_us);
    return 0;
}
