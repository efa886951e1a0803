#include "scripts/command_codes.h"
#include "scripts/script_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Relays {
    RelaySettings r[5] = {};
    Relays() { Set(3, "Pump", "Off", "On"); }
    void Set(int n, const char* name, const char* nc, const char* no) {
        std::strcpy(r[n - 1].name, name);
        std::strcpy(r[n - 1].nc_label, nc);
        std::strcpy(r[n - 1].no_label, no);
    }
};

std::string Text(int index, const Relays& relays) {
    char out[kCommandTextSize];
    CommandText(index, relays.r, out);
    return out;
}

std::vector<std::string> Decode(const char* commands, const Relays& relays) {
    std::vector<std::string> texts;
    WalkScriptCommands(commands, [&](int index) { texts.push_back(Text(index, relays)); });
    return texts;
}

std::string Encode(const std::vector<std::string>& texts, const Relays& relays) {
    char commands[kCommandsTextSize] = "";
    for (const std::string& t : texts)
        EXPECT_TRUE(EncodeScriptCommand(t.c_str(), relays.r, commands, sizeof commands));
    return commands;
}

TEST(ScriptCommands, TableInCodeOrderWithTypesAndDelays) {
    for (int i = 0; i < kCommandCount; ++i) {
        const char expected_second =
            i < 10 ? static_cast<char>('0' + i) : static_cast<char>('A' + i - 10);
        EXPECT_EQ(kScriptCommands[i].code, std::string("0") + expected_second);
        EXPECT_EQ(FindCommand('0', expected_second), i);
        if (i < 10) {
            EXPECT_EQ(kScriptCommands[i].write_type, static_cast<uint32_t>(i ^ 1)) << i;
        }
    }
    EXPECT_EQ(kScriptCommands[FindCommand('0', 'Z')].delay_ms, 36000000u);
    EXPECT_EQ(FindCommand('1', 'A'), -1);
    EXPECT_EQ(FindCommand('0', 'a'), -1);
}

TEST(ScriptCommands, RelayTextsComeFromTheCurrentSettings) {
    Relays relays;
    EXPECT_EQ(Text(4, relays), "Relay 3 - Pump - On");
    EXPECT_EQ(Text(5, relays), "Relay 3 - Pump - Off");
    EXPECT_EQ(Text(0, relays), "Relay 1 -  - ");
    EXPECT_EQ(Text(10, relays), "Delay 1 Second");
    // Longest names and labels still fit the text buffer.
    relays.Set(5, std::string(31, 'n').c_str(), std::string(31, 'c').c_str(),
               std::string(31, 'o').c_str());
    EXPECT_EQ(Text(8, relays).size(), 75u);
}

TEST(ScriptCommands, EncodeFirstMatchAndIgnoreUnknownTexts) {
    Relays relays;
    EXPECT_EQ(Encode({"Relay 3 - Pump - Off", "Delay 1 Second", "Relay 3 - Pump - On"}, relays),
              "050A04");
    EXPECT_EQ(Encode({"Relay 1 -  - "}, relays), "00"); // both relay 1 entries read alike
    relays.Set(2, "Lamp", "Same", "Same");
    EXPECT_EQ(Encode({"Relay 2 - Lamp - Same"}, relays), "02");
    EXPECT_EQ(Encode({"Relay 9 - x - y", "", "delay 1 second"}, relays), "");
    char full[5] = "0A0A";
    EXPECT_FALSE(EncodeScriptCommand("Delay 1 Second", relays.r, full, sizeof full));
    EXPECT_STREQ(full, "0A0A");
}

TEST(ScriptCommands, WalkSkipsUnknownPairsAndTrailingCharacters) {
    Relays relays;
    EXPECT_TRUE(Decode("", relays).empty());
    EXPECT_EQ(Decode("0A0", relays), std::vector<std::string>{"Delay 1 Second"});
    EXPECT_TRUE(Decode("1A0a", relays).empty());
    EXPECT_EQ(Decode("000Z", relays),
              (std::vector<std::string>{"Relay 1 -  - ", "Delay 10 Hours"}));
    // Renaming changes the texts, not the codes.
    relays.Set(1, "Gate", "Shut", "Open");
    EXPECT_EQ(Decode("0001", relays),
              (std::vector<std::string>{"Relay 1 - Gate - Open", "Relay 1 - Gate - Shut"}));
}

