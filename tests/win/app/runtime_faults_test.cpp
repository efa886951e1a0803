// Faults that come while the program runs: the database file changing under
// it, the board going while a script runs, the simulator losing its file,
// and quick or overlapping operator actions. Each ends in a clear message or
// a clean state, nothing hangs, nothing half-written stays, and everything
// works again once the fault is over.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "scripts/script_run.h"

#include <functional>

namespace {

class RuntimeFaultsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_TRUE(db.Exec("INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES "
                            "('8001','Cycle','note','000A010A02')"));
        ASSERT_NE(Start(), nullptr);
        ASSERT_TRUE(ConnectAndPoll());
    }
    std::string Database() const { return db.folder() + "\\Pellam.MDB"; }
    // Saves relay 1's name through Edit Relay; returns the texts of the
    // boxes that followed.
    std::vector<std::string> SaveRelayName(const char* name) {
        const size_t seen = boxes.seen().size();
        boxes.Queue([name](HWND dialog, const SeenBox&) {
            SetDlgItemTextA(dialog, IDC_EDIT_NAME, name);
            PressButton(dialog, IDC_EDIT_SAVE);
            PumpFor(300);
            PressButton(dialog, IDC_EDIT_CANCEL); // still open only after a failure
        });
        Click(IDC_RELAY1_EDIT);
        std::vector<std::string> texts;
        for (size_t i = seen; i < boxes.seen().size(); ++i)
            texts.push_back(boxes.seen()[i].text);
        return texts;
    }
    // Adds a script named `name` with one command through the list and the
    // editor; returns the texts of the boxes that followed. `fault(true)`
    // runs just before Save, `fault(false)` after it. After a failed save
    // the editor is cancelled and the list comes back to be closed.
    std::vector<std::string> SaveScript(
        const char* name, bool succeeds, std::function<void(bool)> fault = [](bool) {}) {
        const size_t seen = boxes.seen().size();
        boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_ADD); });
        boxes.Queue([name, fault](HWND editor, const SeenBox&) {
            SetDlgItemTextA(editor, IDC_EDITOR_NAME, name);
            SetDlgItemTextA(editor, IDC_EDITOR_NOTE, "note");
            SendDlgItemMessageA(editor, IDC_EDITOR_AVAILABLE, LB_SETCURSEL, 1, 0);
            SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_ADD, BN_CLICKED), 0);
            fault(true);
            PressButton(editor, IDC_EDITOR_SAVE);
            PumpFor(300);
            fault(false);
            if (IsWindow(editor)) PressButton(editor, IDC_EDITOR_CANCEL);
        });
        boxes.QueueButton(IDOK); // the error, or "Relay Script Saved"
        if (!succeeds)
            boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); });
        Click(IDC_RELAY_SCRIPTS);
        std::vector<std::string> texts;
        for (size_t i = seen; i < boxes.seen().size(); ++i)
            texts.push_back(boxes.seen()[i].text);
        return texts;
    }
    // Runs the stored script through the list; returns its log.
    std::string RunScript(std::function<void()> during) {
        std::string log;
        boxes.Queue([](HWND list, const SeenBox&) {
            HWND grid = GetDlgItem(list, IDC_LIST_GRID);
            SendMessageA(grid, GRM_SETCURRENTCELL, 5, 0);
            SendMessageA(FindWindowExA(grid, nullptr, "CellRows", nullptr), WM_CHAR, 'x', 0);
        });
        boxes.QueueButton(IDYES);
        boxes.Queue([&](HWND executor, const SeenBox&) {
            HWND text = GetDlgItem(executor, IDC_EXECUTOR_LOG);
            PumpUntil([&] { return CommandsSince(0).size() > 0 || !WindowText(text).empty(); },
                      1000);
            during();
            PumpUntil(
                [&] {
                    const std::string now = WindowText(text);
                    return now.find("Executed.") != std::string::npos ||
                           now.find(kScriptStoppedLine) != std::string::npos;
                },
                5000);
            log = WindowText(text);
            PressButton(executor, IDC_EXECUTOR_CLOSE);
        });
        boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); });
        Click(IDC_RELAY_SCRIPTS);
        return log;
    }
};

