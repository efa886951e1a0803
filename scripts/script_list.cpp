#include "scripts/script_list.h"

#include "app/app_state.h"
#include "app/connection.h"
#include "db/database.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "scripts/script_editor.h"
#include "scripts/script_executor.h"
#include "scripts/script_table.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

// How a showing of the list ended: what comes next.
enum ListResult { kListDone = 1, kListAgain, kListAdd, kListEdit };

enum ImageButton { kExecuteImage = 0, kDeleteImage = 1, kEditImage = 2 };

// Data sizes of the fixed-size columns: what one cell holds, terminator
// included (an ID of up to ten digits; the whole of every stored text).
constexpr int32_t kIdSize = 11, kNameSize = 149, kDescriptionSize = 249,
                  kCommandsSize = kCommandsTextSize;

struct ListState {
    HWND dialog = nullptr;
    HWND grid = nullptr;
    HIMAGELIST images = nullptr; // owned by the showing, destroyed when it ends
    ScriptRow chosen{};          // the row handed to the editor
};
ListState g_list;

void SetUpGrid() {
    SendMessageA(g_list.grid, GRM_SETBACKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(g_list.grid, GRM_SETLINECOLOR, RGB(128, 128, 128), 0);
    SendMessageA(g_list.grid, GRM_SETTEXTCOLOR, RGB(0, 0, 128), 0);
    g_list.images = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 3, 0);
    HBITMAP buttons = LoadBitmapA(g_main.instance, MAKEINTRESOURCEA(IDB_SCRIPT_BUTTONS));
    ImageList_AddMasked(g_list.images, buttons, RGB(255, 255, 255));
    DeleteObject(buttons);
    SendMessageA(g_list.grid, GRM_SETROWHEIGHT, 0, 20);
    const uintptr_t images = reinterpret_cast<uintptr_t>(g_list.images);
    AddGridColumn(g_list.grid, GCT_DATA, 70, "ID", GCA_CENTER, kIdSize);
    AddGridColumn(g_list.grid, GCT_DATA, 175, "Name", GCA_LEFT, kNameSize);
    AddGridColumn(g_list.grid, GCT_DATA, 276, "Description", GCA_LEFT, kDescriptionSize);
    AddGridColumn(g_list.grid, GCT_IMAGE, 50, "Edit", GCA_CENTER, 0, nullptr, images);
    AddGridColumn(g_list.grid, GCT_IMAGE, 50, "Delete", GCA_CENTER, 0, nullptr, images);
    AddGridColumn(g_list.grid, GCT_IMAGE, 50, "Execute", GCA_CENTER, 0, nullptr, images);
    // the script's codes, hidden
    AddGridColumn(g_list.grid, GCT_DATA, 0, nullptr, GCA_LEFT, kCommandsSize, nullptr, images);
}

void LoadRows() {
    ReadBoardSelection();
    if (!ComposeSelectScripts(g_database.statement_text, sizeof g_database.statement_text,
                              g_connection.board_id_text))
        return;
    StatementCycle cycle;
    if (!cycle.Allocate() || !cycle.Execute(g_database.statement_text)) return;
    // Fixed-size cells copy exactly their size, so each value is handed over
    // in a zero-filled buffer at least that large.
    char id[32], pid[32], name[kNameSize], description[kDescriptionSize], commands[kCommandsSize];
    cycle.BindText(1, id, sizeof id);
    cycle.BindText(2, pid, sizeof pid);
    cycle.BindText(3, name, 32);
    cycle.BindText(4, description, 128);
    cycle.BindText(5, commands, sizeof commands);
    for (;;) {
        std::memset(id, 0, sizeof id);
        std::memset(name, 0, sizeof name);
        std::memset(description, 0, sizeof description);
        std::memset(commands, 0, sizeof commands);
        if (!cycle.Fetch()) break;
        const LPARAM values[7] = {reinterpret_cast<LPARAM>(id),
                                  reinterpret_cast<LPARAM>(name),
                                  reinterpret_cast<LPARAM>(description),
                                  kEditImage,
                                  kDeleteImage,
                                  kExecuteImage,
                                  reinterpret_cast<LPARAM>(commands)};
        SendMessageA(g_list.grid, GRM_ADDROW, 0, reinterpret_cast<LPARAM>(values));
    }
}

