// vboard: adds, changes and shows the virtual boards of this machine (for
// scripts, tests and people), as simctl does for the simulated boards. Run
// it under Wine in the project's prefix, or on a Windows test machine.
#include "tools/vboard/vboard_control.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

unsigned Num(const char* text, int base = 0) {
    return static_cast<unsigned>(std::strtoul(text, nullptr, base));
}

// BOARD is the product id in hexadecimal, or VID:PID for another vendor id,
// with "/N" after it for the board's further HID interface N.
VBoardId BoardOf(const char* text) {
    const char* colon = std::strchr(text, ':');
    const char* slash = std::strchr(text, '/');
    const auto interface_number = static_cast<uint8_t>(slash ? Num(slash + 1) : 0);
    if (!colon || (slash && slash < colon))
        return {0x0000, static_cast<uint16_t>(Num(text, 16)), interface_number};
    return {static_cast<uint16_t>(Num(text, 16)), static_cast<uint16_t>(Num(colon + 1, 16)),
            interface_number};
}

// The INF beside this program.
std::string InfBesideProgram() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string inf(path, n);
    return inf.substr(0, inf.find_last_of('\\') + 1) + "pellam_vboard.inf";
}

void PrintBoard(const VBoardInfo& b) {
    const BoardFirmware& f = b.state.firmware;
    std::printf("VID_%04X&PID_%04X", b.id.vendor_id, b.id.product_id);
    if (b.id.interface_number) std::printf("&MI_%02X", b.id.interface_number);
    std::printf("  ver %04X  \"%s\"  fw %.4s", b.version_number, b.product.c_str(),
                b.control.firmware);
    if (b.has_state)
        std::printf("  relays %d%d%d%d%d  led %02X", f.relays[0], f.relays[1], f.relays[2],
                    f.relays[3], f.relays[4], f.led_mask);
    const VBoardControl& c = b.control;
    std::printf("  %s%s%s%s%s", b.plugged ? "plugged" : "unplugged", c.ready ? "" : " not-ready",
                c.silent ? " silent" : "", c.refuses_writes ? " refuses-writes" : "",
                c.short_answers ? " short-answers" : "");
    if (c.answer_delay_ms) std::printf("  answers after %u ms", c.answer_delay_ms);
    std::printf("\n");
}

void PrintReports(const VBoardInfo& b) {
    const BoardFirmware& f = b.state.firmware;
    std::printf("relays %d%d%d%d%d  led %02X  reports %u  commands %u\n", f.relays[0], f.relays[1],
                f.relays[2], f.relays[3], f.relays[4], f.led_mask, f.reports_received,
                f.commands_received);
    const uint32_t first =
        f.reports_received > kBoardLogSize ? f.reports_received - kBoardLogSize : 0;
    for (uint32_t i = first; i < f.reports_received; ++i) {
        const uint8_t* r = f.report_log[i % kBoardLogSize];
        std::printf("  report %4u:", i + 1);
        for (int k = 0; k < 8; ++k)
            std::printf(" %02X", r[k]);
        std::printf(" ...\n");
    }
    uint8_t commands[kBoardLogSize];
    const int n = BoardCommandsSince(&f, 0, commands, kBoardLogSize);
    std::printf("  last commands:");
    for (int i = 0; i < n; ++i)
        std::printf(" %02X", commands[i]);
    std::printf("\n");
}

int Usage() {
    std::puts("usage: vboard [--inf PATH] COMMAND\n"
              "  list | default                       (default: exactly board 8001, as new)\n"
              "  add BOARD [PRODUCT [VERSION [FIRMWARE [MANUFACTURER]]]]\n"
              "  remove|unplug|plug|reset|reports BOARD\n"
              "  ready|silent|refuse|short BOARD 0|1\n"
              "      (refuse: refuses writes; short: answers too short for a status)\n"
              "  delay BOARD MILLISECONDS              (each status answer comes this late)\n"
              "  relay BOARD RELAY 0|1 | led BOARD MASK | firmware BOARD TEXT\n"
              "BOARD is the product id in hex (8001), or VID:PID (1234:8001); 8001/1 is a\n"
              "further HID interface of board 8001 (same ids, a device of its own).\n"
              "The driver's INF is taken from beside vboard.exe unless --inf names one.");
    return 2;
}

