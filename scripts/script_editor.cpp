#include "scripts/script_editor.h"

#include "common/error_box.h"
#include "common/modal_dialog.h"
#include "db/script_store.h"
#include "dialogs/restricted_text_field.h"
#include "scripts/command_codes.h"
#include "resources/resource_ids.h"

#include <cstring>

namespace {

struct EditorState {
    const ScriptEditorRequest* request;
    ScriptEditorResult result = ScriptEditorResult::kCancelled;
};

constexpr int kNameCapacity = 20;  // 19 characters are saved
constexpr int kNoteCapacity = 128; // 127 characters are saved

// Each list entry carries its command's table index as item data: the text
// is for showing only, so entries that read alike (a relay whose two labels
// are equal, or empty) keep their own codes.
void AddCommand(HWND list, int index, const RelaySettings* relays) {
    char text[kCommandTextSize];
    CommandText(index, relays, text);
    const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, at, index);
}

void FillAvailableCommands(HWND dialog, const RelaySettings* relays) {
    HWND list = GetDlgItem(dialog, IDC_EDITOR_AVAILABLE);
    for (int i = 0; i < kCommandCount; ++i)
        AddCommand(list, i, relays);
}

void Initialise(HWND dialog, const ScriptEditorRequest& request) {
    AttachRestrictedTextField(GetDlgItem(dialog, IDC_EDITOR_NAME));
    AttachRestrictedTextField(GetDlgItem(dialog, IDC_EDITOR_NOTE));
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(
                     LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PELLAM))));
    FillAvailableCommands(dialog, request.relays);
    if (request.mode == kEditorEdit) {
        SetWindowTextA(dialog, "EDIT Existing Relay Script");
        SetStoredText(GetDlgItem(dialog, IDC_EDITOR_NAME), request.row.name);
        SetStoredText(GetDlgItem(dialog, IDC_EDITOR_NOTE), request.row.description);
        SetDlgItemTextA(dialog, IDC_EDITOR_ID, request.row.id);
        HWND selected = GetDlgItem(dialog, IDC_EDITOR_SELECTED);
        WalkScriptCommands(request.row.commands,
                           [&](int index) { AddCommand(selected, index, request.relays); });
    } else {
        SetWindowTextA(dialog, "ADD New Relay Script");
    }
}

// The command of list entry `at`, or -1.
int CommandAt(HWND list, LRESULT at) {
    const LRESULT index = SendMessageA(list, LB_GETITEMDATA, at, 0);
    return index >= 0 && index < kCommandCount ? static_cast<int>(index) : -1;
}

void AddSelectedCommand(HWND dialog, const RelaySettings* relays) {
    HWND available = GetDlgItem(dialog, IDC_EDITOR_AVAILABLE);
    const int index = CommandAt(available, SendMessageA(available, LB_GETCURSEL, 0, 0));
    if (index >= 0) AddCommand(GetDlgItem(dialog, IDC_EDITOR_SELECTED), index, relays);
}

void RemoveSelectedCommand(HWND dialog) {
    HWND selected = GetDlgItem(dialog, IDC_EDITOR_SELECTED);
    const LRESULT index = SendMessageA(selected, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR) SendMessageA(selected, LB_DELETESTRING, index, 0);
}

bool Refuse(HWND dialog, const char* text) {
    MessageBoxA(dialog, text, kErrorCaption, MB_OK | MB_ICONERROR);
    return false;
}

bool Save(HWND dialog, const ScriptEditorRequest& request) {
    char name[kNameCapacity] = "", note[kNoteCapacity] = "";
    GetDlgItemTextA(dialog, IDC_EDITOR_NAME, name, sizeof name);
    if (!name[0]) return Refuse(dialog, "Enter a Name for this Script !");
    GetDlgItemTextA(dialog, IDC_EDITOR_NOTE, note, sizeof note);
    if (!note[0]) return Refuse(dialog, "Enter a Note for this Script !");
    HWND selected = GetDlgItem(dialog, IDC_EDITOR_SELECTED);
    const LRESULT count = SendMessageA(selected, LB_GETCOUNT, 0, 0);
    if (count <= 0) return Refuse(dialog, "Enter Commands for this Script !");
    if (count > kMaxScriptCommands) return Refuse(dialog, "UNDOCUMENTED ERROR !");
    char commands[kCommandsTextSize] = "";
    for (LRESULT i = 0; i < count; ++i)
        AppendCommandCode(CommandAt(selected, i), commands, sizeof commands);
    const DbResult saved =
        request.mode == kEditorEdit
            ? UpdateScript(request.board_id_text, name, note, commands, request.row.id)
            : InsertScript(request.board_id_text, name, note, commands);
    if (!saved.ok) {
        ShowDatabaseError(dialog, "The relay script was not saved.", saved.failure);
        return false;
    }
    MessageBoxA(dialog, "Relay Script Saved", "Relay Script", MB_OK);
    return true;
}

void End(HWND dialog, EditorState& state, ScriptEditorResult result) {
    state.result = result;
    EndDialog(dialog, 0);
}

INT_PTR EditorProc(HWND dialog, EditorState& state, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, *state.request);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(w), code = HIWORD(w);
        if (id == IDC_EDITOR_AVAILABLE && code == LBN_DBLCLK)
            AddSelectedCommand(dialog, state.request->relays);
        if (id == IDC_EDITOR_SELECTED && code == LBN_DBLCLK) RemoveSelectedCommand(dialog);
        if (code != BN_CLICKED) return TRUE;
        if (id == IDC_EDITOR_ADD) AddSelectedCommand(dialog, state.request->relays);
        if (id == IDC_EDITOR_REMOVE) RemoveSelectedCommand(dialog);
        if (id == IDC_EDITOR_SAVE && Save(dialog, *state.request))
            End(dialog, state, ScriptEditorResult::kSaved);
        if (id == IDC_EDITOR_CANCEL || id == IDCANCEL)
            End(dialog, state, ScriptEditorResult::kCancelled);
        return TRUE;
    }
    case WM_CLOSE:
        End(dialog, state, ScriptEditorResult::kCancelled);
        return TRUE;
    }
    return FALSE;
}

} // namespace

ScriptEditorResult OpenScriptEditor(HINSTANCE instance, HWND owner,
                                    const ScriptEditorRequest& request) {
    EditorState state{};
    state.request = &request;
    ShowModalDialog<EditorState, EditorProc>(instance, IDD_SCRIPT_EDITOR, owner, state);
    return state.result;
}