void ReadCell(int column, int row, char* out, size_t size) {
    char cell[kCommandsSize + 1] = "";
    SendMessageA(g_list.grid, GRM_GETCELLDATA, GridCell(column, row),
                 reinterpret_cast<LPARAM>(cell));
    cell[sizeof cell - 1] = 0;
    std::snprintf(out, size, "%s", cell);
}

ScriptRow CurrentRow() {
    ScriptRow row{};
    const int current = static_cast<int>(SendMessageA(g_list.grid, GRM_GETCURRENTROW, 0, 0));
    ReadCell(0, current, row.id, sizeof row.id);
    ReadCell(1, current, row.name, sizeof row.name);
    ReadCell(2, current, row.description, sizeof row.description);
    ReadCell(6, current, row.commands, sizeof row.commands);
    return row;
}

bool Ask(const char* question, const char* id) {
    char text[96];
    std::snprintf(text, sizeof text, "%s%s ?", question, id);
    return MessageBoxA(g_list.dialog, text, kDatabaseCaption, MB_YESNO) == IDYES;
}

// An Edit, Delete or Execute cell was activated (double click or a key); the
// grid has made its row current.
void OnImageClick(int32_t image) {
    const ScriptRow row = CurrentRow();
    switch (image) {
    case kDeleteImage:
        if (!Ask("Delete Script Number ", row.id)) return;
        std::memset(g_database.large_statement_text, 0, sizeof g_database.large_statement_text);
        if (ComposeDeleteScript(g_database.large_statement_text,
                                sizeof g_database.large_statement_text, row.id))
            RunStatement(g_database.large_statement_text);
        RefreshRelayLabels();
        EndDialog(g_list.dialog, kListDone);
        break;
    case kEditImage:
        g_list.chosen = row;
        EndDialog(g_list.dialog, kListEdit);
        break;
    case kExecuteImage:
        if (!Ask("Execute Script Number ", row.id)) return;
        OpenScriptExecutor(g_list.dialog, row);
        EndDialog(g_list.dialog, kListAgain);
        break;
    }
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        g_list.dialog = dialog;
        g_list.grid = GetDlgItem(dialog, IDC_LIST_GRID);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_main.icon));
        SetUpGrid();
        LoadRows();
        return TRUE;
    case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const GRIDNOTIFY*>(l);
        if (w == IDC_LIST_GRID && notify->hdr.code == GRN_IMAGECLICK && notify->data)
            OnImageClick(*static_cast<const int32_t*>(notify->data));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_LIST_CLOSE || LOWORD(w) == IDCANCEL) EndDialog(dialog, kListDone);
        if (LOWORD(w) == IDC_LIST_REFRESH) EndDialog(dialog, kListAgain);
        if (LOWORD(w) == IDC_LIST_ADD) EndDialog(dialog, kListAdd);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, kListDone);
        return TRUE;
    case WM_DESTROY:
        if (g_list.images) ImageList_Destroy(g_list.images);
        g_list.images = nullptr;
        return TRUE;
    }
    return FALSE;
}

ListResult ShowList(HWND owner) {
    const INT_PTR result =
        DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_SCRIPT_LIST), owner, ListProc, 0);
    return result == kListAgain || result == kListAdd || result == kListEdit
               ? static_cast<ListResult>(result)
               : kListDone;
}

} // namespace

// The list closes for every action and the flow goes on from here (reopening
// it, or the editor), so repeated actions never nest dialogs deeper.
void OpenRelayScriptsList(HWND owner) {
    for (HWND list_owner = owner;; list_owner = g_main.window) {
        switch (ShowList(list_owner)) {
        case kListDone:
            return;
        case kListAgain:
            break;
        case kListAdd:
            if (!OpenScriptEditor(kEditorAdd, nullptr)) return;
            break;
        case kListEdit: {
            const ScriptRow row = g_list.chosen;
            if (!OpenScriptEditor(kEditorEdit, &row)) return;
            break;
        }
        }
    }
}
