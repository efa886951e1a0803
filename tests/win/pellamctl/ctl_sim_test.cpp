// pellamctl on the simulated boards, for what only they show: several
// boards, when each command arrived, a board that stops taking commands;
// and the database, the scripts, the runs and Ctrl+C.
#include "tests/win/app/test_install.h"
#include "tests/win/pellamctl/ctl_harness.h"

#include "db/database.h"
#include "tools/boardsim/sim_store.h"

namespace {

const std::string kSeparator(119, '-');

class CtlSimTest : public CtlTest {
  protected:
    // The new script's ID.
    std::string AddScript(const std::string& name, const std::string& commands,
                          const std::string& description = "note") {
        EXPECT_TRUE(
            Sql("INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES ('8001','" + name +
                "','" + description + "','" + commands + "')"));
        const Rows rows = QueryTestCopy(folder, "SELECT MAX(ID) FROM RelayScripts");
        return rows.empty() ? "" : rows[0][0];
    }
    SimBoard Board() {
        SimBoard b{};
        EXPECT_TRUE(SimGetBoard(0, &b));
        return b;
    }
    // Microseconds between the arrivals of commands `first` and `first + 1`.
    int64_t GapUs(uint32_t first) {
        const SimBoard b = Board();
        return b.command_times_us[(first + 1) % kSimReportLog] -
               b.command_times_us[first % kSimReportLog];
    }
    bool WaitForCommands(uint32_t before, size_t count) {
        for (int i = 0; i < 1000; ++i) {
            if (board.CommandsSince(before).size() >= count) return true;
            Sleep(10);
        }
        return false;
    }
};

// The executor's log for script Morning, 000A01, on the registered board.
std::string MorningLog(const std::string& id) {
    return "Executing Relay Script #" + id + "\n" + kSeparator + "\nMorning\n" + kSeparator +
           "\nRelay 1 - Pump - On\nDelay 1 Second\nRelay 1 - Pump - Off\n" + kSeparator +
           "\nRelay Script Executed.\n";
}

// A console of the test's own: a process that Wine started from a Linux
// shell has none that takes control events. pellamctl runs in it in a
// process group of its own, which the Ctrl+C is sent to, as a console does
// when the operator presses the keys.
bool OwnConsole() {
    FreeConsole();
    return AllocConsole() != FALSE;
}

TEST_F(CtlSimTest, ListsEveryPellamBoardInTheLibrarysOrder) {
    ASSERT_GE(SimAddBoard(0x0000, 0x80A5, "SWITCHDECK 5s", "Other Maker", 0x0207, "0123"), 0);
    ASSERT_GE(SimAddBoard(0x1234, 0x8003, "SWITCHDECK 5s", "Elsewhere", 0x0100, "0123"), 0);
    const CtlResult r = RunCtl("list");
    EXPECT_EQ(r.code, 0u);
    EXPECT_EQ(r.out, "8001  SWITCHDECK 5s  Qvoxline Circuits  0100\n"
                     "80A5  SWITCHDECK 5s  Other Maker  0207\n");
    EXPECT_EQ(Json("list")["boards"][1]["manufacturer"].text, "Other Maker");
}

TEST_F(CtlSimTest, HelpVersionAndAnExitStatusForEachKindOfFailure) {
    CtlResult r = RunCtl("--help");
    EXPECT_EQ(r.code, 0u);
    EXPECT_EQ(r.out.rfind("usage: pellamctl [--json] [--db PATH] COMMAND", 0), 0u) << r.out;
    EXPECT_EQ(RunCtl("--version").out, "pellamctl 0.6.7.7\n");

    RegisterBoard();
    const std::string garbage = folder + "\\garbage.MDB";
    HANDLE file =
        CreateFileA(garbage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a database, not at all", 26, &written, nullptr);
    CloseHandle(file);
    const struct {
        std::string args;
        unsigned long code;
        std::string says; // the start of the one line on stderr
    } cases[] = {
        {"frobnicate", 2, "unknown command \"frobnicate\" (pellamctl --help lists them)"},
        {"status 8001 extra", 2, "status takes 1 argument (usage: pellamctl status ID)"},
        {"run 8001 Nothing", 2,
         "board 8001 has no script with the name or ID \"Nothing\" (pellamctl scripts 8001 "
         "lists them)"},
        {"set 8001 Heater no", 2,
         "no relay of board 8001 is named \"Heater\" (relays 1 \"Pump\" and 3 \"Fan\")"},
        {"--db \"" + folder + "\\none.MDB\" scripts 8001", 4,
         "database not found: " + folder + "\\none.MDB"},
        {"scripts 8001 --db \"" + garbage + "\"", 4, ""},
    };
    for (const auto& c : cases) {
        r = RunCtl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_EQ(r.err.rfind("pellamctl: " + c.says, 0), 0u) << c.args << ": " << r.err;
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    }
    DeleteFileA(garbage.c_str());

    // Without an installation record only the commands that need no
    // database work.
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey), ERROR_SUCCESS);
    r = RunCtl("scripts 8001");
    EXPECT_EQ(r.code, 4u);
    EXPECT_EQ(r.err, "pellamctl: Pellam is not installed here (no installation record): give "
                     "the database with --db PATH\n");
    EXPECT_EQ(RunCtl("status 8001").code, 0u);
    EXPECT_EQ(RunCtl("set 8001 Pump no --db \"" + folder + "\\Pellam.MDB\"").code, 0u);
    // A number is a relay number, never looked up as a name: out of range is
    // a usage error, database or not.
    r = RunCtl("set 8001 7 nc");
    EXPECT_EQ(r.code, 2u);
    EXPECT_EQ(r.err, "pellamctl: relay 7 is out of range: relays are numbered 1 to 5\n");
}

