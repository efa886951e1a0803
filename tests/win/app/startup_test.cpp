// Start-up: the installation record, the database, the driver, and what the
// window shows once it is up.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "db/access_driver.h"
#include "db/database.h"
#include "resources/resource_ids.h"

namespace {

bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

TEST_F(ProgramTest, MissingInstallationRecordEndsTheProgram) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
    EXPECT_EQ(Start(), nullptr);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].text, "Pogram not installed properly! Please run installer again.");
    EXPECT_EQ(boxes.seen()[0].caption, "Error");
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ProgramTest, MissingDatabaseEndsTheProgram) {
    db.Remove();
    EXPECT_EQ(Start(), nullptr);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].text, "Shazbot !  Database not found!");
    EXPECT_EQ(boxes.seen()[0].caption, "Database Error");
    EXPECT_TRUE(QuitPosted());
}

// Without the Access driver the connection fails; the window still comes up,
// with an empty board box and no Add Device dialog.
TEST_F(ProgramTest, UnregisteredDriverShowsBothMessagesAndKeepsTheWindow) {
    HWND w;
    {
        DriverRegistration none(nullptr);
        ASSERT_TRUE(none.ok());
        w = Start();
    }
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].text, "Connection attempt failed");
    EXPECT_EQ(boxes.seen()[0].caption, "  Pellam Board");
    EXPECT_EQ(boxes.seen()[1].text, "Statement handle allocation failed");
    EXPECT_EQ(Text(IDC_BOARD_BOX), "");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CONNECT)));
}

// Where only the Access Database Engine's driver is installed (a 64-bit
// Windows), the program connects under that driver's name: the empty table
// is read, and the first-run Add Device dialog opens.
TEST_F(ProgramTest, DriverUnderTheAccessDatabaseEnginesNameIsUsed) {
    boxes.Queue([](HWND dialog, const SeenBox&) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    HWND w;
    {
        DriverRegistration engine_only(kAccessDriverNames[1]);
        ASSERT_TRUE(engine_only.ok());
        w = Start();
    }
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].caption, "Add Device");
}

TEST_F(ProgramTest, EmptyTableOpensAddDeviceInFirstRunModeBeforeTheWindowShows) {
    // Add the only listed board from the dialog.
    boxes.Queue([](HWND dialog, const SeenBox&) {
        SendDlgItemMessageA(dialog, IDC_ADD_LIST, LB_SETCURSEL, 0, 0);
        PressButton(dialog, IDC_ADD_ADD);
    });
    ASSERT_NE(Start(), nullptr);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].caption, "Add Device");
    EXPECT_FALSE(boxes.seen()[0].owner_visible);
    const Rows rows = db.Query("SELECT PID, [DEFAULT], ADDED FROM Main");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "8001");
    EXPECT_EQ(rows[0][1], "YES");
    // The program writes when the board was added: the database has no defaults.
    char today[16] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "yyyy-MM-dd", today, sizeof today);
    EXPECT_EQ(rows[0][2].substr(0, 10), today);
    EXPECT_EQ(rows[0][2].size(), 19u) << rows[0][2];
    EXPECT_EQ(Text(IDC_BOARD_BOX), "8001 - USB  SWITCHDECK");
    EXPECT_TRUE(Enabled(IDC_CONNECT));
}

TEST_F(ProgramTest, ClosingFirstRunAddDeviceLeavesConnectDisabledAndTableEmpty) {
    boxes.Queue([](HWND dialog, const SeenBox&) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    ASSERT_NE(Start(), nullptr);
    EXPECT_FALSE(Enabled(IDC_CONNECT));
    EXPECT_TRUE(db.Query("SELECT * FROM Main").empty());
}

TEST_F(ProgramTest, WindowAfterStartUp) {
    AddBoardRow("8001");
    AddBoardRow("80A5", "YES");
    ASSERT_NE(Start(), nullptr);
    EXPECT_TRUE(boxes.seen().empty()) << boxes.Texts();
    EXPECT_EQ(WindowText(window), "Qvoxline Circuits Pellam Board");
    char cls[32];
    GetClassNameA(window, cls, sizeof cls);
    EXPECT_STREQ(cls, "DLGCLASS");
    EXPECT_EQ(Text(IDC_BOARD_BOX), "80A5 - USB  SWITCHDECK"); // the default board
    EXPECT_EQ(SendMessageA(Item(IDC_BOARD_BOX), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(IDC_BUILD_NUMBER), "0.6.7.7");
    EXPECT_EQ(StatusPart(g_main.status_bar, 0), "STATUS:");
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Not Connected");
    EXPECT_EQ(StatusPart(g_main.status_bar, 2), "MSG:   Click on connect");
    EXPECT_EQ(StatusPart(g_main.status_bar, 3), kAuthorCredit);
    for (int id : {IDC_DISCONNECT, IDC_RELAY_SCRIPTS, IDC_RELAY1_EDIT, IDC_RELAY1_EDIT + 4})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_CONNECT));
    EXPECT_EQ(PictureShown(IDC_RELAY1_PICTURE), Picture(IDB_RELAY_BLANK));
    EXPECT_EQ(PictureShown(IDC_READY_INDICATOR), Picture(IDB_NOT_READY));
    // The credit line turns every two seconds, back to the first after five.
    ASSERT_TRUE(PumpUntil(
        [] { return StatusPart(g_main.status_bar, 3) == "   Pellam Board Windows Client"; }, 3000));
    char year[8] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "yyyy", year, sizeof year);
    auto line = [](int counter) { return std::string(CreditLine(counter, g_main.maker_line)); };
    EXPECT_NE(line(2).find(year), std::string::npos) << line(2);
    for (int i = 2; i <= 5; ++i)
        ASSERT_TRUE(PumpUntil([&] { return StatusPart(g_main.status_bar, 3) == line(i); }, 2600))
            << i;
    ASSERT_TRUE(PumpUntil([&] { return StatusPart(g_main.status_bar, 3) == line(1); }, 2600));
}

TEST_F(ProgramTest, TextColoursOfNamesFramesAndLabels) {
    AddBoardRow("8001", "YES");
    ASSERT_NE(Start(), nullptr);
    struct {
        int id;
        COLORREF colour;
    } expected[] = {{IDC_RELAY1_NAME, RGB(0, 143, 0)},
                    {IDC_RELAY1_GROUP + 2, RGB(0, 0, 255)},
                    {IDC_RELAY1_LABEL + 4, RGB(255, 0, 0)}};
    for (const auto& e : expected) {
        HDC dc = GetDC(Item(e.id));
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(Item(e.id)));
        EXPECT_EQ(GetTextColor(dc), e.colour) << e.id;
        ReleaseDC(Item(e.id), dc);
    }
}

} // namespace
