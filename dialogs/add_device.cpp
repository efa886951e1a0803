#include "dialogs/add_device.h"

#include "common/board_entry.h"
#include "common/error_box.h"
#include "common/modal_dialog.h"
#include "common/text_helpers.h"
#include "db/board_store.h"
#include "devlib/pellam_dll.h"
#include "dialogs/board_list.h"
#include "resources/resource_ids.h"

#include <cstring>

namespace {

struct AddDeviceState {
    AddDeviceMode mode = kAddDeviceNormal;
    HWND list = nullptr;
    char board_list[1024]; // the library's full board list
    char selection[512];
    AddedBoard result;
};

const char kProductString[] = "SWITCHDECK 5s";

void Refresh(HWND dialog, AddDeviceState& state) {
    SendMessageA(state.list, LB_RESETCONTENT, 0, 0);
    SetDlgItemTextA(dialog, IDC_ADD_HIDDEN_TEXT, "");
    std::memset(state.board_list, 0, sizeof state.board_list);
    FindPellamBoards(state.board_list);
    ForEachBoardEntry(state.board_list, 128, [&state](const char* entry) {
        char product[128] = {};
        GetProductString(HexToNumber(entry), product);
        product[sizeof product - 1] = 0;
        if (!CompareText(product, kProductString)) return;
        char text[160];
        BoardEntryText(entry, text, sizeof text);
        SendMessageA(state.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    });
}

// Inserts the board and, for the first board of a fresh table, marks it as
// the default. A failure shows the statement and the driver's reason.
bool InsertBoard(HWND dialog, const char* board_id_text, bool mark_default) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const DbResult inserted = InsertBoardRow(
        board_id_text, {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
        mark_default);
    if (!inserted.ok) ShowDatabaseError(dialog, inserted.statement, inserted.failure, nullptr);
    return inserted.ok;
}

enum class DuplicateCheck { Registered, Free, Failed };

// Normal mode: whether the board already has a row. A query that cannot run
// shows its text and says Failed.
DuplicateCheck CheckRegistered(HWND dialog, const char* board_id_text) {
    bool found = false;
    const DbResult checked = FindBoardRow(board_id_text, &found);
    if (!checked.ok) {
        if (checked.failed_at == DbStage::kExecute)
            ShowDatabaseError(dialog, checked.statement, checked.failure, nullptr);
        return DuplicateCheck::Failed;
    }
    return found ? DuplicateCheck::Registered : DuplicateCheck::Free;
}

void Add(HWND dialog, AddDeviceState& state) {
    std::memset(state.selection, 0, sizeof state.selection);
    const LRESULT index = SendMessageA(state.list, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR &&
        SendMessageA(state.list, LB_GETTEXTLEN, index, 0) < LRESULT{sizeof state.selection})
        SendMessageA(state.list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(state.selection));
    if (state.selection[0] == 0) {
        MessageBoxA(dialog, "No Device Selected!", nullptr, MB_OK | MB_ICONERROR);
        return;
    }
    char board_id_text[5];
    uint32_t board_id = 0;
    ParseBoardSelection(state.selection, board_id_text, &board_id);
    bool mark_default = true;
    if (state.mode == kAddDeviceNormal) {
        const DuplicateCheck check = CheckRegistered(dialog, board_id_text);
        if (check == DuplicateCheck::Registered) {
            MessageBoxA(dialog, "Device Already In Database!", nullptr, MB_OK | MB_ICONERROR);
            return;
        }
        // A failed duplicate check falls back to the first-run way of adding.
        mark_default = check == DuplicateCheck::Failed;
    }
    if (!InsertBoard(dialog, board_id_text, mark_default)) return;
    state.result.added = true;
    std::memcpy(state.result.board_id_text, board_id_text, sizeof board_id_text);
    EndDialog(dialog, 0);
}

INT_PTR AddDeviceProc(HWND dialog, AddDeviceState& state, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        state.list = GetDlgItem(dialog, IDC_ADD_LIST);
        SendDlgItemMessageA(dialog, IDC_ADD_REFRESH, BM_CLICK, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_ADD_REFRESH) Refresh(dialog, state);
        if (LOWORD(w) == IDC_ADD_ADD) Add(dialog, state);
        if (LOWORD(w) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

AddedBoard OpenAddDeviceDialog(HINSTANCE instance, HWND owner, AddDeviceMode mode) {
    AddDeviceState state;
    state.mode = mode;
    ShowModalDialog<AddDeviceState, AddDeviceProc>(instance, IDD_ADD_DEVICE, owner, state);
    return state.result;
}
