// Failures the operator must see, and resources that must not pile up:
// every write path with the database locked by another program, the program
// without a database connection, and dialogs opened and closed many times.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "db/database.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "tests/win/common/process_counts.h"

#include <algorithm>
#include <functional>

namespace {

class FailuresTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        AddBoardRow("8002");
        ASSERT_TRUE(db.Exec("INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES "
                            "('8001','Morning','note','00')"));
        SimAddBoard(0, 0x8003, "SWITCHDECK 5s", "Qvoxline Circuits", 0x0100, "0123");
        ASSERT_NE(Start(), nullptr);
    }
    // Everything the write paths below can change.
    Rows Snapshot() {
        return db.Query("SELECT VID, PID, [DEFAULT], RELAY1NAME FROM Main ORDER BY PID");
    }
    Rows Scripts() { return db.Query("SELECT PID, NAME, COMMANDS FROM RelayScripts ORDER BY ID"); }
    void Answer(std::function<void(HWND)> work) {
        boxes.Queue([work](HWND box, const SeenBox&) { work(box); });
    }
    // The texts of the boxes seen since `from`.
    std::vector<std::string> TextsSince(size_t from) const {
        std::vector<std::string> texts;
        for (size_t i = from; i < boxes.seen().size(); ++i)
            texts.push_back(boxes.seen()[i].text);
        return texts;
    }
    static HWND Grid(HWND list) { return GetDlgItem(list, IDC_LIST_GRID); }
};

// One write path each: what the operator does, and the box that tells of
// the failure (its first line).
struct WritePath {
    const char* name;
    std::function<void(bool locked)> act;
    const char* failure;
};

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

TEST_F(FailuresTest, EveryWritePathReportsALockedDatabaseAndChangesNothing) {
    ASSERT_TRUE(ConnectAndPoll());
    const WritePath paths[] = {
        {"Edit Relay",
         [this](bool) {
             Answer([](HWND dialog) {
                 SetDlgItemTextA(dialog, IDC_EDIT_NAME, "Pump");
                 PressButton(dialog, IDC_EDIT_SAVE);
                 PumpFor(1500); // the error box comes and goes, the dialog stays
                 PressButton(dialog, IDC_EDIT_CANCEL);
             });
             Click(IDC_RELAY1_EDIT);
         },
         "The relay settings were not saved."},
        {"script editor",
         [this](bool locked) {
             Answer([](HWND list) { PressButton(list, IDC_LIST_ADD); });
             Answer([](HWND editor) {
                 SetDlgItemTextA(editor, IDC_EDITOR_NAME, "Evening");
                 SetDlgItemTextA(editor, IDC_EDITOR_NOTE, "note");
                 SendDlgItemMessageA(editor, IDC_EDITOR_AVAILABLE, LB_SETCURSEL, 1, 0);
                 SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_ADD, BN_CLICKED), 0);
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(1500);
                 PressButton(editor, IDC_EDITOR_CANCEL);
             });
             boxes.QueueButton(IDOK); // the error, or "Relay Script Saved"
             // After a failed save the list comes back; after a save it does not.
             if (locked) Answer([](HWND list) { PressButton(list, IDC_LIST_CLOSE); });
             Click(IDC_RELAY_SCRIPTS);
         },
         "The relay script was not saved."},
        {"script delete",
         [this](bool) {
             Answer([](HWND list) {
                 SendMessageA(Grid(list), GRM_SETCURRENTCELL, 4, 0);
                 SendMessageA(FindWindowExA(Grid(list), nullptr, "CellRows", nullptr), WM_CHAR, 'x',
                              0);
                 PumpFor(1500);
                 PressButton(list, IDC_LIST_CLOSE);
             });
             boxes.QueueButton(IDYES);
             Click(IDC_RELAY_SCRIPTS);
         },
         "The relay script was not deleted."},
        {"Set Default",
         [this](bool) {
             SetWindowTextA(Item(IDC_BOARD_BOX), "8002 - USB  SWITCHDECK");
             Click(IDC_SET_DEFAULT);
         },
         "The default board was not changed."},
        {"Delete Device",
         [this](bool) {
             boxes.QueueButton(IDYES);
             Click(IDC_DELETE_DEVICE);
         },
         "The board was not deleted."},
        {"Add Device",
         [this](bool) {
             Answer([](HWND dialog) {
                 SendDlgItemMessageA(dialog, IDC_ADD_LIST, LB_SETCURSEL, 1, 0); // 8003
                 PressButton(dialog, IDC_ADD_ADD);
                 PumpFor(1500);
                 PostMessageA(dialog, WM_CLOSE, 0, 0);
             });
             Click(IDC_ADD_DEVICE);
         },
         "INSERT INTO Main (VID,PID,ADDED) VALUES ('0000','8003',{ts '"},
    };
    for (const WritePath& path : paths) {
        const Rows boards = Snapshot(), scripts = Scripts();
        {
            DatabaseWriteLock lock(db.folder());
            ASSERT_TRUE(lock.held());
            const size_t seen = boxes.seen().size();
            path.act(true);
            bool reported = false;
            for (const std::string& text : TextsSince(seen))
                reported = reported || (StartsWith(text, path.failure) &&
                                        text.find("\r\n\r\n") != std::string::npos);
            EXPECT_TRUE(reported) << path.name << ": " << boxes.Texts();
            for (const std::string& text : TextsSince(seen))
                EXPECT_EQ(text.find("Saved"), std::string::npos) << path.name;
            EXPECT_EQ(Snapshot(), boards) << path.name;
            EXPECT_EQ(Scripts(), scripts) << path.name;
        }
        // Writable again: the same action goes through.
        const size_t seen = boxes.seen().size();
        path.act(false);
        for (const std::string& text : TextsSince(seen))
            EXPECT_FALSE(StartsWith(text, path.failure)) << path.name << ": " << text;
        EXPECT_TRUE(Snapshot() != boards || Scripts() != scripts) << path.name;
        if (!g_session.connected) {
            SetWindowTextA(Item(IDC_BOARD_BOX), "8001 - USB  SWITCHDECK");
            ASSERT_TRUE(ConnectAndPoll());
        }
    }
}

