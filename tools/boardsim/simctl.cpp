// simctl: changes and shows the simulated boards from a command line (for
// scripts, tests and people). Run it under Wine in the project's prefix.
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned Num(const char* text) {
    return static_cast<unsigned>(std::strtoul(text, nullptr, 0));
}

void PrintBoard(int slot, const SimBoard& b) {
    char product[kSimStringChars];
    for (int i = 0; i < kSimStringChars; ++i)
        product[i] = static_cast<char>(b.product[i]);
    std::printf("%3d  vid %04X pid %04X  ver %04X  \"%s\"  fw %.4s  relays %d%d%d%d%d  led %02X"
                "  %s%s%s%s%s%s%s",
                slot, b.vendor_id, b.product_id, b.version_number, product, b.firmware, b.relays[0],
                b.relays[1], b.relays[2], b.relays[3], b.relays[4], b.led_mask,
                b.plugged ? "plugged" : "unplugged", b.ready ? "" : " not-ready",
                b.silent ? " silent" : "", b.held ? " held" : "",
                b.refuses_writes ? " refuses-writes" : "", b.short_answers ? " short-answers" : "",
                b.owner_pid ? " open" : "");
    if (b.answer_delay_ms) std::printf("  answers after %u ms", b.answer_delay_ms);
    std::printf("\n");
}

int Usage() {
    std::puts("usage: simctl list | reset | clear\n"
              "       simctl add VID PID [PRODUCT [VERSION [FIRMWARE]]]\n"
              "       simctl remove|plug|unplug SLOT\n"
              "       simctl ready|silent|held|refuse|short SLOT 0|1\n"
              "              (refuse: refuses writes; short: answers too short for a status)\n"
              "       simctl delay SLOT MILLISECONDS   (each status answer comes this late)\n"
              "       simctl relay SLOT RELAY 0|1 | led SLOT MASK | firmware SLOT TEXT\n"
              "       simctl hold SLOT MILLISECONDS   (keeps the board open, as another program)");
    return 2;
}

bool Flag(const char* name, SimFlag* flag) {
    if (!std::strcmp(name, "ready"))
        *flag = SimFlag::Ready;
    else if (!std::strcmp(name, "silent"))
        *flag = SimFlag::Silent;
    else if (!std::strcmp(name, "held"))
        *flag = SimFlag::Held;
    else if (!std::strcmp(name, "refuse"))
        *flag = SimFlag::RefusesWrites;
    else if (!std::strcmp(name, "short"))
        *flag = SimFlag::ShortAnswers;
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const char* cmd = argv[1];
    SimFlag flag;
    bool ok = true;
    if (!std::strcmp(cmd, "list")) {
        SimBoard b;
        for (int i = 0; i < kSimMaxBoards; ++i)
            if (SimGetBoard(i, &b)) PrintBoard(i, b);
    } else if (!std::strcmp(cmd, "reset")) {
        SimResetToDefault();
    } else if (!std::strcmp(cmd, "clear")) {
        SimRemoveAll();
    } else if (!std::strcmp(cmd, "add") && argc >= 4) {
        const int slot = SimAddBoard(
            static_cast<uint16_t>(Num(argv[2])), static_cast<uint16_t>(Num(argv[3])),
            argc > 4 ? argv[4] : "SWITCHDECK 5s", "Qvoxline Circuits",
            static_cast<uint16_t>(argc > 5 ? Num(argv[5]) : 0x0100), argc > 6 ? argv[6] : "0123");
        std::printf("%d\n", slot);
        ok = slot >= 0;
    } else if (!std::strcmp(cmd, "remove") && argc == 3) {
        ok = SimRemoveBoard(static_cast<int>(Num(argv[2])));
    } else if ((!std::strcmp(cmd, "plug") || !std::strcmp(cmd, "unplug")) && argc == 3) {
        ok = SimSetFlag(static_cast<int>(Num(argv[2])), SimFlag::Plugged, cmd[0] == 'p');
    } else if (Flag(cmd, &flag) && argc == 4) {
        ok = SimSetFlag(static_cast<int>(Num(argv[2])), flag, Num(argv[3]) != 0);
    } else if (!std::strcmp(cmd, "relay") && argc == 5) {
        ok = SimSetRelay(static_cast<int>(Num(argv[2])), static_cast<int>(Num(argv[3])),
                         Num(argv[4]) != 0);
    } else if (!std::strcmp(cmd, "led") && argc == 4) {
        ok = SimSetLedMask(static_cast<int>(Num(argv[2])), static_cast<uint8_t>(Num(argv[3])));
    } else if (!std::strcmp(cmd, "delay") && argc == 4) {
        ok = SimSetAnswerDelay(static_cast<int>(Num(argv[2])), Num(argv[3]));
    } else if (!std::strcmp(cmd, "firmware") && argc == 4) {
        ok = SimSetFirmware(static_cast<int>(Num(argv[2])), argv[3]);
    } else if (!std::strcmp(cmd, "hold") && argc == 4) {
        const int slot = static_cast<int>(Num(argv[2]));
        ok = SimClaim(slot);
        std::printf("%s\n", ok ? "holding" : "cannot open");
        std::fflush(stdout);
        if (ok) {
            Sleep(Num(argv[3]));
            SimUnclaim(slot);
        }
    } else {
        return Usage();
    }
    return ok ? 0 : 1;
}
