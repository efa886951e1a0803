// The stores on a test installation's database, through the program's own
// connection: every statement of tables Main and RelayScripts, NULL columns
// and texts at and beyond their read widths. Column lengths and indicators
// are exchanged with the driver here, so this is where a build whose ODBC
// types differ in width (32-bit SQLLEN) would go wrong.
#include "db/board_store.h"
#include "db/database.h"
#include "db/script_store.h"
#include "tests/win/app/test_install.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

class StoresTest : public ::testing::Test {
  protected:
    InstallRecordGuard install_record; // put back after the test copy
    void SetUp() override {
        folder = InstallTestCopy();
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(LocateDatabase(), LocateResult::kFound);
        ASSERT_EQ(OpenDatabase(), OpenResult::kOpen);
    }
    void TearDown() override {
        CloseDatabase();
        RemoveTestCopy(folder);
    }
    std::string folder;
};

const Timestamp kAdded{2024, 5, 6, 7, 8, 9};

// The row's 30 texts, in column order.
std::vector<std::string> Texts(const BoardRecord& row) {
    std::vector<std::string> texts(std::begin(row.header), std::end(row.header));
    for (const RelaySettings& relay : row.relays)
        texts.insert(texts.end(),
                     {relay.notes, relay.name, relay.nc_label, relay.no_label, relay.confirm});
    return texts;
}

#define EXPECT_DONE(result)                                                                        \
    do {                                                                                           \
        const DbResult r_ = (result);                                                              \
        EXPECT_TRUE(r_.ok) << r_.failure << " in " << r_.statement;                                \
    } while (0)

TEST_F(StoresTest, EveryStatementOnTableMain) {
    EXPECT_DONE(InsertBoardRow("8001", kAdded, true));
    EXPECT_DONE(InsertBoardRow("8002", kAdded, false));
    std::vector<BoardListEntry> boards;
    EXPECT_DONE(ListBoards(&boards));
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_STREQ(boards[0].pid, "8001");
    EXPECT_STREQ(boards[0].is_default, "YES");
    EXPECT_STREQ(boards[1].is_default, ""); // NULL reads as empty

    EXPECT_DONE(MakeDefaultBoard("8002"));
    EXPECT_EQ(QueryTestCopy(folder, "SELECT PID, [DEFAULT] FROM Main ORDER BY PID"),
              (Rows{{"8001", "NO"}, {"8002", "YES"}}));

    const RelaySettingsText pump{"Main water pump", "Pump's", "Stopped", "Running", true};
    EXPECT_DONE(UpdateRelaySettings("8002", 3, pump));
    BoardRecord loaded, polled;
    std::memset(&loaded, 0x5A, sizeof loaded); // every field must be written
    EXPECT_DONE(LoadBoardRow("8002", &loaded));
    BoardRowReader reader;
    EXPECT_DONE(reader.Load("8002", &polled));
    EXPECT_EQ(Texts(loaded), Texts(polled));
    EXPECT_STREQ(loaded.header[1], "0000");
    EXPECT_STREQ(loaded.header[2], "8002");
    EXPECT_STREQ(loaded.header[3], "2024-05-06 07:08:09");
    EXPECT_STREQ(loaded.relays[2].notes, "Main water pump");
    EXPECT_STREQ(loaded.relays[2].name, "Pump's");
    EXPECT_STREQ(loaded.relays[2].no_label, "Running");
    EXPECT_STREQ(loaded.relays[2].confirm, "YES");
    EXPECT_STREQ(loaded.relays[0].name, "");

    bool found = false;
    EXPECT_DONE(FindBoardRow("8001", &found));
    EXPECT_TRUE(found);
    EXPECT_DONE(DeleteBoardRow("8001"));
    EXPECT_DONE(FindBoardRow("8001", &found));
    EXPECT_FALSE(found);
    const DbResult again = DeleteBoardRow("8001");
    EXPECT_FALSE(again.ok);
    EXPECT_STREQ(again.failure, kNoRowText);
}

// A prepared read again and again, as the poll does: a column that turns
// NULL between two reads reads as empty, never as the value before it.
TEST_F(StoresTest, NullColumnBetweenPreparedReads) {
    EXPECT_DONE(InsertBoardRow("8001", kAdded, false));
    EXPECT_DONE(UpdateRelaySettings("8001", 1, {"note", "Pump", "Off", "On", false}));
    BoardRowReader reader;
    BoardRecord row;
    EXPECT_DONE(reader.Load("8001", &row));
    EXPECT_STREQ(row.relays[0].name, "Pump");
    ASSERT_TRUE(ExecOnTestCopy(folder, "UPDATE Main SET RELAY1NAME = NULL, RELAY1NOTES = NULL"));
    EXPECT_DONE(reader.Load("8001", &row));
    EXPECT_STREQ(row.relays[0].name, "");
    EXPECT_STREQ(row.relays[0].notes, "");
    EXPECT_STREQ(row.relays[0].nc_label, "Off");
}

// Notes are read into 512 bytes: up to 511 characters come back whole (past
// Jet's 255 for a plain text column), longer ones cut there, never beyond.
TEST_F(StoresTest, LongNotesComeBackWholeOrCutAtTheReadWidth) {
    EXPECT_DONE(InsertBoardRow("8001", kAdded, false));
    for (size_t length : {255u, 256u, 511u, 512u, 2000u}) {
        std::string note;
        for (size_t i = 0; i < length; ++i)
            note += static_cast<char>('a' + i % 26);
        EXPECT_DONE(UpdateRelaySettings("8001", 5, {note.c_str(), "n", "c", "o", false}));
        BoardRecord row;
        EXPECT_DONE(LoadBoardRow("8001", &row));
        EXPECT_EQ(std::string(row.relays[4].notes), note.substr(0, 511)) << length;
        EXPECT_STREQ(row.relays[4].name, "n") << length; // the next column is intact
    }
}

TEST_F(StoresTest, EveryStatementOnTableRelayScripts) {
    const std::string long_note(127, 'd');
    std::string commands;
    for (int i = 0; i < 256; ++i)
        commands += "0A";
    EXPECT_DONE(InsertScript("8001", "Pump's run", long_note.c_str(), commands.c_str()));
    EXPECT_DONE(InsertScript("8001", "Second", "", "01"));
    EXPECT_DONE(InsertScript("8002", "Other", "x", "02"));
    std::vector<ScriptRow> scripts;
    EXPECT_DONE(ListScripts("8001", &scripts));
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_STREQ(scripts[0].id, "1");
    EXPECT_STREQ(scripts[0].name, "Pump's run");
    EXPECT_EQ(scripts[0].description, long_note);
    EXPECT_EQ(scripts[0].commands, commands);
    EXPECT_STREQ(scripts[1].description, "");

    EXPECT_DONE(UpdateScript("8002", "Moved", "now 8002", "0203", "2"));
    EXPECT_DONE(DeleteScript("1"));
    scripts.clear();
    EXPECT_DONE(ListScripts("8002", &scripts));
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_STREQ(scripts[0].id, "2");
    EXPECT_STREQ(scripts[0].name, "Moved");
    EXPECT_STREQ(scripts[0].description, "now 8002");
    EXPECT_STREQ(scripts[0].commands, "0203");
    scripts.clear();
    EXPECT_DONE(ListScripts("8001", &scripts));
    EXPECT_TRUE(scripts.empty());
    const DbResult refused = DeleteScript("1 OR 1=1");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.failed_at, DbStage::kCompose);
}

} // namespace
