// The board box's buttons and the Add Device dialog against table Main.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "resources/resource_ids.h"

namespace {

std::vector<std::string> Column(const Rows& rows, size_t c) {
    std::vector<std::string> values;
    for (const auto& row : rows)
        values.push_back(row[c]);
    return values;
}

std::vector<std::string> ListEntries(HWND dialog) {
    std::vector<std::string> entries;
    HWND list = GetDlgItem(dialog, IDC_ADD_LIST);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

TEST_F(ProgramTest, LastDefaultFetchedWinsAndSetDefaultLeavesExactlyOne) {
    AddBoardRow("8001", "YES");
    AddBoardRow("8002", "YES");
    AddBoardRow("8003", "yes"); // not the default mark
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(Text(IDC_BOARD_BOX), "8002 - USB  SWITCHDECK");
    SendMessageA(Item(IDC_BOARD_BOX), CB_SETCURSEL, 2, 0);
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Column(db.Query("SELECT [DEFAULT] FROM Main ORDER BY PID"), 0),
              (std::vector<std::string>{"NO", "NO", "YES"}));
    EXPECT_EQ(Text(IDC_BOARD_BOX), "8003 - USB  SWITCHDECK");
}

TEST_F(ProgramTest, SetDefaultWithEmptyBoardBoxChangesNothing) {
    AddBoardRow("8001", "YES");
    ASSERT_NE(Start(), nullptr);
    SetWindowTextA(Item(IDC_BOARD_BOX), "");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(Column(db.Query("SELECT [DEFAULT] FROM Main"), 0), std::vector<std::string>{"YES"});
}

TEST_F(ProgramTest, DeleteDeviceAsksThenDeletesAndRefills) {
    AddBoardRow("8001", "YES");
    AddBoardRow("8002");
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(ConnectAndPoll());
    boxes.QueueButton(IDNO);
    Click(IDC_DELETE_DEVICE);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, "Are You Sure you want to Delete this Database Entry ? ");
    EXPECT_EQ(boxes.seen()[0].caption, "Delete Relay Board");
    EXPECT_EQ(g_session.connected, 0); // disconnected before asking
    EXPECT_EQ(db.Query("SELECT * FROM Main").size(), 2u);

    boxes.QueueButton(IDYES);
    Click(IDC_DELETE_DEVICE);
    EXPECT_EQ(Column(db.Query("SELECT PID FROM Main"), 0), std::vector<std::string>{"8002"});
    EXPECT_EQ(SendMessageA(Item(IDC_BOARD_BOX), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(IDC_BOARD_BOX), ""); // no default left

    SetWindowTextA(Item(IDC_BOARD_BOX), "");
    Click(IDC_DELETE_DEVICE); // empty box: nothing asked, nothing deleted
    EXPECT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(db.Query("SELECT * FROM Main").size(), 1u);
}

TEST_F(ProgramTest, DeletingTheLastBoardOpensFirstRunAddDevice) {
    AddBoardRow("8001", "YES");
    ASSERT_NE(Start(), nullptr);
    boxes.QueueButton(IDYES);
    boxes.Queue([](HWND dialog, const SeenBox&) {
        SendDlgItemMessageA(dialog, IDC_ADD_LIST, LB_SETCURSEL, 0, 0);
        PressButton(dialog, IDC_ADD_ADD);
    });
    Click(IDC_DELETE_DEVICE);
    ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].caption, "Add Device");
    const Rows rows = db.Query("SELECT PID, [DEFAULT] FROM Main");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "YES"); // first-run mode marks the default
}

TEST_F(ProgramTest, AddDeviceListsOnlyExactProductStringsInLibraryOrder) {
    AddBoardRow("8001", "YES");
    SimAddBoard(0, 0x8002, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    SimAddBoard(0, 0x8003, "SWITCHDECK 5s ", "Qvoxline", 0x0100, "0123");
    SimAddBoard(0, 0x8004, "switchdeck 5s", "Qvoxline", 0x0100, "0123");
    SimAddBoard(0, 0x80A5, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    ASSERT_NE(Start(), nullptr);
    std::vector<std::string> listed;
    boxes.Queue([&listed](HWND dialog, const SeenBox&) {
        listed = ListEntries(dialog);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    Click(IDC_ADD_DEVICE);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(listed, (std::vector<std::string>{"8001 - USB  SWITCHDECK", "8002 - USB  SWITCHDECK",
                                                "80A5 - USB  SWITCHDECK"}));
}

// Normal mode: a registered board is refused, a new one is added without
// touching the default mark; ADD with nothing selected is refused.
TEST_F(ProgramTest, AddDeviceNormalModeRefusesDuplicatesAndKeepsTheDefault) {
    AddBoardRow("8001", "YES");
    SimAddBoard(0, 0x8002, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(ConnectAndPoll());
    HWND add_dialog = nullptr;
    boxes.Queue([&add_dialog](HWND dialog, const SeenBox&) {
        add_dialog = dialog;
        PressButton(dialog, IDC_ADD_ADD); // nothing selected
    });
    boxes.Queue([&add_dialog](HWND box, const SeenBox&) {
        PressButton(box, IDOK);
        SendDlgItemMessageA(add_dialog, IDC_ADD_LIST, LB_SETCURSEL, 0, 0);
        PostMessageA(add_dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_ADD, BN_CLICKED), 0);
    });
    boxes.Queue([&add_dialog](HWND box, const SeenBox&) {
        PressButton(box, IDOK);
        SendDlgItemMessageA(add_dialog, IDC_ADD_LIST, LB_SETCURSEL, 1, 0);
        PostMessageA(add_dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_ADD, BN_CLICKED), 0);
    });
    Click(IDC_ADD_DEVICE);
    EXPECT_EQ(g_session.connected, 0);
    ASSERT_EQ(boxes.seen().size(), 3u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text, "No Device Selected!");
    EXPECT_EQ(boxes.seen()[1].caption, "Error");
    EXPECT_EQ(boxes.seen()[2].text, "Device Already In Database!");
    const Rows rows = db.Query("SELECT PID, [DEFAULT] FROM Main ORDER BY PID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], "8002");
    EXPECT_EQ(rows[1][1], "<null>");
    EXPECT_EQ(Text(IDC_BOARD_BOX), "8001 - USB  SWITCHDECK");
    EXPECT_TRUE(Enabled(IDC_CONNECT));
}

// A board id text with quotes reaches the statements intact: it selects
// exactly its own row and changes no other.
TEST_F(ProgramTest, QuotesInTheBoardTextChangeNoOtherRow) {
    AddBoardRow("8001", "YES");
    AddBoardRow("8'01");
    ASSERT_NE(Start(), nullptr);
    SetWindowTextA(Item(IDC_BOARD_BOX), "8'01 - USB  SWITCHDECK");
    Click(IDC_SET_DEFAULT);
    EXPECT_EQ(db.Query("SELECT PID FROM Main WHERE [DEFAULT]='YES'"), (Rows{{"8'01"}}));
    SetWindowTextA(Item(IDC_BOARD_BOX), "'OR'1'='1");
    boxes.QueueButton(IDYES);
    Click(IDC_DELETE_DEVICE);
    EXPECT_EQ(db.Query("SELECT * FROM Main").size(), 2u);
}

} // namespace
