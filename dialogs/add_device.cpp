#include "dialogs/add_device.h"

#include "app/app_state.h"
#include "common/text_helpers.h"
#include "db/board_table.h"
#include "db/database.h"
#include "devlib/pellam_dll.h"
#include "dialogs/board_list.h"
#include "resources/resource_ids.h"

#include <cstring>

namespace {

struct AddDeviceState {
    HWND list = nullptr;
    AddDeviceMode mode = kAddDeviceNormal;
    char board_list[1024]; // the library's full board list
    char product[128];
    char selection[512];
};
AddDeviceState g_add;

const char kProductString[] = "SWITCHDECK 5s";

void Refresh(HWND dialog) {
    SendMessageA(g_add.list, LB_RESETCONTENT, 0, 0);
    SetDlgItemTextA(dialog, IDC_ADD_HIDDEN_TEXT, "");
    std::memset(g_add.board_list, 0, sizeof g_add.board_list);
    std::memset(g_add.product, 0, sizeof g_add.product);
    FindPellamBoards(g_add.board_list);
    ForEachBoardEntry(g_add.board_list, 128, [](const char* entry) {
        std::memset(g_add.product, 0, sizeof g_add.product);
        GetProductString(HexToNumber(entry), g_add.product);
        g_add.product[sizeof g_add.product - 1] = 0;
        if (!CompareText(g_add.product, kProductString)) return;
        char text[160];
        BoardEntryText(entry, text, sizeof text);
        SendMessageA(g_add.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    });
}

// Inserts the board and, for the first board of a fresh table, marks it as
// the default. Returns false when the insert failed (already reported).
bool InsertSelectedBoard(HWND dialog, bool mark_default) {
    StatementCycle cycle;
    if (!cycle.Allocate()) return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!ComposeInsertBoard(
            g_database.statement_text, sizeof g_database.statement_text, g_connection.board_id_text,
            {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}) ||
        !cycle.Execute(g_database.statement_text)) {
        MessageBoxA(dialog, g_database.statement_text, nullptr, MB_OK | MB_ICONERROR);
        return false;
    }
    if (mark_default &&
        ComposeSetDefaultMark(g_database.statement_text, sizeof g_database.statement_text,
                              g_connection.board_id_text))
        cycle.Execute(g_database.statement_text);
    return true;
}

enum class DuplicateCheck { Registered, Free, Failed };

// Normal mode: whether the board already has a row. A query that cannot run
// shows its text and says Failed.
DuplicateCheck CheckRegistered(HWND dialog) {
    StatementCycle cycle;
    if (!cycle.Allocate()) return DuplicateCheck::Failed;
    if (!ComposeSelectBoard(g_database.statement_text, sizeof g_database.statement_text,
                            g_connection.board_id_text) ||
        !cycle.Execute(g_database.statement_text)) {
        MessageBoxA(dialog, g_database.statement_text, nullptr, MB_OK | MB_ICONERROR);
        return DuplicateCheck::Failed;
    }
    char vid[32] = "", pid[32] = "";
    cycle.BindText(2, vid, sizeof vid);
    cycle.BindText(3, pid, sizeof pid);
    return cycle.Fetch() ? DuplicateCheck::Registered : DuplicateCheck::Free;
}

void Add(HWND dialog) {
    std::memset(g_add.selection, 0, sizeof g_add.selection);
    const LRESULT index = SendMessageA(g_add.list, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR &&
        SendMessageA(g_add.list, LB_GETTEXTLEN, index, 0) < LRESULT{sizeof g_add.selection})
        SendMessageA(g_add.list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(g_add.selection));
    if (g_add.selection[0] == 0) {
        MessageBoxA(dialog, "No Device Selected!", nullptr, MB_OK | MB_ICONERROR);
        return;
    }
    ParseBoardSelection(g_add.selection, g_connection.board_id_text, &g_connection.board_id);
    bool mark_default = true;
    if (g_add.mode == kAddDeviceNormal) {
        const DuplicateCheck check = CheckRegistered(dialog);
        if (check == DuplicateCheck::Registered) {
            MessageBoxA(dialog, "Device Already In Database!", nullptr, MB_OK | MB_ICONERROR);
            return;
        }
        // A failed duplicate check falls back to the first-run way of adding.
        mark_default = check == DuplicateCheck::Failed;
    }
    if (!InsertSelectedBoard(dialog, mark_default)) return;
    FillBoardBox(g_main.window);
    EnableWindow(GetDlgItem(g_main.window, IDC_CONNECT), TRUE);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK AddDeviceProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        g_add.list = GetDlgItem(dialog, IDC_ADD_LIST);
        g_add.mode = static_cast<AddDeviceMode>(l);
        SendDlgItemMessageA(dialog, IDC_ADD_REFRESH, BM_CLICK, 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_ADD_REFRESH) Refresh(dialog);
        if (LOWORD(w) == IDC_ADD_ADD) Add(dialog);
        if (LOWORD(w) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenAddDeviceDialog(AddDeviceMode mode) {
    DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_ADD_DEVICE), g_main.window, AddDeviceProc,
                    static_cast<LPARAM>(mode));
}
