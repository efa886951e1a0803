// pellamctl against a board, on either backend: the simulated board
// (pellamctl_tests, dist/sim/pellamctl.exe) or the default virtual board
// with the real library (pellamctl_vboard_tests, dist/pellamctl.exe).
#include "tests/win/pellamctl/ctl_harness.h"

namespace {

using CtlBoardTest = CtlTest;

TEST_F(CtlBoardTest, ListAndStatusAsTextAndJson) {
    CtlResult r = RunCtl("list");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.out, "8001  SWITCHDECK 5s  Qvoxline Circuits  0100\n");
    const JsonValue list = Json("list");
    ASSERT_EQ(list["boards"].items.size(), 1u) << r.out;
    const JsonValue& b = list["boards"][0];
    EXPECT_EQ(b.Keys(), (std::vector<std::string>{"id", "product", "manufacturer", "version"}));
    EXPECT_EQ(b["id"].text, "8001");
    EXPECT_EQ(b["product"].text, "SWITCHDECK 5s");
    EXPECT_EQ(b["manufacturer"].text, "Qvoxline Circuits");
    EXPECT_EQ(b["version"].text, "0100");

    board.SetRelay(2, true);
    board.SetRelay(5, true);
    board.SetLedMask(0x21);
    board.SetFirmware("0207");
    r = RunCtl("status 8001");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.out, "board 8001: ready, firmware 0207, LED mask 0x21\nrelay 1: NC\nrelay 2: NO\n"
                     "relay 3: NC\nrelay 4: NC\nrelay 5: NO\n");
    const JsonValue status = Json("status 8001");
    EXPECT_EQ(status.Keys(),
              (std::vector<std::string>{"board", "ready", "relays", "led_mask", "firmware"}));
    EXPECT_EQ(status["board"].text, "8001");
    EXPECT_TRUE(status["ready"].boolean);
    std::vector<std::string> relays;
    for (const JsonValue& v : status["relays"].items)
        relays.push_back(v.text);
    EXPECT_EQ(relays, (std::vector<std::string>{"NC", "NO", "NC", "NC", "NO"}));
    EXPECT_EQ(status["led_mask"].number, 0x21);
    EXPECT_EQ(status["firmware"].text, "0207");
}

// By number and by name, each direction, toggle from the board's own
// state; the board receives exactly these commands and nothing is printed.
TEST_F(CtlBoardTest, SetLedsAndPulseSendTheirCommands) {
    RegisterBoard();
    const uint32_t before = board.CommandsReceived();
    for (const char* args :
         {"set 8001 3 no", "set 8001 Pump NO", "set 8001 1 toggle", "set 8001 fan nc",
          "set 8001 3 toggle", "leds 8001 0x21", "pulse 8001 pump 50", "--json set 8001 5 no"}) {
        const CtlResult r = RunCtl(args);
        EXPECT_EQ(r.code, 0u) << args << ": " << r.err;
        EXPECT_EQ(r.out + r.err, "") << args;
    }
    EXPECT_EQ(board.CommandsSince(before), (std::vector<uint8_t>{5, 1, 0, 4, 5, 0x0B, 1, 0, 9}));
    EXPECT_EQ(board.LedMask(), 0x21);
}

// Every failure is one line on stderr and its own exit status; a silent
// board costs the library's bounded wait, not a hang.
TEST_F(CtlBoardTest, MissingSilentNotReadyAndUnpluggedBoards) {
    const char* const kNotAttached = "board 8002 is not attached, or another program has it open";
    const struct {
        const char* args;
        unsigned long code;
        const char* says;
    } cases[] = {
        {"status 8002", 3, kNotAttached},
        {"set 8002 1 no", 3, kNotAttached},
        {"set 8001 Pump no", 2,
         "board 8001 is not registered, so its relays have no names: give the relay's number"},
    };
    for (const auto& c : cases) {
        const CtlResult r = RunCtl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_EQ(r.err, std::string("pellamctl: ") + c.says + "\n") << c.args;
    }

    board.SetSilent(true);
    CtlResult r = RunCtl("status 8001");
    EXPECT_EQ(r.code, 3u);
    EXPECT_EQ(r.err, "pellamctl: board 8001 did not answer\n");
    EXPECT_LT(r.seconds, 10.0); // bounded, not a hang
    EXPECT_EQ(RunCtl("set 8001 1 toggle").code, 3u);
    board.SetSilent(false);

    board.SetReady(false);
    EXPECT_FALSE(Json("status 8001")["ready"].boolean);
    r = RunCtl("pulse 8001 1 100");
    EXPECT_EQ(r.code, 3u);
    EXPECT_EQ(r.err,
              "pellamctl: board 8001 is not ready, so its relays' positions are not known\n");
    const uint32_t before = board.CommandsReceived();
    EXPECT_EQ(RunCtl("set 8001 1 no").code, 0u); // a position given needs no status
    EXPECT_EQ(board.CommandsSince(before), std::vector<uint8_t>{1});
    board.SetReady(true);

    board.SetPlugged(false);
    r = RunCtl("leds 8001 0");
    EXPECT_EQ(r.code, 3u);
    EXPECT_EQ(r.err, "pellamctl: board 8001 is not attached, or another program has it open\n");
    EXPECT_EQ(RunCtl("list").out, "");
    EXPECT_EQ(RunCtl("list --json").out, "{\"boards\":[]}\n");
}

} // namespace
