#include "app/panel_logic.h"
#include "db/location.h"
#include "db/statements.h"
#include "dialogs/board_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Compose(bool (*compose)(char*, size_t, const char*), const char* pid) {
    char out[kStatementBufferSize];
    EXPECT_TRUE(compose(out, sizeof out, pid));
    return out;
}

TEST(Statements, CatalogueTextsForAPlainBoardId) {
    EXPECT_STREQ(kSelectAllBoards, "select * from Main;");
    EXPECT_STREQ(kClearDefaultMarks, "UPDATE Main SET [DEFAULT] ='NO';");
    EXPECT_EQ(Compose(ComposeSelectBoard, "8001"),
              "SELECT * FROM Main WHERE VID = '0000' AND PID = '8001';");
    char insert[kStatementBufferSize];
    ASSERT_TRUE(ComposeInsertBoard(insert, sizeof insert, "8001", {2024, 3, 7, 9, 5, 0}));
    EXPECT_STREQ(
        insert,
        "INSERT INTO Main (VID,PID,ADDED) VALUES ('0000','8001',{ts '2024-03-07 09:05:00'});");
    EXPECT_EQ(Compose(ComposeSetDefaultMark, "8001"),
              "UPDATE Main SET [DEFAULT] ='YES' WHERE VID = '0000' AND PID = '8001';");
    EXPECT_EQ(Compose(ComposeDeleteBoardRow, "8001"),
              "DELETE FROM Main WHERE VID = '0000' AND PID = '8001';");
    char out[kLargeStatementBufferSize];
    ASSERT_TRUE(
        ComposeUpdateRelaySettings(out, sizeof out, 2, {"", "Pump", "Off", "On", false}, "8001"));
    EXPECT_STREQ(
        out,
        "UPDATE Main SET RELAY2NOTES ='', RELAY2NAME ='Pump', RELAY2NC = 'Off', RELAY2NO='On', "
        "RELAY2CONF='NO' WHERE VID='0000' AND PID='8001';");
    ASSERT_TRUE(ComposeUpdateRelaySettings(out, sizeof out, 5, {"n", "a", "b", "c", true}, "80A5"));
    EXPECT_STREQ(out,
                 "UPDATE Main SET RELAY5NOTES ='n', RELAY5NAME ='a', RELAY5NC = 'b', RELAY5NO='c', "
                 "RELAY5CONF='YES' WHERE VID='0000' AND PID='80A5';");
    EXPECT_FALSE(ComposeUpdateRelaySettings(out, sizeof out, 6, {"", "", "", "", false}, "8001"));
}

TEST(Statements, QuotesInValuesAreDoubledAndOverflowIsRefused) {
    EXPECT_EQ(Compose(ComposeDeleteBoardRow, "'OR'"),
              "DELETE FROM Main WHERE VID = '0000' AND PID = '''OR''';");
    char out[kLargeStatementBufferSize];
    ASSERT_TRUE(
        ComposeUpdateRelaySettings(out, sizeof out, 1, {"it's", "a'b", "", "", false}, "8001"));
    EXPECT_NE(std::strstr(out, "RELAY1NOTES ='it''s', RELAY1NAME ='a''b'"), nullptr) << out;
    char small[40];
    std::memset(small, 'Z', sizeof small);
    EXPECT_FALSE(ComposeSelectBoard(small, sizeof small, "8001"));
    EXPECT_STREQ(small, "");
    // A value of only quotes still fits exactly or is refused, never cut mid-pair.
    const std::string quotes(3000, '\'');
    EXPECT_TRUE(ComposeUpdateRelaySettings(out, sizeof out, 1, {quotes.c_str(), "", "", "", false},
                                           "8001"));
    const std::string more(4000, '\'');
    EXPECT_FALSE(
        ComposeUpdateRelaySettings(out, sizeof out, 1, {more.c_str(), "", "", "", false}, "8001"));
}

