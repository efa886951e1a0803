#include "tools/boardsim/sim_firmware.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<uint8_t> Report(uint8_t command, uint8_t parameter = 0) {
    std::vector<uint8_t> r(33, 0);
    std::memcpy(&r[1], "Qvox", 4);
    r[5] = command;
    r[6] = parameter;
    return r;
}

TEST(SimulatedFirmware, SwitchesRelaysSetsLedsAndAnswersStatus) {
    SimBoard b;
    SimFirmwareInit(&b, 0, 0x8001, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    uint8_t answer[64];
    EXPECT_EQ(SimFirmwareAnswer(&b, answer, sizeof answer), -1); // nothing asked
    for (uint8_t c : {uint8_t{1}, uint8_t{9}, uint8_t{8}, uint8_t{3}}) {
        auto r = Report(c);
        SimFirmwareReceive(&b, r.data(), r.size());
    }
    auto led = Report(0x0B, 0x21);
    SimFirmwareReceive(&b, led.data(), led.size());
    auto ask = Report(0x0A);
    SimFirmwareReceive(&b, ask.data(), ask.size());
    ASSERT_EQ(SimFirmwareAnswer(&b, answer, sizeof answer), 33);
    const uint8_t status[] = {1, 1, 0, 0, 0, 1, 0x21, '0', '1', '2', '3'};
    EXPECT_EQ(std::memcmp(answer + 2, status, sizeof status), 0);
    EXPECT_EQ(SimFirmwareAnswer(&b, answer, sizeof answer), -1); // one answer per request
    EXPECT_EQ(b.reports_received, 6u);
    EXPECT_EQ(std::memcmp(SimLastReport(&b), ask.data(), 33), 0);
}

TEST(SimulatedFirmware, UntaggedReportsAreLoggedButIgnoredAndSilentBoardsNeverAnswer) {
    SimBoard b;
    SimFirmwareInit(&b, 0, 0x8001, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    auto bogus = Report(1);
    bogus[1] = 'X';
    SimFirmwareReceive(&b, bogus.data(), bogus.size());
    EXPECT_EQ(b.relays[0], 0);
    EXPECT_EQ(b.reports_received, 1u);
    b.silent = 1;
    auto ask = Report(0x0A);
    SimFirmwareReceive(&b, ask.data(), ask.size());
    uint8_t answer[33];
    EXPECT_EQ(SimFirmwareAnswer(&b, answer, sizeof answer), -1);
}

} // namespace

namespace {

TEST(SimulatedFirmware, CommandsAreKeptApartFromStatusRequests) {
    SimBoard b;
    SimFirmwareInit(&b, 0, 0x8001, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    auto relay = Report(5), ask = Report(0x0A);
    SimFirmwareReceive(&b, relay.data(), relay.size());
    for (int i = 0; i < 40; ++i)
        SimFirmwareReceive(&b, ask.data(), ask.size());
    uint8_t commands[kSimReportLog];
    ASSERT_EQ(SimCommandsSince(&b, 0, commands, kSimReportLog), 1);
    EXPECT_EQ(commands[0], 5);
    for (int i = 0; i < 20; ++i)
        SimFirmwareReceive(&b, relay.data(), relay.size());
    EXPECT_EQ(SimCommandsSince(&b, 0, commands, kSimReportLog),
              kSimReportLog); // the last ones only
    EXPECT_EQ(SimCommandsSince(&b, b.commands_received, commands, kSimReportLog), 0);
}

} // namespace
