// Connecting to the test board: polling, what the window shows, losing
// the board, and the relay pictures as switches.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cstring>

namespace {

class ConnectedTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_TRUE(
            db.Exec("UPDATE Main SET RELAY1NAME='Pump', RELAY1NC='Off', RELAY1NO='On', "
                    "RELAY2NAME='Lamp', RELAY2NC='Dark', RELAY2NO='Lit', RELAY3NAME='Fan', "
                    "RELAY3NC='Still', RELAY3NO='Spin', RELAY4NAME='Bell', RELAY4NC='Quiet', "
                    "RELAY4NO='Ring', RELAY5NAME='Door', RELAY5NC='Shut', RELAY5NO='Open'"));
        ASSERT_NE(Start(), nullptr);
    }
    void ClickPicture(int relay) {
        HWND picture = Item(IDC_RELAY1_PICTURE + relay - 1);
        SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
};

TEST_F(ConnectedTest, ConnectPollsAndShowsTheBoard) {
    board.SetRelay(2, true);
    board.SetRelay(5, true);
    board.SetLedMask(0x21);
    Click(IDC_CONNECT);
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Connected");
    EXPECT_EQ(StatusPart(g_main.status_bar, 2), " MSG: Data Polling Started");
    EXPECT_FALSE(Enabled(IDC_CONNECT));
    EXPECT_TRUE(Enabled(IDC_DISCONNECT));
    EXPECT_TRUE(Enabled(IDC_RELAY1_EDIT + 3));
    EXPECT_FALSE(Enabled(IDC_RELAY_SCRIPTS)); // until a poll reports ready
    ASSERT_TRUE(PumpUntil([] { return g_session.board_ready == 1; }, 2000));
    EXPECT_TRUE(Enabled(IDC_RELAY_SCRIPTS));
    const int expected_image[5] = {IDB_RELAY_NC, IDB_RELAY_NO, IDB_RELAY_NC, IDB_RELAY_NC,
                                   IDB_RELAY_NO};
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(PictureShown(IDC_RELAY1_PICTURE + n), Picture(expected_image[n]))
            << "relay " << n + 1;
    EXPECT_EQ(PictureShown(IDC_READY_INDICATOR), Picture(IDB_READY));
    const char* names[5] = {"Pump", "Lamp", "Fan", "Bell", "Door"};
    const char* labels[5] = {"Off", "Lit", "Still", "Quiet", "Open"};
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(Text(IDC_RELAY1_NAME + n), names[n]);
        EXPECT_EQ(Text(IDC_RELAY1_LABEL + n), labels[n]);
    }
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "0123");
    EXPECT_EQ(g_session.led_mask, 0x21);
    ASSERT_TRUE(
        PumpUntil([] { return StatusPart(g_main.status_bar, 2) == " MSG: Data Polling *"; }, 1600));
    ASSERT_TRUE(PumpUntil(
        [] { return StatusPart(g_main.status_bar, 2) == " MSG: Data Polling **"; }, 1600));
}

TEST_F(ConnectedTest, NotReadyBlanksPicturesAndKeepsLabels) {
    ASSERT_TRUE(ConnectAndPoll());
    board.SetReady(false);
    board.SetFirmware("9999");
    ASSERT_TRUE(PumpUntil([] { return g_session.board_ready == 0; }, 1000));
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(PictureShown(IDC_RELAY1_PICTURE + n), Picture(IDB_RELAY_BLANK));
    EXPECT_EQ(PictureShown(IDC_READY_INDICATOR), Picture(IDB_NOT_READY));
    EXPECT_FALSE(Enabled(IDC_RELAY_SCRIPTS));
    EXPECT_EQ(Text(IDC_RELAY1_LABEL), "Off");
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "0123");
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Connected");
    // Clicks do nothing while not ready.
    const uint32_t before = CommandsReceived();
    ClickPicture(1);
    PumpFor(250);
    EXPECT_TRUE(CommandsSince(before).empty());
}

TEST_F(ConnectedTest, UnpluggedOrSilentBoardDisconnectsWithinOnePeriod) {
    ASSERT_TRUE(ConnectAndPoll());
    board.SetPlugged(false);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PumpUntil([] { return g_session.connected == 0; }, 1000));
    EXPECT_LT(GetTickCount() - start, 400u);
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Not Connected");
    EXPECT_EQ(StatusPart(g_main.status_bar, 2), "MSG:   Click on connect");
    EXPECT_EQ(PictureShown(IDC_RELAY1_PICTURE), Picture(IDB_RELAY_BLANK));
    EXPECT_EQ(Text(IDC_RELAY1_NAME), "");
    EXPECT_EQ(Text(IDC_FIRMWARE_VERSION), "");
    EXPECT_TRUE(Enabled(IDC_CONNECT));
    EXPECT_FALSE(boxes.seen().size()) << boxes.Texts();

    board.SetPlugged(true);
    board.SetSilent(true);
    Click(IDC_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return g_session.connected == 0; }, 2000));
}