TEST(DatabaseLocation, LastThreeCharactersBecomeMdb) {
    char a[] = "D:\\X\\Pellam.exe", b[] = "D:\\X\\Pellam.EXE", c[] = "D:\\X\\Pellam.ex", d[] = "ab";
    EXPECT_TRUE(DatabasePathFromInstallRecord(a));
    EXPECT_STREQ(a, "D:\\X\\Pellam.MDB");
    EXPECT_TRUE(DatabasePathFromInstallRecord(b));
    EXPECT_STREQ(b, "D:\\X\\Pellam.MDB");
    EXPECT_TRUE(DatabasePathFromInstallRecord(c));
    EXPECT_STREQ(c, "D:\\X\\PellamMDB");
    EXPECT_FALSE(DatabasePathFromInstallRecord(d));
    EXPECT_STREQ(d, "ab");
}

TEST(PanelLogic, StatusBlockExample) {
    const uint8_t block[12] = {0x00, 0x01, 0x00, 0x00, 0x05, 0x01, 0x21, '0', '1', '2', '3', 0};
    const StatusView v = ReadStatusBlock(block);
    EXPECT_TRUE(v.ready);
    const bool at_nc[5] = {true, false, true, true, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v.relay_at_nc[i], at_nc[i]) << i;
    EXPECT_EQ(v.led_mask, 0x21);
    EXPECT_STREQ(v.firmware, "0123");
}

// Each relay's state byte is read from its own place: one relay at a time
// at NO, with a distinct value, over a view pre-filled the other way.
TEST(PanelLogic, EveryRelayReadsItsOwnStatusByte) {
    for (int relay = 0; relay < 5; ++relay) {
        uint8_t block[12] = {0, 0, 0, 0, 0, 0x01, 0x1F, 'a', 'b', 'c', 'd', 0};
        block[relay] = static_cast<uint8_t>(0x11 * (relay + 1));
        const StatusView v = ReadStatusBlock(block);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(v.relay_at_nc[i], i != relay) << "relay " << relay + 1 << " byte " << i;
        EXPECT_EQ(v.led_mask, 0x1F);
        EXPECT_STREQ(v.firmware, "abcd");
    }
}

TEST(PanelLogic, ClickCommandsAndBoardSelection) {
    for (int relay = 1; relay <= 5; ++relay) {
        EXPECT_EQ(RelayClickCommand(relay, true), static_cast<uint32_t>(2 * (relay - 1) + 1));
        EXPECT_EQ(RelayClickCommand(relay, false), static_cast<uint32_t>(2 * (relay - 1)));
    }
    char id_text[5];
    uint32_t id = 7;
    EXPECT_TRUE(ParseBoardSelection("80a5 - anything", id_text, &id));
    EXPECT_STREQ(id_text, "80a5");
    EXPECT_EQ(id, 0x80A5u);
    EXPECT_TRUE(ParseBoardSelection("12", id_text, &id));
    EXPECT_STREQ(id_text, "12");
    EXPECT_EQ(id, 0x12u);
    EXPECT_FALSE(ParseBoardSelection("", id_text, &id));
    char entry[32];
    BoardEntryText("8001", entry, sizeof entry);
    EXPECT_STREQ(entry, "8001 - USB  SWITCHDECK");
}

TEST(PanelLogic, ProgressRunsFromOneToTwentyAsterisks) {
    char text[64];
    int p = 0;
    ProgressText(p, text, sizeof text);
    EXPECT_STREQ(text, " MSG: Data Polling *");
    for (int i = 0; i < 19; ++i)
        p = NextProgress(p);
    ProgressText(p, text, sizeof text);
    EXPECT_EQ(std::string(text), " MSG: Data Polling " + std::string(20, '*'));
    EXPECT_EQ(NextProgress(p), 0);
}

