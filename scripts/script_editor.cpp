#include "scripts/script_editor.h"

#include "app/app_state.h"
#include "app/connection.h"
#include "db/board_table.h"
#include "db/database.h"
#include "dialogs/restricted_text_field.h"
#include "resources/resource_ids.h"

#include <cstring>

namespace {

struct EditorState {
    ScriptEditorMode mode = kEditorAdd;
    ScriptRow row{};
};
EditorState g_editor;

enum EditorResult { kSaved = 1, kCancelled = 2 };

constexpr int kNameCapacity = 20;  // 19 characters are saved
constexpr int kNoteCapacity = 128; // 127 characters are saved

void AddCommandText(HWND list, int index) {
    char text[kCommandTextSize];
    CommandText(index, g_board_record.relays, text);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void FillAvailableCommands(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_EDITOR_AVAILABLE);
    for (int i = 0; i < kCommandCount; ++i)
        AddCommandText(list, i);
}

void Initialise(HWND dialog, ScriptEditorMode mode) {
    g_editor.mode = mode;
    AttachRestrictedTextField(GetDlgItem(dialog, IDC_EDITOR_NAME));
    AttachRestrictedTextField(GetDlgItem(dialog, IDC_EDITOR_NOTE));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_main.icon));
    FillAvailableCommands(dialog);
    if (mode == kEditorEdit) {
        SetWindowTextA(dialog, "EDIT Existing Relay Script");
        SetDlgItemTextA(dialog, IDC_EDITOR_NAME, g_editor.row.name);
        SetDlgItemTextA(dialog, IDC_EDITOR_NOTE, g_editor.row.description);
        SetDlgItemTextA(dialog, IDC_EDITOR_ID, g_editor.row.id);
        HWND selected = GetDlgItem(dialog, IDC_EDITOR_SELECTED);
        WalkScriptCommands(g_editor.row.commands,
                           [selected](int index) { AddCommandText(selected, index); });
    } else {
        SetWindowTextA(dialog, "ADD New Relay Script");
    }
}

void AddSelectedCommand(HWND dialog) {
    HWND available = GetDlgItem(dialog, IDC_EDITOR_AVAILABLE);
    const LRESULT index = SendMessageA(available, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    char text[kCommandTextSize] = "";
    if (SendMessageA(available, LB_GETTEXTLEN, index, 0) >= LRESULT{sizeof text}) return;
    SendMessageA(available, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageA(dialog, IDC_EDITOR_SELECTED, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(text));
}

void RemoveSelectedCommand(HWND dialog) {
    HWND selected = GetDlgItem(dialog, IDC_EDITOR_SELECTED);
    const LRESULT index = SendMessageA(selected, LB_GETCURSEL, 0, 0);
    if (index != LB_ERR) SendMessageA(selected, LB_DELETESTRING, index, 0);
}

bool Refuse(HWND dialog, const char* text) {
    MessageBoxA(dialog, text, kDatabaseCaption, MB_OK | MB_ICONERROR);
    return false;
}

bool Save(HWND dialog) {
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
    for (LRESULT i = 0; i < count; ++i) {
        char text[kCommandTextSize] = "";
        if (SendMessageA(selected, LB_GETTEXTLEN, i, 0) < LRESULT{sizeof text})
            SendMessageA(selected, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        EncodeScriptCommand(text, g_board_record.relays, commands, sizeof commands);
    }
    ReadBoardSelection();
    char* statement = g_database.large_statement_text;
    std::memset(statement, 0, sizeof g_database.large_statement_text);
    const bool composed =
        g_editor.mode == kEditorEdit
            ? ComposeUpdateScript(statement, sizeof g_database.large_statement_text,
                                  g_connection.board_id_text, name, note, commands, g_editor.row.id)
            : ComposeInsertScript(statement, sizeof g_database.large_statement_text,
                                  g_connection.board_id_text, name, note, commands);
    if (composed) RunStatement(statement);
    RefreshRelayLabels();
    MessageBoxA(dialog, "Relay Script Saved", "Relay Script", MB_OK);
    return true;
}

INT_PTR CALLBACK EditorProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, static_cast<ScriptEditorMode>(l));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(w), code = HIWORD(w);
        if (id == IDC_EDITOR_AVAILABLE && code == LBN_DBLCLK) AddSelectedCommand(dialog);
        if (id == IDC_EDITOR_SELECTED && code == LBN_DBLCLK) RemoveSelectedCommand(dialog);
        if (code != BN_CLICKED) return TRUE;
        if (id == IDC_EDITOR_ADD) AddSelectedCommand(dialog);
        if (id == IDC_EDITOR_REMOVE) RemoveSelectedCommand(dialog);
        if (id == IDC_EDITOR_SAVE && Save(dialog)) EndDialog(dialog, kSaved);
        if (id == IDC_EDITOR_CANCEL || id == IDCANCEL) EndDialog(dialog, kCancelled);
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(dialog, kCancelled);
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool OpenScriptEditor(ScriptEditorMode mode, const ScriptRow* row) {
    g_editor.row = row ? *row : ScriptRow{};
    return DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_SCRIPT_EDITOR), g_main.window,
                           EditorProc, mode) == kCancelled;
}