TEST_F(CtlSimTest, ScriptsWithTheirStepsInTheCurrentNames) {
    RegisterBoard();
    const std::string id = AddScript("Morning", "000A01", "Pump''s first run");
    ASSERT_TRUE(Sql("INSERT INTO RelayScripts (PID,NAME,COMMANDS) VALUES ('8002','Other','02')"));
    ASSERT_TRUE(Sql("INSERT INTO RelayScripts (PID,NAME,COMMANDS) VALUES ('8001','Bare','0A')"));
    const std::string bare_id = QueryTestCopy(folder, "SELECT MAX(ID) FROM RelayScripts")[0][0];
    const CtlResult r = RunCtl("scripts 8001");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.out, id + "  Morning  3 commands, 0:00:01  Pump's first run\n" + bare_id +
                         "  Bare  1 command, 0:00:01  \n");

    const JsonValue list = Json("scripts 8001");
    EXPECT_EQ(list["board"].text, "8001");
    ASSERT_EQ(list["scripts"].items.size(), 2u);
    const JsonValue& s = list["scripts"][0];
    EXPECT_EQ(s.Keys(), (std::vector<std::string>{"id", "name", "description", "commands", "steps",
                                                  "delay_ms"}));
    EXPECT_EQ(s["id"].number, std::stod(id));
    EXPECT_EQ(s["description"].text, "Pump's first run");
    EXPECT_EQ(s["steps"][2].text, "Relay 1 - Pump - Off");
    EXPECT_EQ(list["scripts"][1]["description"].text, ""); // NULL in the table
}

// The same lines as the executor's log, and the delay a full gap between
// the two commands' arrivals at the board.
TEST_F(CtlSimTest, RunLogAndGapAreTheExecutors) {
    RegisterBoard();
    const std::string id = AddScript("Morning", "000A01");
    uint32_t before = board.CommandsReceived();
    CtlResult r = RunCtl("run 8001 Morning");
    EXPECT_EQ(r.code, 0u) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, MorningLog(id));
    ASSERT_EQ(board.CommandsSince(before), (std::vector<uint8_t>{1, 0}));
    EXPECT_GE(GapUs(before), 1000000);
    EXPECT_LT(GapUs(before), 1150000);

    before = board.CommandsReceived();
    r = RunCtl("run 8001 " + id + " --json");
    EXPECT_EQ(r.code, 0u) << r.err;
    std::string log;
    uint64_t last_ms = 0;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 10u) << r.out;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        JsonValue line;
        ASSERT_TRUE(ParseJson(lines[i], &line)) << lines[i];
        EXPECT_EQ(line.Keys(), (std::vector<std::string>{"ms", "line"}));
        EXPECT_GE(line["ms"].number, last_ms);
        last_ms = static_cast<uint64_t>(line["ms"].number);
        log += line["line"].text + "\n";
    }
    EXPECT_EQ(log, MorningLog(id));
    EXPECT_GE(last_ms, 1000u);
    JsonValue result;
    ASSERT_TRUE(ParseJson(lines.back(), &result));
    EXPECT_EQ(result["result"].text, "executed");
    EXPECT_EQ(board.CommandsSince(before), (std::vector<uint8_t>{1, 0}));
}

