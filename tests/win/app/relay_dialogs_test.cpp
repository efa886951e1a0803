// The Edit Relay dialog with its text filter, and the Relay Board Options.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "dialogs/restricted_text_field.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cstring>

namespace {

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

class RestrictedField : public ::testing::Test {
  protected:
    void SetUp() override {
        edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_WANTRETURN, 0, 0, 200,
                               100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        AttachRestrictedTextField(edit);
    }
    void TearDown() override { DestroyWindow(edit); }
    void Type(const std::string& text) {
        for (unsigned char c : text)
            SendMessageA(edit, WM_CHAR, c, 0);
    }
    void Paste(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(edit));
        EmptyClipboard();
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(data), text.c_str(), text.size() + 1);
        GlobalUnlock(data);
        SetClipboardData(CF_TEXT, data);
        CloseClipboard();
        SendMessageA(edit, WM_PASTE, 0, 0);
    }
    HWND edit = nullptr;
};

TEST_F(RestrictedField, TypedCharactersOfTheAcceptedSetOnly) {
    Type("Az09 !&()-.?");
    EXPECT_EQ(WindowText(edit), "Az09 !&()-.?");
    Type(std::string("'\",\t%\x16\x03\x18\xE9\x80", 11));
    EXPECT_EQ(WindowText(edit), "Az09 !&()-.?");
    Type("\b\b");
    EXPECT_EQ(WindowText(edit), "Az09 !&()-");
    Type("\r");
    EXPECT_EQ(WindowText(edit), "Az09 !&()-\r\n");
}

TEST_F(RestrictedField, PastedTextLosesRefusedCharacters) {
    Paste("Don't, 100%\r\nsure\t\xE9");
    EXPECT_EQ(WindowText(edit), "Dont 100\r\nsure");
}

class RelayDialogTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_NE(Start(), nullptr);
    }
    // Opens Edit Relay for `relay`; `work` runs once the dialog is up.
    void WithEditRelay(int relay, std::function<void(HWND)> work) {
        boxes.Queue([work](HWND dialog, const SeenBox&) { work(dialog); });
        Click(IDC_RELAY1_EDIT + relay - 1);
    }
};

TEST_F(RelayDialogTest, OpeningShowsTheRelaysValues) {
    ASSERT_TRUE(
        db.Exec("UPDATE Main SET RELAY3NAME='Fan', RELAY3NOTES='Roof fan', RELAY3NC='Idle', "
                "RELAY3NO='Spinning', RELAY3CONF='YES', RELAY4CONF='yes', RELAY5CONF='NO'"));
    ASSERT_TRUE(ConnectAndPoll());
    WithEditRelay(3, [](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), " Edit Relay 3");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_HEADER), "Relay 3 Setup");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NAME), "Fan");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NOTES), "Roof fan");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NC_LABEL), "Idle");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NO_LABEL), "Spinning");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EDIT_CONFIRM), BST_CHECKED);
        LOGFONTA font{};
        GetObjectA(
            reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_EDIT_HEADER, WM_GETFONT, 0, 0)),
            sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -48);
        EXPECT_STREQ(font.lfFaceName, "Arial");
        PressButton(dialog, IDC_EDIT_CANCEL);
    });
    for (int relay : {4, 5, 1}) {
        WithEditRelay(relay, [relay](HWND dialog) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EDIT_CONFIRM), BST_UNCHECKED) << relay;
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
    }
    EXPECT_EQ(boxes.seen().size(), 4u) << boxes.Texts();
    EXPECT_EQ(db.Query("SELECT RELAY3NAME FROM Main"), (Rows{{"Fan"}})); // nothing saved
}