TEST(PanelLogic, CreditLinesCycleAndCarryTheYear) {
    char maker[kMakerLineSize];
    MakerLine("2026", maker);
    int counter = 0;
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i) {
        counter = NextCreditCounter(counter);
        lines.push_back(CreditLine(counter, maker));
    }
    EXPECT_EQ(lines[0], "   Pellam Board Windows Client");
    EXPECT_EQ(lines[4], "   Remote control made easy!");
    EXPECT_EQ(lines[5], lines[0]);
    for (const std::string& line : lines)
        EXPECT_EQ(line.substr(0, 3), "   ");
    const size_t length = std::strlen(CreditLine(2, maker));
    MakerLine("2031", maker);
    EXPECT_NE(std::string(CreditLine(2, maker)).find("- 2031 "), std::string::npos)
        << CreditLine(2, maker);
    EXPECT_EQ(std::strlen(CreditLine(2, maker)), length);
}

TEST(BoardList, EntriesInOrderTrailingTextIgnoredLongEntriesCut) {
    std::vector<std::string> entries;
    auto collect = [&entries](const char* e) { entries.push_back(e); };
    ForEachBoardEntry("8001|80A5|12", 128, collect);
    EXPECT_EQ(entries, (std::vector<std::string>{"8001", "80A5"}));
    entries.clear();
    ForEachBoardEntry("", 128, collect);
    EXPECT_TRUE(entries.empty());
    ForEachBoardEntry("|123456789|", 5, collect);
    EXPECT_EQ(entries, (std::vector<std::string>{"", "1234"}));
}

} // namespace

#include "dialogs/text_filter.h"

namespace {

TEST(TextFilter, AcceptedAndRefusedCharacters) {
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                              (c >= 'a' && c <= 'z') || c == ' ' || c == '!' || c == '&' ||
                              c == '(' || c == ')' || c == '-' || c == '.' || c == '?' || c == 13 ||
                              c == 8;
        EXPECT_EQ(IsAcceptedCharacter(static_cast<unsigned char>(c)), expected) << c;
    }
}

// What an edit put into a field is filtered; what the field held already
// (a stored value with a quote, say) is kept, and so are line breaks.
TEST(TextFilter, EditsLoseRefusedCharactersOfWhatTheyInsertedOnly) {
    struct Case {
        const char* before;
        const char* after;
        bool multiline;
        const char* text;
        size_t caret, dropped;
    } cases[] = {
        {"ab", "a'x,y%b", false, "axyb", 3, 3},            // a paste in the middle
        {"O'Brien", "O'Brien's", false, "O'Briens", 8, 1}, // the stored quote stays
        {"", "it's", false, "its", 3, 1},                  // into an empty field
        {"ab", "ab", false, "ab", 2, 0},                   // nothing new
        {"a\r\nb", "a\r\nx\ty\r\nb", true, "a\r\nxy\r\nb", 7, 1},
        {"ab", "a\r\nb", true, "a\r\nb", 3, 0}, // Enter in a multi-line field
        {"abc", "ac", false, "ac", 1, 0},       // a deletion
    };
    for (const Case& c : cases) {
        const FilteredEdit kept = FilterEdit(c.before, c.after, c.multiline);
        EXPECT_EQ(kept.text, c.text) << c.after;
        EXPECT_EQ(kept.caret, c.caret) << c.after;
        EXPECT_EQ(kept.dropped, c.dropped) << c.after;
    }
}

TEST(TextFilter, PastedTextKeepsOnlyAcceptedCharacters) {
    char out[64];
    EXPECT_EQ(FilterPastedText("it's 50%, ok\t\xE9!", out, sizeof out, false), 5u);
    EXPECT_STREQ(out, "its 50 ok!");
    // Line breaks stay as CR LF pairs in a multi-line field only.
    EXPECT_EQ(FilterPastedText("a\r\nb\nc\rd", out, sizeof out, true), 2u);
    EXPECT_STREQ(out, "a\r\nbcd");
    EXPECT_EQ(FilterPastedText("a\r\nb", out, sizeof out, false), 2u);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(FilterPastedText("abcdef", out, 4, false), 0u);
    EXPECT_STREQ(out, "abc");
}

} // namespace
