// Relay scripts in the running program: the list, the editor and the
// executor against the real database and the simulated board.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "scripts/command_codes.h"

#include <cstring>

namespace {

class ScriptsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME='Pump', RELAY1NC='Off', RELAY1NO='On'"));
        ASSERT_NE(Start(), nullptr);
    }
    void AddScript(const std::string& pid, const std::string& name, const std::string& commands,
                   const std::string& description = "note") {
        ASSERT_TRUE(db.Exec("INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES ('" +
                            pid + "','" + name + "','" + description + "','" + commands + "')"));
    }
    // Opens the list with the main window's button. `work` gets the list
    // dialog and its grid; `then` answers the boxes and dialogs that follow,
    // in order (all are queued before the list opens, which is modal).
    void WithList(std::function<void(HWND, HWND)> work,
                  std::vector<BoxAnswerer::Handler> then = {}) {
        boxes.Queue([work](HWND dialog, const SeenBox&) {
            work(dialog, GetDlgItem(dialog, IDC_LIST_GRID));
        });
        for (auto& h : then)
            boxes.Queue(std::move(h));
        Click(IDC_RELAY_SCRIPTS);
    }
};

std::string Cell(HWND grid, int column, int row) {
    char data[600] = "";
    SendMessageA(grid, GRM_GETCELLDATA, GridCell(column, row), reinterpret_cast<LPARAM>(data));
    data[sizeof data - 1] = 0;
    return data;
}

HWND RowArea(HWND grid) {
    return FindWindowExA(grid, nullptr, "CellRows", nullptr);
}

