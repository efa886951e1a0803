#include "scripts/script_list.h"

#include "common/dpi.h"
#include "common/error_box.h"
#include "common/modal_dialog.h"
#include "common/system/comctl32.h"
#include "db/script_store.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"
#include "scripts/script_editor.h"
#include "scripts/script_executor.h"

#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// How a showing of the list ended: what comes next.
enum class ListResult { kDone, kDeleted, kAgain, kAdd, kEdit };

enum ImageButton { kExecuteImage = 0, kDeleteImage = 1, kEditImage = 2 };

// Data sizes of the fixed-size columns: what one cell holds, terminator
// included (an ID of up to ten digits; the whole of every stored text).
constexpr int32_t kIdSize = 11, kNameSize = 149, kDescriptionSize = 249,
                  kCommandsSize = kCommandsTextSize;
constexpr int kListColumns = 7;
// Pixels of the design, grown with the dialog's layout.
constexpr int kHeaderHeight = 18;
constexpr int kRowHeight = 20;
constexpr int kButtonImageSize = 16; // each of the three images of the buttons picture

struct ListState {
    HINSTANCE instance;
    const ScriptListRequest* request;
    HWND dialog = nullptr;
    HWND grid = nullptr;
    HIMAGELIST images = nullptr; // owned by the showing, destroyed when it ends
    ListResult result = ListResult::kDone;
    ScriptRow chosen{}; // the row handed to the editor
};