// The database file made read-only or moved away (as if removed) while
// connected: Edit Relay's save and a script's save each say why nothing was
// saved and write nothing anywhere; once the fault ends the same saves go in.
TEST_F(RuntimeFaultsTest, DatabaseFileReadOnlyOrRemovedWhileSaving) {
    const std::string away = Database() + ".away";
    DeleteFileA(away.c_str()); // left by a run that stopped half-way
    struct Writable {          // the fixture's next run needs the file writable
        std::string path;
        ~Writable() { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }
    } writable{Database()};
    const struct Fault {
        const char* name;
        std::function<bool(bool)> set;
        const char* why;
    } faults[] = {
        {"read-only",
         [&](bool on) {
             return SetFileAttributesA(Database().c_str(),
                                       on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
         },
         "The database file is read-only: "},
        {"removed",
         [&](bool on) {
             return on ? MoveFileA(Database().c_str(), away.c_str()) != 0
                       : MoveFileA(away.c_str(), Database().c_str()) != 0;
         },
         "The database file is missing: "},
    };
    // Whether one of `texts` starts with `head`.
    auto shown = [](const std::vector<std::string>& texts, const std::string& head) {
        for (const std::string& text : texts)
            if (text.compare(0, head.size(), head) == 0) return true;
        return false;
    };
    for (const Fault& fault : faults) {
        ASSERT_TRUE(fault.set(true)) << fault.name;
        std::vector<std::string> texts = SaveRelayName("Gone");
        EXPECT_TRUE(
            shown(texts, std::string("The relay settings were not saved.\r\n\r\n") + fault.why))
            << fault.name << ": " << boxes.Texts();
        PumpFor(300); // polls go on, and nothing is lost
        ASSERT_TRUE(fault.set(false)) << fault.name;
        // The script's fault comes while its editor is open, and ends before
        // the list reads its rows again.
        texts = SaveScript("Evening", false, [&](bool on) { EXPECT_TRUE(fault.set(on)); });
        EXPECT_TRUE(
            shown(texts, std::string("The relay script was not saved.\r\n\r\n") + fault.why))
            << fault.name << ": " << boxes.Texts();
        EXPECT_EQ(db.Query("SELECT RELAY1NAME FROM Main"), (Rows{{"<null>"}})) << fault.name;
        EXPECT_EQ(db.Query("SELECT NAME FROM RelayScripts"), (Rows{{"Cycle"}})) << fault.name;

        EXPECT_TRUE(shown(SaveRelayName("Back"), "Settings Saved")) << fault.name;
        EXPECT_TRUE(shown(SaveScript("Evening", true), "Relay Script Saved")) << fault.name;
        EXPECT_EQ(db.Query("SELECT RELAY1NAME FROM Main"), (Rows{{"Back"}})) << fault.name;
        EXPECT_EQ(db.Query("SELECT NAME FROM RelayScripts ORDER BY ID"),
                  (Rows{{"Cycle"}, {"Evening"}}))
            << fault.name;
        ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME = NULL")) << fault.name;
        ASSERT_TRUE(db.Exec("DELETE FROM RelayScripts WHERE NAME = 'Evening'")) << fault.name;
    }
}

// The database file removed (an action finds it gone) and put back, then
// Set Default: the connection is made again before the transaction begins,
// so a refused second statement undoes the first and every default mark
// stays as it was.
TEST_F(RuntimeFaultsTest, SetDefaultAfterTheFileCameBackIsOneUnit) {
    AddBoardRow("8002");
    const std::string away = Database() + ".away";
    ASSERT_TRUE(db.Exec("CREATE TRIGGER refuse_mark BEFORE UPDATE ON Main WHEN "
                        "NEW.[DEFAULT]='YES' BEGIN SELECT RAISE(ABORT, 'mark refused'); END"));
    SetWindowTextA(Item(IDC_BOARD_BOX), "8002 - USB  SWITCHDECK");
    ASSERT_TRUE(MoveFileA(Database().c_str(), away.c_str()));
    Click(IDC_SET_DEFAULT);
    ASSERT_TRUE(MoveFileA(away.c_str(), Database().c_str()));
    Click(IDC_SET_DEFAULT);
    ASSERT_EQ(boxes.seen().size(), 2u) << boxes.Texts();
    const std::string head = "The default board was not changed.\r\n\r\n";
    EXPECT_EQ(boxes.seen()[0].text.rfind(head + "The database file is missing: ", 0), 0u)
        << boxes.Texts();
    EXPECT_EQ(boxes.seen()[1].text.rfind(head, 0), 0u) << boxes.Texts();
    EXPECT_NE(boxes.seen()[1].text.find("mark refused"), std::string::npos) << boxes.Texts();
    EXPECT_EQ(db.Query("SELECT PID, [DEFAULT] FROM Main ORDER BY PID"),
              (Rows{{"8001", "YES"}, {"8002", ""}}));
}

// The board goes while a script runs. Unplugged: the run stops at the
// command the board did not take and the program disconnects. Silent: the
// commands still go out and the run ends, but the polls fail and the
// program disconnects. Not ready: the run ends and the program stays.
TEST_F(RuntimeFaultsTest, BoardFaultsWhileAScriptRuns) {
    struct Fault {
        const char* name;
        std::function<void(TestBoard&, bool)> set;
        bool run_stops, stays_connected;
    } faults[] = {
        {"unplugged", [](TestBoard& b, bool on) { b.SetPlugged(!on); }, true, false},
        {"silent", [](TestBoard& b, bool on) { b.SetSilent(on); }, false, false},
        {"not ready", [](TestBoard& b, bool on) { b.SetReady(!on); }, false, true},
    };
    for (const Fault& fault : faults) {
        const std::string log = RunScript([&] { fault.set(board, true); });
        const bool stopped = log.find(kScriptStoppedLine) != std::string::npos;
        EXPECT_EQ(stopped, fault.run_stops) << fault.name << ": " << log;
        EXPECT_EQ(log.find("Relay Script Executed.") != std::string::npos, !fault.run_stops)
            << fault.name;
        PumpFor(500);
        EXPECT_EQ(g_session.connected != 0, fault.stays_connected) << fault.name;
        fault.set(board, false);
        if (!g_session.connected) {
            ASSERT_TRUE(ConnectAndPoll()) << fault.name;
        }
        ASSERT_TRUE(PumpUntil([] { return g_session.board_ready == 1; }, 1000)) << fault.name;
    }
}

// The simulator's file removed or cut short: the simulated library sees no
// board (the program disconnects); the next change the simulator makes
// writes the file again, and the board connects.
TEST_F(RuntimeFaultsTest, SimulatorFileRemovedOrCutShort) {
    const std::function<bool()> faults[] = {
        [] { return DeleteFileA(SimFilePath()) != 0; },
        [] {
            HANDLE file = CreateFileA(SimFilePath(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            SetFilePointer(file, 100, nullptr, FILE_BEGIN);
            const bool cut = SetEndOfFile(file) != 0;
            CloseHandle(file);
            return cut;
        },
    };
    for (const auto& fault : faults) {
        ASSERT_TRUE(fault());
        EXPECT_TRUE(PumpUntil([] { return g_session.connected == 0; }, 1000));
        EXPECT_TRUE(boxes.seen().empty()) << boxes.Texts();
        SimSetRelay(0, 3, true); // the simulator's next change
        EXPECT_TRUE(SimFileIntact());
        Click(IDC_CONNECT);
        EXPECT_TRUE(PumpUntil([] { return g_session.relay_at_nc[2] == 0; }, 1000));
        SimSetRelay(0, 3, false);
    }
}

// Twenty quick Connect/Disconnect pairs leave one clean state, and every
// dialog can be open while the polls go on behind it.
TEST_F(RuntimeFaultsTest, QuickConnectsAndDialogsWhilePolling) {
    for (int i = 0; i < 20; ++i) {
        Click(IDC_CONNECT);
        PumpFor(i * 7 % 150);
        Click(IDC_DISCONNECT);
    }
    EXPECT_EQ(g_session.connected, 0);
    EXPECT_TRUE(Enabled(IDC_CONNECT));
    ASSERT_TRUE(ConnectAndPoll());
    const std::pair<int, int> dialogs[] = {{IDC_RELAY1_EDIT, IDC_EDIT_CANCEL},
                                           {IDM_RELAY_OPTIONS, IDC_OPTION_CANCEL},
                                           {IDC_RELAY_SCRIPTS, IDC_LIST_CLOSE}};
    for (const auto& [open, close] : dialogs) {
        uint32_t polls = 0;
        boxes.Queue([&, close = close](HWND dialog, const SeenBox&) {
            const uint32_t before = ReportsReceived();
            PumpFor(500);
            polls = ReportsReceived() - before;
            PressButton(dialog, close);
        });
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(open, BN_CLICKED), 0);
        EXPECT_GE(polls, 3u) << open;
        EXPECT_EQ(g_session.connected, 1) << open;
    }
}

} // namespace