// A mouse click (and optionally a double click) on a cell of the grid.
void ClickCell(HWND grid, int column, int row, bool twice) {
    RECT r{};
    SendMessageA(grid, GRM_GETCELLRECT, GridCell(column, row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND rows = RowArea(grid);
    SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(rows, WM_LBUTTONUP, 0, at);
    if (twice) {
        SendMessageA(rows, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(rows, WM_LBUTTONUP, 0, at);
    }
}

TEST_F(ScriptsTest, ListShowsOnlyTheSelectedBoardsScripts) {
    AddScript("8001", "Morning", "000A01", "Pump''s first run");
    AddScript("8002", "Other", "02");
    AddScript("8001", "Evening", "01");
    ASSERT_TRUE(
        db.Exec("INSERT INTO RelayScripts (PID,NAME,COMMANDS) VALUES ('8001','Bare','0A')"));
    WithList([](HWND dialog, HWND grid) {
        PressButton(dialog, IDC_LIST_CLOSE);
        EXPECT_EQ(WindowText(dialog), "Relay Scripts");
        EXPECT_EQ(SendMessageA(grid, GRM_GETROWCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageA(grid, GRM_GETCOLUMNCOUNT, 0, 0), 7);
        EXPECT_EQ(Cell(grid, 1, 0), "Morning");
        EXPECT_EQ(Cell(grid, 2, 0), "Pump's first run");
        EXPECT_EQ(Cell(grid, 6, 0), "000A01");
        EXPECT_EQ(Cell(grid, 1, 1), "Evening");
        EXPECT_EQ(Cell(grid, 2, 2), ""); // NULL description
    });
}

TEST_F(ScriptsTest, DeleteAsksAndNoKeepsEverything) {
    AddScript("8001", "Morning", "00");
    const std::string id = db.Query("SELECT ID FROM RelayScripts")[0][0];
    auto press = [](int id) { return [id](HWND box, const SeenBox&) { PressButton(box, id); }; };
    WithList(
        [](HWND list, HWND grid) {
            ClickCell(grid, 4, 0, true);
            PressButton(list, IDC_LIST_CLOSE);
        },
        {press(IDNO)});
    ASSERT_GE(boxes.seen().size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text, "Delete Script Number " + id + " ?");
    EXPECT_EQ(boxes.seen()[1].caption, "  Pellam Board");
    EXPECT_EQ(db.Query("SELECT * FROM RelayScripts").size(), 1u);

    WithList([](HWND, HWND grid) { ClickCell(grid, 4, 0, true); },
             {press(IDYES)}); // deleted, not reopened
    EXPECT_TRUE(db.Query("SELECT * FROM RelayScripts").empty());
    EXPECT_EQ(boxes.seen().size(), 4u) << boxes.Texts();
}

TEST_F(ScriptsTest, ExecuteRunsTheClickedRowsScriptAndLogsIt) {
    AddScript("8001", "Other", "0001");
    AddScript("8001", "Morning", "000A01");
    const std::string id = db.Query("SELECT ID FROM RelayScripts WHERE NAME='Morning'")[0][0];
    ASSERT_TRUE(ConnectAndPoll());
    const uint32_t before = CommandsReceived();
    std::string log;
    DWORD first_sent = 0, second_sent = 0;
    uint32_t polls_during_run = 0;
    auto executor_handler = [&](HWND executor, const SeenBox& seen) {
        EXPECT_EQ(seen.caption, "Execute Relay Script");
        PumpUntil([&] { return CommandsSince(before).size() >= 1; }, 2000);
        first_sent = GetTickCount();
        const uint32_t reports_then = ReportsReceived();
        PumpUntil([&] { return CommandsSince(before).size() >= 2; }, 3000);
        second_sent = GetTickCount();
        polls_during_run = ReportsReceived() - reports_then;
        PumpUntil(
            [&] {
                return WindowText(GetDlgItem(executor, IDC_EXECUTOR_LOG)).find("Executed.") !=
                       std::string::npos;
            },
            1000);
        log = WindowText(GetDlgItem(executor, IDC_EXECUTOR_LOG));
        PressButton(executor, IDC_EXECUTOR_CLOSE);
    };
    WithList(
        [](HWND, HWND grid) {
            ClickCell(grid, 5, 0, false); // a single click only selects
            PumpFor(100);
            ClickCell(grid, 5, 1, true); // a double click on the second row's Execute
        },
        {[](HWND box, const SeenBox&) { PressButton(box, IDYES); }, executor_handler,
         [](HWND list, const SeenBox&) {
             PressButton(list, IDC_LIST_CLOSE);
         }}); // the list reopened
    ASSERT_GE(boxes.seen().size(), 4u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text, "Execute Script Number " + id + " ?");
    const std::string sep(119, '-');
    EXPECT_EQ(log, "Executing Relay Script #" + id + "\r\n" + sep + "\r\nMorning\r\n" + sep +
                       "\r\nRelay 1 - Pump - On\r\nDelay 1 Second\r\nRelay 1 - Pump - Off\r\n" +
                       sep + "\r\nRelay Script Executed.\r\n");
    EXPECT_EQ(CommandsSince(before), (std::vector<uint8_t>{1, 0}));
    EXPECT_NEAR(static_cast<double>(second_sent - first_sent), 1000.0, 150.0);
    EXPECT_GE(polls_during_run, 5u); // the main window kept polling
}

TEST_F(ScriptsTest, AKeyOnAnExecuteCellAsksForThatRow) {
    AddScript("8001", "First", "00");
    AddScript("8001", "Second", "01");
    const std::string id = db.Query("SELECT ID FROM RelayScripts WHERE NAME='Second'")[0][0];
    WithList(
        [](HWND list, HWND grid) {
            SendMessageA(grid, GRM_SETCURRENTCELL, 5, 1);
            SendMessageA(RowArea(grid), WM_CHAR, 'x', 0);
            PressButton(list, IDC_LIST_CLOSE);
        },
        {[](HWND box, const SeenBox&) { PressButton(box, IDNO); }});
    ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text, "Execute Script Number " + id + " ?");
}

BoxAnswerer::Handler Press(int id) {
    return [id](HWND box, const SeenBox&) { PressButton(box, id); };
}

// Presses keys for real: through the input queue, into the window with the focus.
void Keys(HWND window, std::initializer_list<WORD> keys) {
    SetForegroundWindow(window);
    for (WORD key : keys) {
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_KEYBOARD;
        press[0].ki.wVk = press[1].ki.wVk = key;
        press[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, press, sizeof(INPUT));
        PumpFor(150);
    }
}

// While a run goes on, Enter and Escape do nothing (in the log or on CLOSE);
// CLOSE and the close box ask first (No: it goes on). Yes stops it before the next command, the log
// says where, and CLOSE then closes as after any run.
TEST_F(ScriptsTest, ARunStopsOnlyWhenTheOperatorConfirms) {
    AddScript("8001", "Slow", "000J01");
    ASSERT_TRUE(ConnectAndPoll());
    const uint32_t before = CommandsReceived();
    std::string log;
    bool open_after_stop = false;
    WithList([](HWND, HWND grid) { ClickCell(grid, 5, 0, true); },
             {Press(IDYES),
              [&](HWND executor, const SeenBox&) {
                  PumpUntil([&] { return CommandsSince(before).size() >= 1; }, 2000);
                  HWND log_field = GetDlgItem(executor, IDC_EXECUTOR_LOG);
                  Keys(executor, {VK_RETURN, VK_ESCAPE});
                  SetFocus(GetDlgItem(executor, IDC_EXECUTOR_CLOSE));
                  Keys(executor, {VK_ESCAPE});
                  EXPECT_TRUE(IsWindow(executor));
                  PostMessageA(executor, WM_SYSCOMMAND, SC_CLOSE, 0); // the close box: No
                  PumpFor(300);
                  PressButton(executor, IDC_EXECUTOR_CLOSE); // answered Yes
                  PumpFor(300);
                  open_after_stop = IsWindow(executor) != FALSE;
                  log = WindowText(log_field);
                  PressButton(executor, IDC_EXECUTOR_CLOSE);
              },
              Press(IDNO), Press(IDYES),
              [](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); }});
    PumpFor(300);
    EXPECT_TRUE(open_after_stop);
    EXPECT_EQ(CommandsSince(before), std::vector<uint8_t>{1});
    ASSERT_EQ(boxes.seen().size(), 6u) << boxes.Texts();
    for (int i : {3, 4}) {
        EXPECT_EQ(boxes.seen()[i].text, "Stop the relay script?");
        EXPECT_EQ(boxes.seen()[i].caption, "  Pellam Board");
    }
    const std::string sep(119, '-');
    const size_t body = log.find("Slow\r\n" + sep + "\r\n");
    ASSERT_NE(body, std::string::npos) << log;
    EXPECT_EQ(log.substr(body), "Slow\r\n" + sep +
                                    "\r\nRelay 1 - Pump - On\r\nDelay 10 Seconds\r\n" + sep +
                                    "\r\nRelay Script Stopped by the operator: the commands after "
                                    "the line above were not carried out.\r\n");
}

// The editor's checks come in order and stop at the first failure.
TEST_F(ScriptsTest, EditorChecksAndLimits) {
    WithList([](HWND list, HWND) { PressButton(list, IDC_LIST_ADD); },
             {[](HWND editor, const SeenBox& seen) {
                 EXPECT_EQ(seen.caption, "ADD New Relay Script");
                 EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDITOR_AVAILABLE, LB_GETCOUNT, 0, 0),
                           36);
                 EXPECT_EQ(WindowText(GetDlgItem(editor, IDC_EDITOR_ID)), "New");
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(50);
                 SetDlgItemTextA(editor, IDC_EDITOR_NAME, std::string(25, 'n').c_str());
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(50);
                 SetDlgItemTextA(editor, IDC_EDITOR_NOTE, std::string(130, 'd').c_str());
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(50);
                 HWND available = GetDlgItem(editor, IDC_EDITOR_AVAILABLE);
                 SendMessageA(available, LB_SETCURSEL, 10, 0); // Delay 1 Second
                 for (int i = 0; i < 257; ++i)
                     PressButton(editor, IDC_EDITOR_ADD);
                 PumpFor(50);
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(50);
                 HWND selected = GetDlgItem(editor, IDC_EDITOR_SELECTED);
                 SendMessageA(selected, LB_SETCURSEL, 0, 0);
                 PressButton(editor, IDC_EDITOR_REMOVE);
                 PumpFor(20);
                 EXPECT_EQ(SendMessageA(selected, LB_GETCOUNT, 0, 0), 256);
                 PressButton(editor, IDC_EDITOR_SAVE);
             }});
    std::vector<std::string> texts;
    for (const SeenBox& s : boxes.seen())
        texts.push_back(s.text);
    ASSERT_GE(texts.size(), 7u) << boxes.Texts();
    EXPECT_EQ(texts[2], "Enter a Name for this Script !");
    EXPECT_EQ(boxes.seen()[2].caption, "  Pellam Board");
    EXPECT_EQ(texts[3], "Enter a Note for this Script !");
    EXPECT_EQ(texts[4], "Enter Commands for this Script !");
    EXPECT_EQ(texts[5], "UNDOCUMENTED ERROR !");
    EXPECT_EQ(texts[6], "Relay Script Saved");
    const Rows rows = db.Query("SELECT PID, NAME, DESCRIPTION, COMMANDS FROM RelayScripts");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "8001");
    EXPECT_EQ(rows[0][1], std::string(19, 'n'));
    EXPECT_EQ(rows[0][2], std::string(127, 'd'));
    std::string expected;
    for (int i = 0; i < 256; ++i)
        expected += "0A";
    EXPECT_EQ(rows[0][3], expected);
}