// The fault-mode switches.
uint8_t VBoardControl::*ModeOf(const char* name) {
    if (!std::strcmp(name, "ready")) return &VBoardControl::ready;
    if (!std::strcmp(name, "silent")) return &VBoardControl::silent;
    if (!std::strcmp(name, "refuse")) return &VBoardControl::refuses_writes;
    if (!std::strcmp(name, "short")) return &VBoardControl::short_answers;
    return nullptr;
}

bool Run(int argc, char** argv, const std::string& inf) {
    const char* cmd = argv[0];
    if (!std::strcmp(cmd, "list") && argc == 1) {
        for (const VBoardInfo& board : ListVirtualBoards())
            PrintBoard(board);
        return true;
    }
    if (!std::strcmp(cmd, "default") && argc == 1) return ResetVirtualBoards(inf);
    if (argc < 2) return Usage() == 0;
    const VBoardId id = BoardOf(argv[1]);
    if (!std::strcmp(cmd, "add")) {
        VBoardInfo identity;
        identity.id = id;
        if (argc > 2) identity.product = argv[2];
        if (argc > 3) identity.version_number = static_cast<uint16_t>(Num(argv[3], 16));
        if (argc > 5) identity.manufacturer = argv[5];
        return AddVirtualBoard(identity, argc > 4 ? argv[4] : "0123", inf);
    }
    if (argc == 2) {
        VBoardInfo board;
        if (!std::strcmp(cmd, "remove")) return RemoveVirtualBoard(id);
        if (!std::strcmp(cmd, "unplug")) return UnplugVirtualBoard(id);
        if (!std::strcmp(cmd, "plug")) return PlugVirtualBoard(id);
        if (!std::strcmp(cmd, "reports")) {
            if (!ReadVirtualBoard(id, &board)) return false;
            PrintReports(board);
            return true;
        }
        if (!std::strcmp(cmd, "reset"))
            return ChangeVirtualBoard(id, [](VBoardControl& c) {
                const uint32_t serial = c.serial;
                c = DefaultVBoardControl("0123");
                c.serial = serial;
                c.power_on = 1;
            });
    }
    if (argc == 3) {
        const unsigned value = Num(argv[2]);
        if (uint8_t VBoardControl::*mode = ModeOf(cmd))
            return ChangeVirtualBoard(id, [&](VBoardControl& c) { c.*mode = value ? 1 : 0; });
        if (!std::strcmp(cmd, "delay"))
            return ChangeVirtualBoard(id, [&](VBoardControl& c) { c.answer_delay_ms = value; });
        if (!std::strcmp(cmd, "led"))
            return ChangeVirtualBoard(id, [&](VBoardControl& c) {
                c.set_led_mask = 1;
                c.led_mask = static_cast<uint8_t>(value);
            });
        if (!std::strcmp(cmd, "firmware"))
            return ChangeVirtualBoard(id, [&](VBoardControl& c) {
                for (int i = 0; i < 4; ++i)
                    c.firmware[i] = i < static_cast<int>(std::strlen(argv[2])) ? argv[2][i] : 0;
            });
    }
    if (argc == 4 && !std::strcmp(cmd, "relay")) {
        const unsigned relay = Num(argv[2]);
        if (relay < 1 || relay > 5) return Usage() == 0;
        const bool at_no = Num(argv[3]) != 0;
        return ChangeVirtualBoard(id, [&](VBoardControl& c) {
            c.set_relays_mask = static_cast<uint8_t>(1 << (relay - 1));
            c.set_relays_to_no = at_no ? c.set_relays_mask : 0;
        });
    }
    return Usage() == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string inf = InfBesideProgram();
    int first = 1;
    if (argc > 2 && !std::strcmp(argv[1], "--inf")) {
        char full[MAX_PATH];
        if (GetFullPathNameA(argv[2], sizeof full, full, nullptr)) inf = full;
        first = 3;
    }
    if (argc <= first) return Usage();
    if (Run(argc - first, argv + first, inf)) return 0;
    if (!VirtualBoardError().empty())
        std::fprintf(stderr, "vboard: %s\n", VirtualBoardError().c_str());
    return 1;
}