// A fake clock and a recording output for the executor's schedule. Each
// command sent takes `send_ms` of the clock.
struct Recorder {
    std::vector<std::string> log;
    std::vector<std::pair<uint64_t, uint32_t>> sent; // (time, type)
    uint64_t now = 0;
    uint64_t send_ms = 0;
    size_t board_takes = SIZE_MAX; // commands the board takes before it is gone
    ScriptRunOutput Output() {
        return {[](void* c, const char* line) { static_cast<Recorder*>(c)->log.push_back(line); },
                [](void* c, uint32_t type) {
                    auto* r = static_cast<Recorder*>(c);
                    r->sent.push_back({r->now, type});
                    r->now += r->send_ms;
                    return r->sent.size() <= r->board_takes;
                },
                [](void* c) { return static_cast<Recorder*>(c)->now * 1000; }, this};
    }
};

TEST(ScriptRun, LogAndCommandsOfASmallScript) {
    Relays relays;
    Recorder rec;
    ScriptRun run;
    StartScriptRun(run, "7", "Morning", "000A01", rec.Output());
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, rec.Output()), 1000u);
    rec.now = 999;
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, rec.Output()), 1u);
    rec.now = 1003;
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, rec.Output()), 0u);
    EXPECT_TRUE(run.finished);
    const std::string sep(119, '-');
    EXPECT_EQ(rec.log, (std::vector<std::string>{"Executing Relay Script #7", sep, "Morning", sep,
                                                 "Relay 1 -  - ", "Delay 1 Second", "Relay 1 -  - ",
                                                 sep, "Relay Script Executed."}));
    EXPECT_EQ(rec.sent, (std::vector<std::pair<uint64_t, uint32_t>>{{0, 1}, {1003, 0}}));
}

// A command the board does not take ends the run at once, with a line that
// says so, both for a command after a delay and one finished from a delay.
TEST(ScriptRun, ACommandTheBoardDoesNotTakeStopsTheRun) {
    Relays relays;
    for (bool finishing : {false, true}) {
        Recorder rec;
        rec.board_takes = 1;
        ScriptRunOutput out = rec.Output();
        if (finishing) {
            out.wait_until = [](void* c, uint64_t deadline) {
                static_cast<Recorder*>(c)->now = deadline / 1000;
            };
            out.finish_ahead_ms = 40;
        }
        ScriptRun run;
        StartScriptRun(run, "9", "gone", "000A010A02", out);
        uint64_t wait = AdvanceScriptRun(run, relays.r, out);
        while (!run.finished) {
            rec.now += wait;
            wait = AdvanceScriptRun(run, relays.r, out);
        }
        EXPECT_EQ(rec.sent.size(), 2u) << finishing; // the failed one, then nothing more
        EXPECT_EQ(rec.log.back(), kScriptStoppedLine) << finishing;
        EXPECT_EQ(rec.log[rec.log.size() - 2], std::string(119, '-')) << finishing;
    }
}

TEST(ScriptRun, RelayCommandsBackToBackAndEmptyScripts) {
    Relays relays;
    Recorder rec;
    ScriptRun run;
    rec.now = 5;
    StartScriptRun(run, "1", "x", "00020406xx", rec.Output());
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, rec.Output()), 0u);
    EXPECT_EQ(rec.sent.size(), 4u);
    EXPECT_EQ(rec.log.size(),
              4u + 4u + 2u); // header, four commands, closing lines; "xx" writes nothing
    Recorder empty;
    StartScriptRun(run, "2", "y", "", empty.Output());
    AdvanceScriptRun(run, relays.r, empty.Output());
    EXPECT_EQ(empty.log.size(), 6u);
    EXPECT_TRUE(empty.sent.empty());
}