TEST_F(ScriptsTest, EditingDropsUnknownPairsKeepsQuotesAndLongScripts) {
    std::string long_script;
    for (int i = 0; i < 100; ++i)
        long_script += "0001";
    AddScript("8001", "O''Brien", "0A1Z0B", "It''s fine");
    AddScript("8001", "Long", long_script);
    WithList([](HWND, HWND grid) { ClickCell(grid, 3, 0, true); },
             {[](HWND editor, const SeenBox& seen) {
                 EXPECT_EQ(seen.caption, "EDIT Existing Relay Script");
                 EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDITOR_SELECTED, LB_GETCOUNT, 0, 0), 2);
                 HWND available = GetDlgItem(editor, IDC_EDITOR_AVAILABLE);
                 SendMessageA(available, LB_SETCURSEL, 0, 0);
                 SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_AVAILABLE, LBN_DBLCLK),
                              reinterpret_cast<LPARAM>(available));
                 PressButton(editor, IDC_EDITOR_SAVE);
             }});
    EXPECT_EQ(db.Query("SELECT NAME, DESCRIPTION, COMMANDS FROM RelayScripts WHERE ID=1"),
              (Rows{{"O'Brien", "It's fine", "0A0B00"}}));
    // A script longer than 63 commands survives opening and saving whole.
    WithList(
        [](HWND, HWND grid) { ClickCell(grid, 3, 1, true); }, {[](HWND editor, const SeenBox&) {
            EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDITOR_SELECTED, LB_GETCOUNT, 0, 0), 200);
            PressButton(editor, IDC_EDITOR_SAVE);
        }});
    EXPECT_EQ(db.Query("SELECT COMMANDS FROM RelayScripts WHERE NAME='Long'"),
              (Rows{{long_script}}));
}

