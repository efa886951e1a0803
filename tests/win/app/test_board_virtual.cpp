// The program tests' board: the default virtual board (8001), driven
// through vboard's control library. Every change and reading waits until
// the driver has taken it up.
#include "tests/win/app/test_board.h"

#include "tools/vboard/vboard_control.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Inf() {
    std::string path = std::string("Z:") + PELLAM_DIST_DIR + "/vboard/pellam_vboard.inf";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void Change(const std::function<void(VBoardControl&)>& change) {
    EXPECT_TRUE(ChangeVirtualBoard(kDefaultVBoard, change)) << VirtualBoardError();
}

BoardFirmware Firmware() {
    VBoardInfo board;
    EXPECT_TRUE(ReadVirtualBoard(kDefaultVBoard, &board)) << VirtualBoardError();
    EXPECT_TRUE(board.has_state);
    return board.state.firmware;
}

} // namespace

void TestBoard::Reset() {
    ASSERT_TRUE(ResetVirtualBoards(Inf())) << VirtualBoardError();
}

void TestBoard::SetRelay(int relay, bool at_no) {
    Change([relay, at_no](VBoardControl& c) {
        c.set_relays_mask = static_cast<uint8_t>(1 << (relay - 1));
        c.set_relays_to_no = at_no ? c.set_relays_mask : 0;
    });
}

void TestBoard::SetLedMask(uint8_t mask) {
    Change([mask](VBoardControl& c) {
        c.set_led_mask = 1;
        c.led_mask = mask;
    });
}

void TestBoard::SetFirmware(const char* text) {
    const std::string firmware(text);
    Change([firmware](VBoardControl& c) {
        for (size_t i = 0; i < 4; ++i)
            c.firmware[i] = i < firmware.size() ? firmware[i] : 0;
    });
}

void TestBoard::SetReady(bool on) {
    Change([on](VBoardControl& c) { c.ready = on ? 1 : 0; });
}

void TestBoard::SetSilent(bool on) {
    Change([on](VBoardControl& c) { c.silent = on ? 1 : 0; });
}

void TestBoard::SetPlugged(bool on) {
    const bool done = on ? PlugVirtualBoard(kDefaultVBoard) : UnplugVirtualBoard(kDefaultVBoard);
    EXPECT_TRUE(done) << VirtualBoardError();
}

uint8_t TestBoard::LedMask() {
    return Firmware().led_mask;
}

uint32_t TestBoard::ReportsReceived() {
    return Firmware().reports_received;
}

uint32_t TestBoard::CommandsReceived() {
    return Firmware().commands_received;
}

std::vector<uint8_t> TestBoard::CommandsSince(uint32_t commands_before) {
    const BoardFirmware f = Firmware();
    uint8_t commands[kBoardLogSize];
    const int n = BoardCommandsSince(&f, commands_before, commands, kBoardLogSize);
    return std::vector<uint8_t>(commands, commands + n);
}

std::vector<uint8_t> TestBoard::LastReport() {
    const BoardFirmware f = Firmware();
    const uint8_t* r = BoardLastReport(&f);
    return r ? std::vector<uint8_t>(r, r + kBoardReportSize) : std::vector<uint8_t>();
}
