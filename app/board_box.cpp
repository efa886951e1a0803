#include "app/board_box.h"

#include "app/app_state.h"
#include "app/relay_panel.h"
#include "app/session.h"
#include "common/error_box.h"
#include "common/text_helpers.h"
#include "db/board_store.h"
#include "resources/resource_ids.h"

#include <vector>

namespace {

constexpr int kBoxTextSize = 64;

HWND BoardBox() {
    return GetDlgItem(g_main.window, IDC_BOARD_BOX);
}

void EnableConnect(BOOL enable) {
    EnableWindow(GetDlgItem(g_main.window, IDC_CONNECT), enable);
}

} // namespace

void FillBoardBox() {
    HWND box = BoardBox();
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(box, "");
    std::vector<BoardListEntry> boards;
    const DbResult listed = ListBoards(&boards);
    if (!listed.ok) {
        MessageBoxA(g_main.window,
                    listed.failed_at == DbStage::kAllocate ? "Statement handle allocation failed"
                                                           : "Execution of SQL statement failed",
                    kErrorCaption, MB_OK | MB_ICONERROR);
        return;
    }
    for (const BoardListEntry& board : boards) {
        char entry[kBoxTextSize];
        BoardEntryText(board.pid, entry, sizeof entry);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        // The last board marked as the default is the one shown.
        if (CompareText(board.is_default, "YES")) SetWindowTextA(box, entry);
    }
    if (boards.empty()) {
        EnableConnect(FALSE);
        AddBoard(kAddDeviceFirstRun);
    }
}

void AddBoard(AddDeviceMode mode) {
    const AddedBoard board = OpenAddDeviceDialog(g_main.instance, g_main.window, mode);
    if (!board.added) return;
    // The new board is the selected one, as after reading the board box.
    SelectBoard(board.board_id_text);
    FillBoardBox();
    EnableConnect(TRUE);
}

void SetDefaultBoard() {
    // With an empty board box there is no board to mark: leave the marks alone
    // rather than clear them all and mark a board chosen earlier.
    if (!ReadBoardSelection()) return;
    const DbResult result = MakeDefaultBoard(g_session.board_id_text);
    if (!result.ok) {
        ShowDatabaseError(g_main.window, "The default board was not changed.", result.failure);
        return;
    }
    FillBoardBox();
}

void DeleteBoard() {
    Disconnect();
    char text[kBoxTextSize];
    GetWindowTextA(BoardBox(), text, sizeof text);
    if (text[0] == 0) return;
    if (MessageBoxA(g_main.window, "Are You Sure you want to Delete this Database Entry ? ",
                    "Delete Relay Board", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    ReadBoardSelection();
    const DbResult result = DeleteBoardRow(g_session.board_id_text);
    if (!result.ok) {
        ShowDatabaseError(g_main.window, "The board was not deleted.", result.failure);
        return;
    }
    FillBoardBox();
}
