// The Edit Relay dialog with its text filter, and the Relay Board Options.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "dialogs/restricted_text_field.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <thread>

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
    void SetClipboard(const std::string& text) {
        ASSERT_TRUE(OpenClipboard(edit));
        EmptyClipboard();
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(data), text.c_str(), text.size() + 1);
        GlobalUnlock(data);
        SetClipboardData(CF_TEXT, data);
        CloseClipboard();
    }
    void Paste(const std::string& text) {
        SetClipboard(text);
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

// Real keys and menus as an operator uses them: every route that can put
// text into the field leaves only accepted characters, and text the field
// held already stays as it was.
TEST_F(RestrictedField, EveryRouteIntoTheFieldIsFiltered) {
    ShowWindow(edit, SW_SHOW);
    SetForegroundWindow(edit);
    SetFocus(edit);
    auto keys = [](std::initializer_list<std::pair<WORD, bool>> strokes) {
        std::vector<INPUT> inputs;
        for (auto [key, down] : strokes) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = key;
            in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            inputs.push_back(in);
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        PumpFor(100);
    };
    struct Route {
        const char* name;
        std::function<void()> insert;
        const char* expected;
    } routes[] = {
        {"Shift+Insert",
         [&] {
             keys({{VK_SHIFT, true}, {VK_INSERT, true}, {VK_INSERT, false}, {VK_SHIFT, false}});
         },
         "Keep'sitsok"},
        // Ctrl+V arrives as a refused control character: nothing goes in.
        {"Ctrl+V",
         [&] {
             keys({{VK_CONTROL, true}, {'V', true}, {'V', false}, {VK_CONTROL, false}});
         },
         "Keep's"},
        {"context menu",
         [&] {
             // "&Paste" is chosen by its key once the menu's own loop runs.
             std::thread chooser([] {
                 for (int i = 0; i < 200 && !FindWindowA("#32768", nullptr); ++i)
                     Sleep(10);
                 INPUT press[2] = {};
                 press[0].type = press[1].type = INPUT_KEYBOARD;
                 press[0].ki.wVk = press[1].ki.wVk = 'P';
                 press[1].ki.dwFlags = KEYEVENTF_KEYUP;
                 SendInput(2, press, sizeof(INPUT));
             });
             SendMessageA(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(5, 5));
             chooser.join();
             PumpFor(100);
         },
         "Keep'sitsok"},
        {"WM_PASTE", [&] { SendMessageA(edit, WM_PASTE, 0, 0); }, "Keep'sitsok"},
        {"EM_REPLACESEL",
         [&] { SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("it's,ok")); },
         "Keep'sitsok"},
        {"WM_SETTEXT", [&] { SetWindowTextA(edit, "it's,ok"); }, "itsok"},
    };
    for (const Route& route : routes) {
        SetStoredText(edit, "Keep's");
        SetClipboard("it's,ok");
        SendMessageA(edit, EM_SETSEL, 6, 6);
        route.insert();
        EXPECT_EQ(WindowText(edit), route.expected) << route.name;
    }
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
    EXPECT_EQ(rows[0][2], "Its off"); // text set from outside is filtered too
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
    SendMessageA(g_main.tooltips[0], TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
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

// The list opened from Edit Relay is owned by the main window, which stays
// disabled behind it like behind every other list.
TEST_F(RelayDialogTest, ScriptsListFromEditRelayKeepsTheMainWindowDisabled) {
    ASSERT_TRUE(ConnectAndPoll());
    HWND main_window = window;
    bool owner_ok = false, main_disabled = false;
    boxes.Queue([](HWND dialog, const SeenBox&) { PressButton(dialog, IDC_EDIT_SCRIPTS); });
    boxes.Queue([&](HWND list, const SeenBox& seen) {
        EXPECT_EQ(seen.caption, "Relay Scripts");
        owner_ok = GetWindow(list, GW_OWNER) == main_window;
        main_disabled = !IsWindowEnabled(main_window);
        PressButton(list, IDC_LIST_CLOSE);
    });
    Click(IDC_RELAY1_EDIT);
    EXPECT_TRUE(owner_ok);
    EXPECT_TRUE(main_disabled);
    EXPECT_TRUE(IsWindowEnabled(main_window));
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

// Tests with a second simulated board (the virtual-board run has one board).
class SecondBoardTest : public RelayDialogTest {};

// Connecting to a board that is not ready yet (no poll loads its row) still
// shows that board's own settings, and Save writes only what was typed.
TEST_F(SecondBoardTest, EditRelayShowsAndSavesTheConnectedBoardsOwnRow) {
    AddBoardRow("8002");
    ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME='First', RELAY1NC='Off1' WHERE PID='8001'"));
    ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME='Second', RELAY1NOTES='Notes2', "
                        "RELAY1NC='Off2', RELAY1NO='On2', RELAY1CONF='YES' WHERE PID='8002'"));
    const int slot = SimAddBoard(0, 0x8002, "SWITCHDECK 5s", "Qvoxline Circuits", 0x0100, "0123");
    SimSetFlag(slot, SimFlag::Ready, false);
    ASSERT_TRUE(ConnectAndPoll());
    Click(IDC_DISCONNECT);
    SetWindowTextA(Item(IDC_BOARD_BOX), "8002 - USB  SWITCHDECK");
    Click(IDC_CONNECT);
    PumpFor(300); // polls: connected, not ready
    ASSERT_EQ(g_session.connected, 1);
    WithEditRelay(1, [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NAME), "Second");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NOTES), "Notes2");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_EDIT_CONFIRM), BST_CHECKED);
        SetDlgItemTextA(dialog, IDC_EDIT_NAME, "Renamed");
        PressButton(dialog, IDC_EDIT_SAVE);
    });
    EXPECT_EQ(db.Query("SELECT PID, RELAY1NAME, RELAY1NOTES, RELAY1NC, RELAY1NO, RELAY1CONF FROM "
                       "Main ORDER BY PID"),
              (Rows{{"8001", "First", "<null>", "Off1", "<null>", "<null>"},
                    {"8002", "Renamed", "Notes2", "Off2", "On2", "YES"}}));
}