TEST_F(ConnectedTest, OpeningTheBoardListDisconnects) {
    ASSERT_TRUE(ConnectAndPoll());
    SendMessageA(Item(IDC_BOARD_BOX), CB_SHOWDROPDOWN, TRUE, 0);
    PumpFor(50);
    EXPECT_EQ(g_session.connected, 0);
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Not Connected");
    SendMessageA(Item(IDC_BOARD_BOX), CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(ConnectedTest, EmptyBoardBoxStaysDisconnected) {
    SetWindowTextA(Item(IDC_BOARD_BOX), "");
    Click(IDC_CONNECT);
    PumpFor(300);
    EXPECT_EQ(g_session.connected, 0);
    EXPECT_TRUE(Enabled(IDC_CONNECT));
    EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Not Connected");
}

TEST_F(ConnectedTest, TypedBoardTextTakesItsFirstFourCharacters) {
    SetWindowTextA(Item(IDC_BOARD_BOX), "80a5 - anything");
    Click(IDC_CONNECT);
    EXPECT_STREQ(g_session.board_id_text, "80a5");
    EXPECT_EQ(g_session.board_id, 0x80A5u);
    // No such board: the first poll disconnects silently.
    ASSERT_TRUE(PumpUntil([] { return g_session.connected == 0; }, 1000));
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(ConnectedTest, ClickSwitchesTheRelayAndTheNextPollShowsIt) {
    ASSERT_TRUE(ConnectAndPoll());
    // Relay 5, the last of the status bytes, both ways.
    ClickPicture(5);
    ASSERT_TRUE(PumpUntil(
        [this] { return PictureShown(IDC_RELAY1_PICTURE + 4) == Picture(IDB_RELAY_NO); }, 1000));
    EXPECT_EQ(Text(IDC_RELAY1_LABEL + 4), "Open");
    ClickPicture(5);
    ASSERT_TRUE(PumpUntil(
        [this] { return PictureShown(IDC_RELAY1_PICTURE + 4) == Picture(IDB_RELAY_NC); }, 1000));
    EXPECT_EQ(Text(IDC_RELAY1_LABEL + 4), "Shut");
    uint32_t before = CommandsReceived();
    ClickPicture(3); // at NC: to NO, type 5
    EXPECT_EQ(CommandsSince(before), std::vector<uint8_t>{5});
    ASSERT_TRUE(PumpUntil(
        [this] { return PictureShown(IDC_RELAY1_PICTURE + 2) == Picture(IDB_RELAY_NO); }, 1000));
    EXPECT_EQ(Text(IDC_RELAY1_LABEL + 2), "Spin");
    before = CommandsReceived();
    ClickPicture(3); // at NO: to NC, type 4
    EXPECT_EQ(CommandsSince(before), std::vector<uint8_t>{4});
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(ConnectedTest, ConfirmationOnlyForExactlyYes) {
    ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1CONF='YES', RELAY2CONF='yes', RELAY3CONF='NO'"));
    ASSERT_TRUE(ConnectAndPoll());
    PumpFor(150); // a poll with the new settings loaded
    uint32_t before = CommandsReceived();
    boxes.QueueButton(IDNO);
    ClickPicture(1);
    PumpFor(100);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, "Execute Relay Action ?  ");
    EXPECT_EQ(boxes.seen()[0].caption, "Relay 1");
    EXPECT_TRUE(CommandsSince(before).empty());

    before = CommandsReceived();
    boxes.QueueButton(IDYES);
    ClickPicture(1);
    EXPECT_EQ(CommandsSince(before), std::vector<uint8_t>{1});

    before = CommandsReceived();
    ClickPicture(2);
    ClickPicture(3);
    ClickPicture(4);
    EXPECT_EQ(CommandsSince(before), (std::vector<uint8_t>{3, 5, 7}));
    EXPECT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
}

TEST_F(ConnectedTest, ClicksWhileDisconnectedSendNothing) {
    const uint32_t before = ReportsReceived();
    ClickPicture(1);
    PumpFor(150);
    EXPECT_EQ(ReportsReceived(), before);
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(ConnectedTest, RelayNotesBecomeTooltipsWithLineBreaks) {
    ASSERT_TRUE(db.Exec(
        "UPDATE Main SET RELAY2NOTES='first line' || char(13) || char(10) || 'second line'"));
    ASSERT_TRUE(ConnectAndPoll());
    PumpFor(1200); // the tooltip refresh runs every second
    TOOLINFOA tool{};
    char text[600] = "";
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_RELAY1_PICTURE + 1));
    tool.lpszText = text;
    SendMessageA(g_main.tooltips[1], TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "first line\r\nsecond line");
    Click(IDC_DISCONNECT);
    EXPECT_EQ(SendMessageA(g_main.tooltips[1], TTM_GETTOOLCOUNT, 0, 0), 0);
}

} // namespace
