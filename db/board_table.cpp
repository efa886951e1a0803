#include "db/board_table.h"

#include "app/app_state.h"
#include "app/connection.h"
#include "common/error_box.h"
#include "common/text_helpers.h"
#include "db/database.h"
#include "dialogs/add_device.h"
#include "resources/resource_ids.h"

#include <cstring>

BoardRecord g_board_record;

namespace {

HWND BoardBox() {
    return GetDlgItem(g_main.window, IDC_BOARD_BOX);
}

} // namespace

void FillBoardBox(HWND owner) {
    HWND box = BoardBox();
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(box, "");
    int rows = 0;
    {
        StatementCycle cycle;
        if (!cycle.Allocate()) {
            MessageBoxA(owner, "Statement handle allocation failed", kDatabaseCaption,
                        MB_OK | MB_ICONERROR);
            return;
        }
        if (!cycle.Execute(kSelectAllBoards)) {
            MessageBoxA(owner, "Execution of SQL statement failed", kDatabaseCaption,
                        MB_OK | MB_ICONERROR);
            return;
        }
        char vid[32], pid[32], is_default[32];
        cycle.BindText(2, vid, sizeof vid);
        cycle.BindText(3, pid, sizeof pid);
        cycle.BindText(5, is_default, sizeof is_default);
        for (;;) {
            vid[0] = pid[0] = is_default[0] = 0;
            if (!cycle.Fetch()) break;
            char entry[64];
            BoardEntryText(pid, entry, sizeof entry);
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            if (CompareText(is_default, "YES")) SetWindowTextA(box, entry);
            ++rows;
        }
    }
    if (rows == 0) {
        EnableWindow(GetDlgItem(g_main.window, IDC_CONNECT), FALSE);
        AddBoard(kAddDeviceFirstRun);
    }
}

void AddBoard(AddDeviceMode mode) {
    const AddedBoard board = OpenAddDeviceDialog(g_main.instance, g_main.window, mode);
    if (!board.added) return;
    // The new board is the selected one, as after reading the board box.
    ParseBoardSelection(board.board_id_text, g_connection.board_id_text, &g_connection.board_id);
    FillBoardBox(g_main.window);
    EnableWindow(GetDlgItem(g_main.window, IDC_CONNECT), TRUE);
}

void LoadBoardRecord() {
    if (!ComposeSelectBoard(g_database.statement_text, sizeof g_database.statement_text,
                            g_connection.board_id_text))
        return;
    StatementCycle cycle;
    if (!cycle.Allocate() || !cycle.Execute(g_database.statement_text)) return;
    BoardRecord& r = g_board_record;
    SQLUSMALLINT column = 1;
    for (auto& header : r.header)
        cycle.BindText(column++, header, sizeof header);
    for (RelaySettings& relay : r.relays) {
        cycle.BindText(column++, relay.notes, sizeof relay.notes);
        cycle.BindText(column++, relay.name, sizeof relay.name);
        cycle.BindText(column++, relay.nc_label, sizeof relay.nc_label);
        cycle.BindText(column++, relay.no_label, sizeof relay.no_label);
        cycle.BindText(column++, relay.confirm, sizeof relay.confirm);
    }
    // No matching row leaves every field empty.
    std::memset(&r, 0, sizeof r);
    cycle.Fetch();
}

void SetDefaultBoard() {
    // With an empty board box there is no board to mark: leave the marks alone
    // rather than clear them all and mark a board chosen earlier.
    if (!ReadBoardSelection()) return;
    // Both marks change together or not at all: a failure in between would
    // otherwise leave no default board.
    char failure[kDiagnosticSize] = "";
    bool done;
    {
        Transaction transaction;
        done = RunStatement(kClearDefaultMarks, failure) &&
               ComposeSetDefaultMark(g_database.statement_text, sizeof g_database.statement_text,
                                     g_connection.board_id_text) &&
               RunStatement(g_database.statement_text, failure) && transaction.Commit();
    }
    if (!done) {
        ShowDatabaseError(g_main.window, "The default board was not changed.",
                          failure[0] ? failure : "The change could not be committed.");
        return;
    }
    FillBoardBox(g_main.window);
}

void DeleteBoard() {
    Disconnect();
    char text[64];
    GetWindowTextA(BoardBox(), text, sizeof text);
    if (text[0] == 0) return;
    if (MessageBoxA(g_main.window, "Are You Sure you want to Delete this Database Entry ? ",
                    "Delete Relay Board", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ReadBoardSelection();
    char failure[kDiagnosticSize] = "The statement could not be composed.";
    if (!ComposeDeleteBoardRow(g_database.statement_text, sizeof g_database.statement_text,
                               g_connection.board_id_text) ||
        !RunStatement(g_database.statement_text, failure)) {
        ShowDatabaseError(g_main.window, "The board was not deleted.", failure);
        return;
    }
    FillBoardBox(g_main.window);
}