// A row that cannot be read at Connect (the database held by another
// program) is never offered as the stored one: EDIT waits, the polls of the
// not-ready board read again, and then the stored values show.
TEST_F(SecondBoardTest, EditWaitsUntilTheRowHasBeenRead) {
    AddBoardRow("8002");
    ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME='Second', RELAY1NOTES='Notes2' "
                        "WHERE PID='8002'"));
    const int slot = SimAddBoard(0, 0x8002, "SWITCHDECK 5s", "Qvoxline Circuits", 0x0100, "0123");
    SimSetFlag(slot, SimFlag::Ready, false);
    SetWindowTextA(Item(IDC_BOARD_BOX), "8002 - USB  SWITCHDECK");
    {
        DatabaseWriteLock lock(db.folder(), DatabaseWriteLock::kReadsToo);
        ASSERT_TRUE(lock.held());
        Click(IDC_CONNECT);
        PumpFor(300);
        ASSERT_EQ(g_session.connected, 1);
        EXPECT_FALSE(Enabled(IDC_RELAY1_EDIT));
        // However EDIT comes, no dialog with blanks (without polls, which
        // would each wait for the lock while the box is up).
        KillTimer(window, kPollTimer);
        Click(IDC_RELAY1_EDIT);
        ASSERT_EQ(boxes.seen().size(), 1u) << boxes.Texts();
        EXPECT_EQ(boxes.seen()[0].text.rfind("The relay settings could not be read.\r\n\r\n", 0),
                  0u)
            << boxes.seen()[0].text;
    }
    SetTimer(window, kPollTimer, kPollPeriodMs, nullptr);
    ASSERT_TRUE(PumpUntil([this] { return Enabled(IDC_RELAY1_EDIT); }, 3000));
    WithEditRelay(1, [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NAME), "Second");
        EXPECT_EQ(ItemText(dialog, IDC_EDIT_NOTES), "Notes2");
        PressButton(dialog, IDC_EDIT_CANCEL);
    });
}

} // namespace