void SetUpGrid(ListState& state) {
    HWND grid = state.grid;
    SendMessageA(grid, GRM_SETBACKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(grid, GRM_SETLINECOLOR, RGB(128, 128, 128), 0);
    SendMessageA(grid, GRM_SETTEXTCOLOR, RGB(0, 0, 128), 0);
    // The buttons picture of the dialog's set: its images are as much larger.
    HWND dialog = state.dialog;
    const int image_size = kButtonImageSize * DialogPictureScale(dialog) / 100;
    state.images =
        Comctl32Dll().ImageList_Create(image_size, image_size, ILC_COLOR8 | ILC_MASK, 3, 0);
    HBITMAP buttons = LoadPictureForDialog(dialog, IDB_SCRIPT_BUTTONS);
    Comctl32Dll().ImageList_AddMasked(state.images, buttons, RGB(255, 255, 255));
    DeleteObject(buttons);
    SendMessageA(grid, GRM_SETHEADERHEIGHT, 0, ScaleToDialogY(dialog, kHeaderHeight));
    SendMessageA(grid, GRM_SETROWHEIGHT, 0, ScaleToDialogY(dialog, kRowHeight));
    const uintptr_t images = reinterpret_cast<uintptr_t>(state.images);
    auto width = [dialog](int pixels) { return ScaleToDialogX(dialog, pixels); };
    AddGridColumn(grid, GCT_DATA, width(40), "ID", GCA_CENTER, kIdSize);
    AddGridColumn(grid, GCT_DATA, width(175), "Name", GCA_LEFT, kNameSize);
    AddGridColumn(grid, GCT_DATA, width(326), "Description", GCA_LEFT, kDescriptionSize);
    AddGridColumn(grid, GCT_IMAGE, width(50), "Edit", GCA_CENTER, 0, nullptr, images);
    AddGridColumn(grid, GCT_IMAGE, width(50), "Delete", GCA_CENTER, 0, nullptr, images);
    AddGridColumn(grid, GCT_IMAGE, width(50), "Execute", GCA_CENTER, 0, nullptr, images);
    // the script's codes, hidden
    AddGridColumn(grid, GCT_DATA, 0, nullptr, GCA_LEFT, kCommandsSize, nullptr, images);
}

// Fills the grid with the board's scripts. A list that cannot be read says
// so: an empty grid would look like a board without scripts.
void LoadRows(const ListState& state) {
    std::vector<ScriptRow> scripts;
    const DbResult listed = ListScripts(state.request->board_id_text, &scripts);
    if (!listed.ok) {
        ShowDatabaseError(state.dialog, "The relay scripts could not be read.", listed.failure);
        return;
    }
    for (const ScriptRow& script : scripts) {
        // Fixed-size cells copy exactly their size, so each value is handed
        // over in a zero-filled buffer at least that large.
        char id[kIdSize] = {}, name[kNameSize] = {}, description[kDescriptionSize] = {},
             commands[kCommandsSize] = {};
        std::memcpy(id, script.id, std::min(sizeof id - 1, std::strlen(script.id)));
        std::memcpy(name, script.name, std::strlen(script.name));
        std::memcpy(description, script.description, std::strlen(script.description));
        std::memcpy(commands, script.commands, std::strlen(script.commands));
        const LPARAM values[kListColumns] = {reinterpret_cast<LPARAM>(id),
                                             reinterpret_cast<LPARAM>(name),
                                             reinterpret_cast<LPARAM>(description),
                                             kEditImage,
                                             kDeleteImage,
                                             kExecuteImage,
                                             reinterpret_cast<LPARAM>(commands)};
        SendMessageA(state.grid, GRM_ADDROW, 0, reinterpret_cast<LPARAM>(values));
    }
}

void ReadCell(HWND grid, int column, int row, char* out, size_t size) {
    char cell[kCommandsSize + 1] = "";
    SendMessageA(grid, GRM_GETCELLDATA, GridCell(column, row), reinterpret_cast<LPARAM>(cell));
    cell[sizeof cell - 1] = 0;
    std::snprintf(out, size, "%s", cell);
}

ScriptRow CurrentRow(HWND grid) {
    ScriptRow row{};
    const int current = static_cast<int>(SendMessageA(grid, GRM_GETCURRENTROW, 0, 0));
    ReadCell(grid, 0, current, row.id, sizeof row.id);
    ReadCell(grid, 1, current, row.name, sizeof row.name);
    ReadCell(grid, 2, current, row.description, sizeof row.description);
    ReadCell(grid, 6, current, row.commands, sizeof row.commands);
    return row;
}

bool Ask(HWND dialog, const char* question, const char* id) {
    char text[96];
    std::snprintf(text, sizeof text, "%s%s ?", question, id);
    return MessageBoxA(dialog, text, kErrorCaption, MB_YESNO) == IDYES;
}

void End(ListState& state, ListResult result) {
    state.result = result;
    EndDialog(state.dialog, 0);
}

// Deletes the script; the list closes only when it is gone.
void RemoveScript(ListState& state, const ScriptRow& row) {
    const DbResult deleted = DeleteScript(row.id);
    if (!deleted.ok) {
        ShowDatabaseError(state.dialog, "The relay script was not deleted.", deleted.failure);
        return;
    }
    End(state, ListResult::kDeleted);
}

// An Edit, Delete or Execute cell was activated (double click or a key); the
// grid has made its row current.
void OnImageClick(ListState& state, int32_t image) {
    const ScriptRow row = CurrentRow(state.grid);
    switch (image) {
    case kDeleteImage:
        if (Ask(state.dialog, "Delete Script Number ", row.id)) RemoveScript(state, row);
        break;
    case kEditImage:
        state.chosen = row;
        End(state, ListResult::kEdit);
        break;
    case kExecuteImage:
        if (!Ask(state.dialog, "Execute Script Number ", row.id)) return;
        OpenScriptExecutor(state.instance, state.dialog,
                           {row, state.request->board_id, state.request->relays});
        End(state, ListResult::kAgain);
        break;
    }
}

INT_PTR ListProc(HWND dialog, ListState& state, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        state.dialog = dialog;
        state.grid = GetDlgItem(dialog, IDC_LIST_GRID);
        SendMessageA(
            dialog, WM_SETICON, ICON_BIG,
            reinterpret_cast<LPARAM>(LoadIconA(state.instance, MAKEINTRESOURCEA(IDI_PELLAM))));
        ShowTemplatePictureForDialog(dialog, IDC_LIST_PICTURE, IDB_SCRIPTS);
        SetUpGrid(state);
        LoadRows(state);
        return TRUE;
    case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const GRIDNOTIFY*>(l);
        if (w == IDC_LIST_GRID && notify->hdr.code == GRN_IMAGECLICK && notify->data)
            OnImageClick(state, *static_cast<const int32_t*>(notify->data));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_LIST_CLOSE || LOWORD(w) == IDCANCEL) End(state, ListResult::kDone);
        if (LOWORD(w) == IDC_LIST_REFRESH) End(state, ListResult::kAgain);
        if (LOWORD(w) == IDC_LIST_ADD) End(state, ListResult::kAdd);
        return TRUE;
    case WM_CLOSE:
        End(state, ListResult::kDone);
        return TRUE;
    case WM_DESTROY:
        ReleaseTemplatePicture(dialog, IDC_LIST_PICTURE);
        if (state.images) Comctl32Dll().ImageList_Destroy(state.images);
        state.images = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

// The list closes for every action and the flow goes on from here (reopening
// it, or the editor), so repeated actions never nest dialogs deeper.
bool OpenRelayScriptsList(HINSTANCE instance, HWND owner, const ScriptListRequest& request) {
    for (;;) {
        ListState state{};
        state.instance = instance;
        state.request = &request;
        ShowModalDialog<ListState, ListProc>(instance, IDD_SCRIPT_LIST, owner, state);
        ScriptEditorRequest editor{};
        switch (state.result) {
        case ListResult::kDone:
            return false;
        case ListResult::kDeleted:
            return true;
        case ListResult::kAgain:
            continue;
        case ListResult::kAdd:
        case ListResult::kEdit:
            editor.mode = state.result == ListResult::kEdit ? kEditorEdit : kEditorAdd;
            editor.row = state.chosen;
            std::memcpy(editor.board_id_text, request.board_id_text, sizeof editor.board_id_text);
            editor.relays = request.relays;
            if (OpenScriptEditor(instance, owner, editor) == ScriptEditorResult::kSaved)
                return true;
            continue;
        }
    }
}
