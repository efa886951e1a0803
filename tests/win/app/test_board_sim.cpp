// The program tests' board: slot 0 of the simulator, its default board.
#include "tests/win/app/test_board.h"

#include "tools/boardsim/sim_store.h"

#include <gtest/gtest.h>

namespace {

SimBoard Board() {
    SimBoard b{};
    EXPECT_TRUE(SimGetBoard(0, &b));
    return b;
}

} // namespace

void TestBoard::Reset() {
    SimResetToDefault();
}

void TestBoard::SetRelay(int relay, bool at_no) {
    EXPECT_TRUE(SimSetRelay(0, relay, at_no));
}

void TestBoard::SetLedMask(uint8_t mask) {
    EXPECT_TRUE(SimSetLedMask(0, mask));
}

void TestBoard::SetFirmware(const char* text) {
    EXPECT_TRUE(SimSetFirmware(0, text));
}

void TestBoard::SetReady(bool on) {
    EXPECT_TRUE(SimSetFlag(0, SimFlag::Ready, on));
}

void TestBoard::SetSilent(bool on) {
    EXPECT_TRUE(SimSetFlag(0, SimFlag::Silent, on));
}

void TestBoard::SetPlugged(bool on) {
    EXPECT_TRUE(SimSetFlag(0, SimFlag::Plugged, on));
}

uint8_t TestBoard::LedMask() {
    return Board().led_mask;
}

uint32_t TestBoard::ReportsReceived() {
    return Board().reports_received;
}

uint32_t TestBoard::CommandsReceived() {
    return Board().commands_received;
}

std::vector<uint8_t> TestBoard::CommandsSince(uint32_t commands_before) {
    const SimBoard b = Board();
    uint8_t commands[kBoardLogSize];
    const int n = BoardCommandsSince(&b, commands_before, commands, kBoardLogSize);
    return std::vector<uint8_t>(commands, commands + n);
}

std::vector<uint8_t> TestBoard::LastReport() {
    const SimBoard b = Board();
    const uint8_t* r = BoardLastReport(&b);
    return r ? std::vector<uint8_t>(r, r + kBoardReportSize) : std::vector<uint8_t>();
}