TEST_F(RelayDialogTest, SaveStoresWithinTheLimitsAndTheWindowFollows) {
    ASSERT_TRUE(ConnectAndPoll());
    board.SetRelay(2, true);
    const std::string name(30, 'N'), notes = std::string(300, 'a') + "\r\n" + std::string(298, 'b');
    WithEditRelay(2, [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_EDIT_NAME, name.c_str());
        SetDlgItemTextA(dialog, IDC_EDIT_NOTES, notes.c_str());
        SetDlgItemTextA(dialog, IDC_EDIT_NC_LABEL, "It's off");
        SetDlgItemTextA(dialog, IDC_EDIT_NO_LABEL, std::string(26, 'L').c_str());
        CheckDlgButton(dialog, IDC_EDIT_CONFIRM, BST_CHECKED);
        PressButton(dialog, IDC_EDIT_SAVE);
    });
    ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text, "Settings Saved");
    EXPECT_EQ(boxes.seen()[1].caption, "Relay Settings");
    const Rows rows = db.Query(
        "SELECT RELAY2NAME, RELAY2NOTES, RELAY2NC, RELAY2NO, RELAY2CONF, RELAY1NAME FROM Main");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], name.substr(0, 24));
    EXPECT_EQ(rows[0][1], notes.substr(0, 511));
    EXPECT_EQ(rows[0][2], "It's off"); // a quote from outside the filter arrives intact
    EXPECT_EQ(rows[0][3], std::string(24, 'L'));
    EXPECT_EQ(rows[0][4], "YES");
    EXPECT_EQ(rows[0][5], "<null>"); // another relay's group is untouched
    // The window shows the new name and the label of the current position at once.
    EXPECT_EQ(Text(IDC_RELAY1_NAME + 1), name.substr(0, 24));
    ASSERT_TRUE(
        PumpUntil([this] { return Text(IDC_RELAY1_LABEL + 1) == std::string(24, 'L'); }, 300));
}

TEST_F(RelayDialogTest, NotesWithLineBreaksBecomeTheTooltip) {
    ASSERT_TRUE(ConnectAndPoll());
    WithEditRelay(1, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_EDIT_NOTES, "Line one\r\nLine two");
        PressButton(dialog, IDC_EDIT_SAVE);
    });
    EXPECT_EQ(db.Query("SELECT RELAY1NOTES FROM Main"), (Rows{{"Line one\r\nLine two"}}));
    PumpFor(1200);
    TOOLINFOA tool{};
    char text[600] = "";
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_RELAY1_PICTURE));
    tool.lpszText = text;
    SendMessageA(g_connection.tooltips[0], TTM_GETTEXTA, sizeof text,
                 reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "Line one\r\nLine two");
}

TEST_F(RelayDialogTest, RelayScriptsButtonDropsUnsavedEdits) {
    ASSERT_TRUE(ConnectAndPoll());
    WithEditRelay(1, [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_EDIT_NAME, "Changed");
        PressButton(dialog, IDC_EDIT_SCRIPTS);
    });
    EXPECT_EQ(db.Query("SELECT RELAY1NAME FROM Main"), (Rows{{"<null>"}}));
    EXPECT_TRUE(GetFocus() == window || IsChild(window, GetFocus()));
}

TEST_F(RelayDialogTest, OptionsShowTheLastMaskAndSendTheNewOne) {
    board.SetLedMask(0x21);
    ASSERT_TRUE(ConnectAndPoll());
    boxes.Queue([](HWND dialog, const SeenBox&) {
        EXPECT_EQ(WindowText(dialog), "Relay Board Options");
        const UINT expected[6] = {BST_CHECKED,   BST_UNCHECKED, BST_UNCHECKED,
                                  BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_OPTION_RELAY1_LED + i), expected[i]) << i;
        for (int i = 0; i < 6; ++i)
            CheckDlgButton(dialog, IDC_OPTION_RELAY1_LED + i, i == 2 ? BST_CHECKED : BST_UNCHECKED);
        PressButton(dialog, IDC_OPTION_OK);
    });
    SendMessageA(window, WM_COMMAND, IDM_RELAY_OPTIONS, 0);
    const std::vector<uint8_t> r = board.LastReport();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[5], 0x0B);
    EXPECT_EQ(r[6], 4);
    EXPECT_EQ(board.LedMask(), 4);

    boxes.Queue([](HWND dialog, const SeenBox&) {
        for (int i = 0; i < 6; ++i)
            CheckDlgButton(dialog, IDC_OPTION_RELAY1_LED + i, BST_CHECKED);
        PressButton(dialog, IDC_OPTION_CANCEL);
    });
    PumpFor(150);
    Click(IDC_DISCONNECT); // no polls in between: count every report
    const uint32_t before = ReportsReceived();
    Click(IDC_CONNECT);
    KillTimer(window, kPollTimer);
    SendMessageA(window, WM_COMMAND, IDM_RELAY_OPTIONS, 0);
    EXPECT_EQ(ReportsReceived(), before);
}

TEST_F(RelayDialogTest, OptionsWhileDisconnectedShowOnlyTheRefusal) {
    const uint32_t before = ReportsReceived();
    SendMessageA(window, WM_COMMAND, IDM_RELAY_OPTIONS, 0);
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[0].text, "Connect to a Relay Board first!");
    EXPECT_EQ(boxes.seen()[0].caption, "Error");
    EXPECT_EQ(ReportsReceived(), before);
}

} // namespace
