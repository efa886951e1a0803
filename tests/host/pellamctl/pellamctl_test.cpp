// pellamctl's plain parts: the command line, finding relays and scripts by
// what was typed, and the text and JSON it prints.
#include "pellamctl/command_line.h"
#include "pellamctl/ctl_output.h"
#include "pellamctl/json_text.h"
#include "pellamctl/name_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

ParsedCommandLine Parse(std::vector<const char*> words) {
    words.insert(words.begin(), "pellamctl");
    return ParseCommandLine(static_cast<int>(words.size()), words.data());
}

TEST(PellamctlCommandLine, AcceptsEveryCommandWithOptionsAnywhere) {
    ParsedCommandLine p = Parse({"set", "80a5", "Pump", "NO", "--json", "--db", "C:\\x.MDB"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.request.command, CtlCommand::kSet);
    EXPECT_EQ(p.request.board_id, 0x80A5u);
    EXPECT_STREQ(p.request.board_id_text, "80A5");
    EXPECT_EQ(p.request.relay, "Pump");
    EXPECT_EQ(p.request.action, RelayAction::kToNo);
    EXPECT_TRUE(p.request.json);
    EXPECT_EQ(p.request.db_path, "C:\\x.MDB");

    p = Parse({"--db=D:\\p.MDB", "leds", "0x8001", "0x21"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.request.led_mask, 0x21);
    EXPECT_EQ(p.request.db_path, "D:\\p.MDB");
    p = Parse({"leds", "FFFF", "63"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.request.led_mask, 63);
    p = Parse({"pulse", "8001", "2", "36000000"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.request.pulse_ms, 36000000u);
    p = Parse({"run", "8001", "--", "--odd name"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.request.script, "--odd name");
    p = Parse({"status", "8001", "--version", "--help"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.request.command, CtlCommand::kHelp);
    EXPECT_EQ(Parse({"bogus", "--version"}).request.command, CtlCommand::kVersion);
    EXPECT_EQ(Parse({"/?"}).request.command, CtlCommand::kHelp);
    for (auto words : std::vector<std::vector<const char*>>{
             {"list"}, {"status", "8000"}, {"scripts", "8001"}, {"set", "8001", "5", "toggle"}})
        EXPECT_TRUE(Parse(words).ok) << words[0];
}

TEST(PellamctlCommandLine, RefusesWithOneLineThatSaysWhat) {
    const struct {
        std::vector<const char*> words;
        const char* says;
    } cases[] = {
        {{}, "no command given"},
        {{"reboot", "8001"}, "unknown command \"reboot\""},
        {{"list", "--yes"}, "unknown option \"--yes\""},
        {{"status"}, "status takes 1 argument (usage: pellamctl status ID)"},
        {{"list", "8001"}, "list takes 0 arguments"},
        {{"status", "7FFF"}, "\"7FFF\" is not a board id"},
        {{"status", "18001"}, "is not a board id"},
        {{"status", "80G1"}, "is not a board id"},
        {{"set", "8001", "1", "on"}, "\"on\" is not nc, no or toggle"},
        {{"set", "8001", "", "no"}, "the relay is empty"},
        {{"leds", "8001", "64"}, "\"64\" is not an LED mask"},
        {{"leds", "8001", "0x40"}, "is not an LED mask"},
        {{"leds", "8001", "0x"}, "is not an LED mask"},
        {{"pulse", "8001", "1", "0"}, "\"0\" is not a number of milliseconds"},
        {{"pulse", "8001", "1", "36000001"}, "is not a number of milliseconds"},
        {{"pulse", "8001", "1", "0x10"}, "is not a number of milliseconds"},
        {{"run", "8001", ""}, "the script is empty"},
        {{"scripts", "8001", "--db"}, "--db needs a PATH"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine p = Parse(c.words);
        EXPECT_FALSE(p.ok) << c.says;
        EXPECT_NE(p.error.find(c.says), std::string::npos) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

RelaySettings Named(const char* name) {
    RelaySettings r{};
    std::strcpy(r.name, name);
    return r;
}

TEST(PellamctlNames, RelaysByNumberOrNameExactBeforeCase) {
    const RelaySettings relays[5] = {Named("Pump"), Named("pump"), Named("Fan"), Named(""),
                                     Named("Fan")};
    const struct {
        const char* typed;
        int relay;
        const char* says;
    } cases[] = {
        {"4", 4, ""},    // a number, even for a relay without a name
        {"Pump", 1, ""}, // exact wins over the other relay's case-blind match
        {"pump", 2, ""}, //
        {"PUMP", 0, "ambiguous on board 8001: relays 1 and 2"},
        {"Fan", 0, "relays 3 and 5; give the relay's number"},
        // A number is a relay number, never a name, even out of range.
        {"05", 5, ""},
        {"+2", 2, ""},
        {"6", 0, "relay 6 is out of range: relays are numbered 1 to 5"},
        {"0", 0, "relay 0 is out of range"},
        {"-1", 0, "relay -1 is out of range"},
        {"99999999999999999999", 0, "is out of range"},
        {"Heater", 0,
         "no relay of board 8001 is named \"Heater\" (relays 1 \"Pump\", 2 \"pump\", 3 "
         "\"Fan\" and 5 \"Fan\")"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(FindRelay(relays, c.typed, "8001", &error), c.relay) << c.typed;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.typed << ": " << error;
    }
    const RelaySettings unnamed[5] = {};
    std::string error;
    EXPECT_EQ(FindRelay(unnamed, "", "8001", &error), 0);
    EXPECT_NE(error.find("its relays have no names"), std::string::npos) << error;
}

ScriptRow Script(const char* id, const char* name, const char* commands = "00") {
    ScriptRow s{};
    std::strcpy(s.id, id);
    std::strcpy(s.name, name);
    std::strcpy(s.commands, commands);
    return s;
}

TEST(PellamctlNames, ScriptsByIdFirstThenName) {
    const std::vector<ScriptRow> scripts = {Script("3", "Morning"), Script("7", "12"),
                                            Script("12", "morning"), Script("15", "Twice"),
                                            Script("16", "Twice")};
    const struct {
        const char* typed;
        int index;
        const char* says;
    } cases[] = {
        {"12", 2, ""},  // the ID, although script 7 is named "12"
        {"007", 1, ""}, // an ID with leading zeros
        {"Morning", 0, ""},
        {"MORNING", -1, "ambiguous on board 8001: IDs 3 and 12; run it by its ID"},
        {"Twice", -1, "IDs 15 and 16"},
        {"99", -1, "board 8001 has no script with the name or ID \"99\""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(FindScript(scripts, c.typed, "8001", &error), c.index) << c.typed;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.typed << ": " << error;
    }
}

TEST(PellamctlJson, StringsAreAsciiWithEscapes) {
    EXPECT_EQ(JsonString("Pump's \"big\" one\\"), "\"Pump's \\\"big\\\" one\\\\\"");
    EXPECT_EQ(JsonString("a\r\nb\tc\x01"), "\"a\\r\\nb\\tc\\u0001\"");
    EXPECT_EQ(JsonString("Caf\xe9 \x7f"), "\"Caf\\u00e9 \\u007f\""); // Latin-1 on the host
    EXPECT_EQ(JsonString(u"\u20ac"), "\"\\u20ac\"");
    JsonWriter w;
    w.BeginObject().Key("a").BeginArray().Number(1).Bool(false).BeginObject().EndObject();
    w.EndArray().Key("b").String("").EndObject();
    EXPECT_EQ(w.text(), "{\"a\":[1,false,{}],\"b\":\"\"}");
}

// The library's board list and status block, read; the status as JSON.
TEST(PellamctlOutput, BoardListAndStatusBlock) {
    EXPECT_EQ(ParseBoardList("8001|80a5|12|XYZW|FFFF|"),
              (std::vector<uint32_t>{0x8001, 0x80A5, 0xFFFF}));
    const uint8_t block[12] = {0, 1, 0, 0, 5, 1, 0x21, '0', '1', '2', '3', 0};
    EXPECT_EQ(FormatStatus("8001", ReadBoardStatus(block), true),
              "{\"board\":\"8001\",\"ready\":true,\"relays\":[\"NC\",\"NO\",\"NC\",\"NC\",\"NO\"],"
              "\"led_mask\":33,\"firmware\":\"0123\"}\n");
    EXPECT_EQ(FormatBoards({}, true), "{\"boards\":[]}\n");
}

TEST(PellamctlOutput, ScriptsWithStepsFromTheCurrentNamesAndRunLines) {
    RelaySettings relays[5] = {};
    std::strcpy(relays[0].name, "Pump");
    std::strcpy(relays[0].nc_label, "Off");
    std::strcpy(relays[0].no_label, "On");
    ScriptRow s = Script("7", "Morning", "000Axx0M01");
    std::strcpy(s.description, "note");
    EXPECT_EQ(FormatScripts("8001", {s}, relays, false), "7  Morning  4 commands, 0:01:01  note\n");
    EXPECT_EQ(FormatScripts("8001", {s}, relays, true),
              "{\"board\":\"8001\",\"scripts\":[{\"id\":7,\"name\":\"Morning\",\"description\":"
              "\"note\",\"commands\":\"000Axx0M01\",\"steps\":[\"Relay 1 - Pump - On\",\"Delay 1 "
              "Second\",\"Delay 1 Minute\",\"Relay 1 - Pump - Off\"],\"delay_ms\":61000}]}\n");
    EXPECT_EQ(FormatScripts("8001", {Script("1", "One", "0Z")}, relays, false),
              "1  One  1 command, 10:00:00  \n");
    EXPECT_EQ(FormatRunLine("Delay 1 Second", 12, false), "Delay 1 Second\n");
    EXPECT_EQ(FormatRunLine("Delay 1 Second", 12, true),
              "{\"ms\":12,\"line\":\"Delay 1 Second\"}\n");
    EXPECT_EQ(FormatRunResult("stopped", 1500), "{\"ms\":1500,\"result\":\"stopped\"}\n");
}

} // namespace