// Every delay is a full gap counted from the command before it, however
// long sending takes and however late the timer comes.
TEST(ScriptRun, EveryDelayIsAFullGapAndTenHoursIsTenHours) {
    Relays relays;
    Recorder rec;
    rec.send_ms = 30;
    ScriptRun run;
    std::string commands;
    for (int i = 0; i < 60; ++i)
        commands += "000A";
    StartScriptRun(run, "3", "z", commands.c_str(), rec.Output());
    uint64_t wait = AdvanceScriptRun(run, relays.r, rec.Output());
    while (!run.finished) {
        rec.now += wait + 7; // every timer tick comes 7 ms late
        wait = AdvanceScriptRun(run, relays.r, rec.Output());
    }
    ASSERT_EQ(rec.sent.size(), 60u);
    for (size_t i = 1; i < rec.sent.size(); ++i)
        EXPECT_EQ(rec.sent[i].first - rec.sent[i - 1].first, 30u + 1000u + 7u) << i;

    // Called within the finishing window, the run writes the next line at
    // once, waits out the delay and sends on time: the gap stays exact however
    // late the timer is within the window.
    Recorder exact;
    ScriptRunOutput out = exact.Output();
    out.wait_until = [](void* c, uint64_t deadline) {
        auto* r = static_cast<Recorder*>(c);
        r->log.push_back("(waited)");
        r->now = deadline / 1000;
    };
    out.finish_ahead_ms = 40;
    StartScriptRun(run, "5", "exact", "000A01", out);
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, out), 1000u);
    exact.now = 970;
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, out), 0u);
    EXPECT_EQ(exact.sent, (std::vector<std::pair<uint64_t, uint32_t>>{{0, 1}, {1000, 0}}));
    EXPECT_EQ(std::vector<std::string>(exact.log.end() - 5, exact.log.end() - 2),
              (std::vector<std::string>{"Delay 1 Second", "Relay 1 -  - ", "(waited)"}));

    Recorder slow;
    StartScriptRun(run, "4", "long", "0Z00", slow.Output());
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, slow.Output()), 36000000u);
    slow.now = 35999999;
    EXPECT_EQ(AdvanceScriptRun(run, relays.r, slow.Output()), 1u);
    EXPECT_TRUE(slow.sent.empty());
    slow.now = 36000000;
    AdvanceScriptRun(run, relays.r, slow.Output());
    EXPECT_EQ(slow.sent.size(), 1u);
    EXPECT_EQ(slow.log.back(), "Relay Script Executed.");
}

} // namespace

#include "db/statements.h"
#include "db/script_statements.h"

namespace {

TEST(ScriptStatements, TextsQuotesAndUnquotedIds) {
    char out[kLargeStatementBufferSize];
    ASSERT_TRUE(ComposeSelectScripts(out, sizeof out, "8001"));
    EXPECT_STREQ(out, "SELECT * FROM RelayScripts WHERE PID = '8001'");
    ASSERT_TRUE(ComposeInsertScript(out, sizeof out, "8001", "Morning", "Pump's on", "000A01"));
    EXPECT_STREQ(
        out, "INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES ('8001', 'Morning', "
             "'Pump''s on', '000A01');");
    ASSERT_TRUE(ComposeUpdateScript(out, sizeof out, "8001", "M", "N", "0A", "12"));
    EXPECT_STREQ(out, "UPDATE RelayScripts SET PID ='8001', NAME ='M', DESCRIPTION ='N', COMMANDS "
                      "='0A' WHERE ID=12;");
    ASSERT_TRUE(ComposeDeleteScript(out, sizeof out, "12"));
    EXPECT_STREQ(out, "DELETE FROM RelayScripts WHERE ID = 12");
    EXPECT_FALSE(ComposeDeleteScript(out, sizeof out, "1 OR 1=1"));
    EXPECT_FALSE(ComposeUpdateScript(out, sizeof out, "8001", "M", "N", "0A", ""));
}

} // namespace