// A command the board does not take ends the run there, with a line that
// names it; nothing after it is written or sent.
TEST_F(CtlSimTest, RunStopsAtACommandTheBoardDoesNotTake) {
    RegisterBoard();
    const std::string id = AddScript("Twice", "000A00");
    const uint32_t before = board.CommandsReceived();
    CtlProcess run;
    ASSERT_TRUE(run.Start("run 8001 Twice --json"));
    ASSERT_TRUE(WaitForCommands(before, 1));
    ASSERT_TRUE(SimSetFlag(0, SimFlag::RefusesWrites, true));
    const CtlResult r = run.Finish();
    EXPECT_EQ(r.code, 3u);
    EXPECT_EQ(r.err, "pellamctl: the run stopped at \"Relay 1 - Pump - On\": board 8001 did not "
                     "take the command\n");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 8u) << r.out;
    EXPECT_NE(lines[6].find("\"line\":\"Relay 1 - Pump - On\""), std::string::npos);
    EXPECT_NE(lines[7].find("\"result\":\"failed\""), std::string::npos);
    EXPECT_EQ(board.CommandsSince(before), std::vector<uint8_t>{1});
}

// Ctrl+C during a delay ends the run at once; the board keeps the state of
// the last command sent, and the log ends with the last line carried out.
TEST_F(CtlSimTest, CtrlCStopsARunBetweenCommands) {
    RegisterBoard();
    const std::string id = AddScript("Slow", "000J01");
    ASSERT_TRUE(OwnConsole());
    const uint32_t before = board.CommandsReceived();
    CtlProcess run;
    ASSERT_TRUE(run.Start("run 8001 Slow", CREATE_NEW_PROCESS_GROUP));
    ASSERT_TRUE(WaitForCommands(before, 1));
    Sleep(200); // into the delay
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, run.id()));
    const CtlResult r = run.Finish(20000);
    EXPECT_EQ(r.code, 130u);
    EXPECT_LT(r.seconds, 8.0); // well before the delay's end
    EXPECT_EQ(r.err, "pellamctl: run of script #" + id +
                         " stopped by Ctrl+C; the board keeps the state of the last command "
                         "sent\n");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Delay 10 Seconds");
    EXPECT_EQ(lines.size(), 6u) << r.out;
    EXPECT_EQ(board.CommandsSince(before), std::vector<uint8_t>{1});
    EXPECT_EQ(Board().relays[0], 1); // still at NO
}

// Texts beyond ASCII are the ANSI code page's: typed names match them, and
// JSON has them as \u escapes.
TEST_F(CtlSimTest, NamesBeyondAsciiMatchAndAreEscapedInJson) {
    ASSERT_TRUE(Sql("INSERT INTO Main (VID,PID,RELAY3NAME) VALUES ('0000','8001','K\xfchler')"));
    AddScript("K\xfchler an", "04");
    const uint32_t before = board.CommandsReceived();
    EXPECT_EQ(RunCtl("set 8001 K\xdcHLER no").code, 2u); // only ASCII letters ignore their case
    EXPECT_EQ(RunCtl("set 8001 k\xfchler no").code, 0u);
    EXPECT_EQ(board.CommandsSince(before), std::vector<uint8_t>{5});
    const CtlResult r = RunCtl("scripts 8001 --json");
    EXPECT_NE(r.out.find("\"name\":\"K\\u00fchler an\""), std::string::npos) << r.out;
    EXPECT_EQ(Json("scripts 8001")["scripts"][0]["steps"][0].text, "Relay 3 - K\xc3\xbchler - ");
}

// A pulse that Ctrl+C ends early still switches the relay back.
TEST_F(CtlSimTest, CtrlCEndsAPulseEarlyAndTheRelayGoesBack) {
    ASSERT_TRUE(OwnConsole());
    const uint32_t before = board.CommandsReceived();
    CtlProcess pulse;
    ASSERT_TRUE(pulse.Start("pulse 8001 2 10000", CREATE_NEW_PROCESS_GROUP));
    ASSERT_TRUE(WaitForCommands(before, 1));
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, pulse.id()));
    const CtlResult r = pulse.Finish(20000);
    EXPECT_EQ(r.code, 130u);
    EXPECT_LT(r.seconds, 8.0);
    EXPECT_EQ(r.err, "pellamctl: pulse stopped by Ctrl+C; relay 2 is back at NC\n");
    EXPECT_EQ(board.CommandsSince(before), (std::vector<uint8_t>{3, 2}));
    EXPECT_EQ(Board().relays[1], 0);

    // Uninterrupted, the relay is switched for the full time.
    const uint32_t again = board.CommandsReceived();
    EXPECT_EQ(RunCtl("pulse 8001 2 250").code, 0u);
    EXPECT_GE(GapUs(again), 250000);
}

} // namespace