// A change whose row another program removed meanwhile says so and claims
// nothing, however the driver answers such a change (the ODBC 3 way with
// SQL_NO_DATA, or, as win.odbc2.*, the Access driver's ODBC 2.x way: success
// with no row counted).
TEST_F(FailuresTest, EveryChangeOfARowThatIsGoneSaysSo) {
    ASSERT_TRUE(ConnectAndPoll());
    auto remove_script = [this] { ASSERT_TRUE(db.Exec("DELETE FROM RelayScripts")); };
    auto open_script_cell = [](HWND list, int column) {
        SendMessageA(Grid(list), GRM_SETCURRENTCELL, column, 0);
        SendMessageA(FindWindowExA(Grid(list), nullptr, "CellRows", nullptr), WM_CHAR, 'x', 0);
    };
    const struct {
        const char* name;
        std::function<void()> act;
        const char* failure;
    } paths[] = {
        {"Edit Relay",
         [&] {
             ASSERT_TRUE(db.Exec("DELETE FROM Main WHERE PID='8001'"));
             PumpFor(300); // polls read the row as gone: blanks are what is stored now
             Answer([](HWND dialog) {
                 SetDlgItemTextA(dialog, IDC_EDIT_NAME, "Pump");
                 PressButton(dialog, IDC_EDIT_SAVE);
                 PumpFor(500);
                 PressButton(dialog, IDC_EDIT_CANCEL);
             });
             Click(IDC_RELAY1_EDIT);
         },
         "The relay settings were not saved."},
        {"script save",
         [&] {
             Answer([&](HWND list) { open_script_cell(list, 3); });
             Answer([&](HWND editor) {
                 remove_script();
                 PressButton(editor, IDC_EDITOR_SAVE);
                 PumpFor(500);
                 PressButton(editor, IDC_EDITOR_CANCEL);
             });
             boxes.QueueButton(IDOK);
             Answer([](HWND list) { PressButton(list, IDC_LIST_CLOSE); });
             Click(IDC_RELAY_SCRIPTS);
         },
         "The relay script was not saved."},
        {"script delete",
         [&] {
             ASSERT_TRUE(db.Exec("INSERT INTO RelayScripts (PID,NAME,COMMANDS) VALUES "
                                 "('8001','Again','00')"));
             Answer([&](HWND list) {
                 remove_script();
                 open_script_cell(list, 4);
                 PumpFor(500);
                 PressButton(list, IDC_LIST_CLOSE);
             });
             boxes.QueueButton(IDYES);
             Click(IDC_RELAY_SCRIPTS);
         },
         "The relay script was not deleted."},
        {"Set Default",
         [this] {
             SetWindowTextA(Item(IDC_BOARD_BOX), "8004 - USB  SWITCHDECK");
             Click(IDC_SET_DEFAULT);
         },
         "The default board was not changed."},
        {"Delete Device",
         [this] {
             SetWindowTextA(Item(IDC_BOARD_BOX), "8004 - USB  SWITCHDECK");
             boxes.QueueButton(IDYES);
             Click(IDC_DELETE_DEVICE);
         },
         "The board was not deleted."},
    };
    for (const auto& path : paths) {
        const Rows boards = Snapshot();
        const size_t seen = boxes.seen().size();
        path.act();
        const std::vector<std::string> texts = TextsSince(seen);
        const std::string expected = std::string(path.failure) + "\r\n\r\n" + kNoRowText;
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end())
            << path.name << ": " << boxes.Texts();
        for (const std::string& text : texts)
            EXPECT_EQ(text.find("Saved"), std::string::npos) << path.name;
        if (std::string(path.name) != "Edit Relay") {
            EXPECT_EQ(Snapshot(), boards) << path.name;
        }
    }
}

