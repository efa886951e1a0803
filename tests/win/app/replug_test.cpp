// A board unplugged while the program is connected, and plugged back: the
// program disconnects cleanly, and Connect works again with the board as
// it powers on.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "resources/resource_ids.h"

namespace {

class ReplugTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_NE(Start(), nullptr);
    }
};

TEST_F(ReplugTest, BoardPluggedBackConnectsAgain) {
    ASSERT_TRUE(ConnectAndPoll());
    board.SetPlugged(false);
    ASSERT_TRUE(PumpUntil([] { return g_session.connected == 0; }, 1000));
    EXPECT_TRUE(boxes.seen().empty()) << boxes.Texts();

    board.SetPlugged(true);
    ASSERT_TRUE(ConnectAndPoll());
    const uint32_t before = CommandsReceived();
    HWND picture = Item(IDC_RELAY1_PICTURE + 3);
    SendMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(CommandsSince(before), std::vector<uint8_t>{7}); // relay 4 to NO
    ASSERT_TRUE(PumpUntil(
        [this] { return PictureShown(IDC_RELAY1_PICTURE + 3) == Picture(IDB_RELAY_NO); }, 1000));
    EXPECT_EQ(g_session.connected, 1);
}

} // namespace
