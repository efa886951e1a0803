#include "vboard/board_firmware.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Report(uint8_t command, uint8_t parameter = 0) {
    std::vector<uint8_t> r(33, 0);
    std::memcpy(&r[1], "Qvox", 4);
    r[5] = command;
    r[6] = parameter;
    return r;
}

class BoardFirmwareTest : public ::testing::Test {
  protected:
    void SetUp() override { BoardPowerOn(&b, "0123"); }
    bool Receive(const std::vector<uint8_t>& r) { return BoardReceive(&b, r.data(), r.size()); }
    BoardFirmware b;
    uint8_t answer[64];
};

TEST_F(BoardFirmwareTest, SwitchesRelaysSetsLedsAndAnswersStatus) {
    EXPECT_EQ(BoardAnswer(&b, answer, sizeof answer), -1); // nothing asked
    for (uint8_t c : {uint8_t{1}, uint8_t{9}, uint8_t{8}, uint8_t{3}})
        Receive(Report(c));
    Receive(Report(0x0B, 0x21));
    auto ask = Report(0x0A);
    Receive(ask);
    ASSERT_EQ(BoardAnswer(&b, answer, sizeof answer), 33);
    const uint8_t status[] = {1, 1, 0, 0, 0, 1, 0x21, '0', '1', '2', '3'};
    EXPECT_EQ(std::memcmp(answer + 2, status, sizeof status), 0);
    EXPECT_EQ(BoardAnswer(&b, answer, sizeof answer), -1); // one answer per request
    EXPECT_EQ(b.reports_received, 6u);
    EXPECT_EQ(std::memcmp(BoardLastReport(&b), ask.data(), 33), 0);
}

TEST_F(BoardFirmwareTest, UntaggedReportsAreLoggedButIgnoredAndSilentBoardsNeverAnswer) {
    auto bogus = Report(1);
    bogus[1] = 'X';
    Receive(bogus);
    EXPECT_EQ(b.relays[0], 0);
    EXPECT_EQ(b.reports_received, 1u);
    b.silent = 1;
    Receive(Report(0x0A));
    b.silent = 0; // the dropped request stays dropped
    EXPECT_EQ(BoardAnswer(&b, answer, sizeof answer), -1);
}

TEST_F(BoardFirmwareTest, CommandsAreKeptApartFromStatusRequests) {
    auto relay = Report(5), ask = Report(0x0A);
    Receive(relay);
    for (int i = 0; i < 40; ++i)
        Receive(ask);
    uint8_t commands[kBoardLogSize];
    ASSERT_EQ(BoardCommandsSince(&b, 0, commands, kBoardLogSize), 1);
    EXPECT_EQ(commands[0], 5);
    for (int i = 0; i < 20; ++i)
        Receive(relay);
    EXPECT_EQ(BoardCommandsSince(&b, 0, commands, kBoardLogSize),
              kBoardLogSize); // the last ones only
    EXPECT_EQ(BoardCommandsSince(&b, b.commands_received, commands, kBoardLogSize), 0);
}

// Each fault mode as the transports see it: whether a report is taken, and
// how long the answer to a status request is.
TEST_F(BoardFirmwareTest, FaultModes) {
    struct Case {
        const char* name;
        uint8_t BoardFirmware::*mode;
        bool taken;
        int answer_length;
    };
    const Case cases[] = {
        {"ready", &BoardFirmware::ready, true, 33},
        {"silent", &BoardFirmware::silent, true, -1},
        {"refuses writes", &BoardFirmware::refuses_writes, false, -1},
        {"short answers", &BoardFirmware::short_answers, true, kBoardShortAnswerSize},
    };
    for (const Case& c : cases) {
        BoardPowerOn(&b, "0123");
        b.*c.mode = 1;
        EXPECT_EQ(Receive(Report(0x01)), c.taken) << c.name;
        EXPECT_EQ(b.relays[0], c.taken ? 1 : 0) << c.name;
        EXPECT_EQ(Receive(Report(0x0A)), c.taken) << c.name;
        EXPECT_EQ(b.reports_received, c.taken ? 2u : 0u) << c.name;
        std::memset(answer, 0xEE, sizeof answer);
        EXPECT_EQ(BoardAnswer(&b, answer, sizeof answer), c.answer_length) << c.name;
        if (c.answer_length > 0) {
            EXPECT_EQ(answer[2], 1) << c.name;
        }
        EXPECT_EQ(answer[c.answer_length > 0 ? c.answer_length : 0], 0xEE) << c.name;
    }
}

TEST_F(BoardFirmwareTest, AnswerNeedsRoomForTheWholeReportAndFirmwareTextIsPadded) {
    BoardSetFirmwareText(&b, "7");
    Receive(Report(0x0A));
    EXPECT_EQ(BoardAnswer(&b, answer, 32), -1);
    ASSERT_EQ(BoardAnswer(&b, answer, 33), 33);
    EXPECT_EQ(std::memcmp(answer + 9, "7\0\0\0", 4), 0);
}

} // namespace