// Without a connection every action that needs the database says so, once,
// and none claims success.
TEST_F(ProgramTest, WithoutADatabaseConnectionActionsSaySoOnce) {
    char sysini[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("ODBCSYSINI", sysini, sizeof sysini), 0u);
    const std::string ini = WindowsPath(std::string(sysini) + "/odbcinst.ini");
    const std::string moved = ini + ".away";
    ASSERT_TRUE(MoveFileExA(ini.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
    HWND w = Start();
    MoveFileExA(moved.c_str(), ini.c_str(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_NE(w, nullptr);
    SetWindowTextA(Item(IDC_BOARD_BOX), "8001 - USB  SWITCHDECK");
    ASSERT_TRUE(ConnectAndPoll());
    const std::string no_connection = "\r\n\r\nThere is no connection to the database.";
    struct Action {
        std::function<void()> act;
        std::string text;
    } actions[] = {
        // Edit Relay does not open on settings it could not read.
        {[&] { Click(IDC_RELAY1_EDIT); }, "The relay settings could not be read." + no_connection},
        {[&] {
             boxes.QueueButton(IDOK);
             boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); });
             Click(IDC_RELAY_SCRIPTS);
         },
         "The relay scripts could not be read." + no_connection},
        {[&] { Click(IDC_SET_DEFAULT); }, "The default board was not changed." + no_connection},
    };
    for (const Action& action : actions) {
        const size_t seen = boxes.seen().size();
        action.act();
        PumpFor(100);
        size_t reports = 0;
        for (size_t i = seen; i < boxes.seen().size(); ++i) {
            if (boxes.seen()[i].text == action.text) ++reports;
            EXPECT_EQ(boxes.seen()[i].text.find("Saved"), std::string::npos);
        }
        EXPECT_EQ(reports, 1u) << boxes.Texts();
    }
}

// Twenty openings of every dialog leave the process holding what it held
// after the first: no handle, GDI object or window is left behind.
TEST_F(FailuresTest, DialogsGiveBackWhatTheyTake) {
    ASSERT_TRUE(ConnectAndPoll());
    auto close_with = [this](int button) {
        boxes.Queue([button](HWND dialog, const SeenBox&) {
            if (button)
                PressButton(dialog, button);
            else
                PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
    };
    const std::pair<const char*, std::function<void()>> dialogs[] = {
        {"Edit Relay",
         [&] {
             close_with(IDC_EDIT_CANCEL);
             Click(IDC_RELAY1_EDIT + 2);
         }},
        {"Relay Board Options",
         [&] {
             close_with(IDC_OPTION_CANCEL);
             SendMessageA(window, WM_COMMAND, IDM_RELAY_OPTIONS, 0);
         }},
        {"list and editor",
         [&] {
             close_with(IDC_LIST_ADD);
             close_with(IDC_EDITOR_CANCEL);
             close_with(IDC_LIST_CLOSE);
             Click(IDC_RELAY_SCRIPTS);
         }},
        {"list and executor",
         [&] {
             boxes.Queue([](HWND list, const SeenBox&) {
                 SendMessageA(Grid(list), GRM_SETCURRENTCELL, 5, 0);
                 SendMessageA(FindWindowExA(Grid(list), nullptr, "CellRows", nullptr), WM_CHAR, 'x',
                              0);
             });
             boxes.QueueButton(IDYES);
             boxes.Queue([](HWND executor, const SeenBox&) {
                 PumpFor(100);
                 PressButton(executor, IDC_EXECUTOR_CLOSE);
             });
             close_with(IDC_LIST_CLOSE);
             Click(IDC_RELAY_SCRIPTS);
         }},
        {"Add Device",
         [&] {
             close_with(0);
             Click(IDC_ADD_DEVICE);
             ASSERT_TRUE(ConnectAndPoll());
         }},
        {"About",
         [&] {
             boxes.Queue([](HWND about, const SeenBox&) {
                 PumpFor(60);
                 PostMessageA(about, WM_CLOSE, 0, 0);
             });
             SendMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
             ASSERT_TRUE(ConnectAndPoll());
         }},
    };
    for (const auto& dialog : dialogs)
        dialog.second(); // first use: caches and lazily made objects settle
    for (const auto& [name, open_and_close] : dialogs) {
        PumpFor(100);
        const ProcessCounts before = CountProcessResources(GetCurrentProcess());
        ASSERT_GE(before.gdi_objects, 0);
        ASSERT_GE(before.handles, 0);
        for (int cycle = 0; cycle < 20; ++cycle)
            open_and_close();
        // Nothing piles up: a leak of one object per opening adds twenty.
        // A count taken at one moment can sit a little under the steady
        // level (a brush or drawing context made again on the next paint, a
        // handle Wine's sound layer keeps for a while, a thread that just
        // ended), so the counts get a second to settle and a small margin.
        constexpr long kMargin = 3;
        ProcessCounts after;
        PumpUntil(
            [&] {
                after = CountProcessResources(GetCurrentProcess());
                return after.gdi_objects <= before.gdi_objects && after.handles <= before.handles &&
                       after.windows <= before.windows;
            },
            1000);
        EXPECT_LE(after.gdi_objects, before.gdi_objects + kMargin) << name;
        EXPECT_LE(after.handles, before.handles + kMargin) << name;
        EXPECT_LE(after.windows, before.windows) << name;
    }
}

} // namespace