// Every command keeps its own code through saving and reopening, also where
// entries read alike: empty labels (a new board) and equal labels.
TEST_F(ScriptsTest, EveryCommandKeepsItsCodeWhateverItsText) {
    std::string all_codes;
    for (int i = 0; i < kCommandCount; ++i)
        all_codes += kScriptCommands[i].code;
    for (const char* labels : {"''", "'Same'"}) {
        std::string set;
        for (int n = 1; n <= 5; ++n)
            set += std::string(n > 1 ? ", " : "") + "RELAY" + std::to_string(n) + "NAME='', RELAY" +
                   std::to_string(n) + "NC=" + labels + ", RELAY" + std::to_string(n) +
                   "NO=" + labels;
        ASSERT_TRUE(db.Exec("UPDATE Main SET " + set));
        ASSERT_TRUE(db.Exec("DELETE FROM RelayScripts"));
        ASSERT_TRUE(ConnectAndPoll()); // the relay texts come from the connected board
        WithList([](HWND list, HWND) { PressButton(list, IDC_LIST_ADD); },
                 {[](HWND editor, const SeenBox&) {
                     SetDlgItemTextA(editor, IDC_EDITOR_NAME, "All");
                     SetDlgItemTextA(editor, IDC_EDITOR_NOTE, "Every command");
                     HWND available = GetDlgItem(editor, IDC_EDITOR_AVAILABLE);
                     for (int i = 0; i < kCommandCount; ++i) {
                         SendMessageA(available, LB_SETCURSEL, i, 0);
                         SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_ADD, BN_CLICKED),
                                      0);
                     }
                     PressButton(editor, IDC_EDITOR_SAVE);
                 }});
        EXPECT_EQ(db.Query("SELECT COMMANDS FROM RelayScripts"), (Rows{{all_codes}})) << labels;
        // Opening and saving again leaves the stored codes byte for byte.
        WithList([](HWND, HWND grid) { ClickCell(grid, 3, 0, true); },
                 {[](HWND editor, const SeenBox&) { PressButton(editor, IDC_EDITOR_SAVE); }});
        EXPECT_EQ(db.Query("SELECT COMMANDS FROM RelayScripts"), (Rows{{all_codes}})) << labels;
        Click(IDC_DISCONNECT);
    }
}

TEST_F(ScriptsTest, CancelInTheEditorReopensTheList) {
    WithList([](HWND list, HWND) { PressButton(list, IDC_LIST_ADD); },
             {[](HWND editor, const SeenBox&) { PressButton(editor, IDC_EDITOR_CANCEL); },
              [](HWND list, const SeenBox& seen) {
                  EXPECT_EQ(seen.caption, "Relay Scripts");
                  PressButton(list, IDC_LIST_CLOSE);
              }});
    EXPECT_EQ(boxes.seen().size(), 3u) << boxes.Texts();
}

} // namespace
