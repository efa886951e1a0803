#include "dialogs/edit_relay.h"

#include "app/app_state.h"
#include "app/connection.h"
#include "app/static_colour.h"
#include "common/text_helpers.h"
#include "db/board_table.h"
#include "db/database.h"
#include "dialogs/restricted_text_field.h"
#include "resources/resource_ids.h"
#include "scripts/script_list.h"

#include <cstdio>
#include <initializer_list>
#include <cstring>

namespace {

struct EditRelayState {
    int relay = 1;
    HFONT header_font = nullptr; // made at each opening, released at its end
};
EditRelayState g_edit;

// Field capacities, terminator included: what a save stores at most.
constexpr int kNameCapacity = 25;
constexpr int kNotesCapacity = 512;
constexpr int kLabelCapacity = 25;

HFONT MakeHeaderFont() {
    return CreateFontA(-48, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

void Initialise(HWND dialog, int relay) {
    g_edit.header_font = MakeHeaderFont();
    SendDlgItemMessageA(dialog, IDC_EDIT_HEADER, WM_SETFONT,
                        reinterpret_cast<WPARAM>(g_edit.header_font), TRUE);
    for (int id : {IDC_EDIT_NAME, IDC_EDIT_NOTES, IDC_EDIT_NC_LABEL, IDC_EDIT_NO_LABEL})
        AttachRestrictedTextField(GetDlgItem(dialog, id));
    g_edit.relay = relay;
    char text[32];
    std::snprintf(text, sizeof text, "Relay %d Setup", relay);
    SetDlgItemTextA(dialog, IDC_EDIT_HEADER, text);
    std::snprintf(text, sizeof text, " Edit Relay %d", relay);
    SetWindowTextA(dialog, text);
    const RelaySettings& settings = g_board_record.relays[relay - 1];
    SetDlgItemTextA(dialog, IDC_EDIT_NAME, settings.name);
    SetDlgItemTextA(dialog, IDC_EDIT_NOTES, settings.notes);
    SetDlgItemTextA(dialog, IDC_EDIT_NC_LABEL, settings.nc_label);
    SetDlgItemTextA(dialog, IDC_EDIT_NO_LABEL, settings.no_label);
    CheckDlgButton(dialog, IDC_EDIT_CONFIRM,
                   CompareText(settings.confirm, "YES") ? BST_CHECKED : BST_UNCHECKED);
}

void Save(HWND dialog) {
    std::memset(g_database.large_statement_text, 0, sizeof g_database.large_statement_text);
    ReadBoardSelection();
    char name[kNameCapacity], notes[kNotesCapacity], nc_label[kLabelCapacity],
        no_label[kLabelCapacity];
    GetDlgItemTextA(dialog, IDC_EDIT_NAME, name, sizeof name);
    GetDlgItemTextA(dialog, IDC_EDIT_NOTES, notes, sizeof notes);
    GetDlgItemTextA(dialog, IDC_EDIT_NC_LABEL, nc_label, sizeof nc_label);
    GetDlgItemTextA(dialog, IDC_EDIT_NO_LABEL, no_label, sizeof no_label);
    const bool confirm = IsDlgButtonChecked(dialog, IDC_EDIT_CONFIRM) == BST_CHECKED;
    if (ComposeUpdateRelaySettings(
            g_database.large_statement_text, sizeof g_database.large_statement_text, g_edit.relay,
            {notes, name, nc_label, no_label, confirm}, g_connection.board_id_text))
        RunStatement(g_database.large_statement_text);
    RefreshRelayLabels();
    MessageBoxA(dialog, "Settings Saved", "Relay Settings", MB_OK);
    EndDialog(dialog, 0);
}

// Header and field labels blue, the two explanations red, on the button face.
INT_PTR OnStaticColour(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    COLORREF colour;
    if (id == IDC_EDIT_HEADER || id == IDC_EDIT_NAME_LABEL || id == IDC_EDIT_NOTES_LABEL)
        colour = RGB(0, 0, 255);
    else if (id == IDC_EDIT_NC_EXPLAIN || id == IDC_EDIT_NO_EXPLAIN)
        colour = RGB(255, 0, 0);
    else
        return FALSE;
    return ColouredStaticText(dc, colour);
}

INT_PTR CALLBACK EditRelayProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, static_cast<int>(l));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnStaticColour(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        switch (LOWORD(w)) {
        case IDC_EDIT_SAVE:
            Save(dialog);
            break;
        case IDC_EDIT_CANCEL:
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_EDIT_SCRIPTS:
            // Unsaved edits are dropped; the list opens over this closing dialog.
            EndDialog(dialog, 0);
            OpenRelayScriptsList(dialog);
            SetFocus(g_main.window);
            break;
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        if (g_edit.header_font) DeleteObject(g_edit.header_font);
        g_edit.header_font = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenEditRelayDialog(int relay) {
    if (relay < 1 || relay > kRelayCount) return;
    DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_EDIT_RELAY), g_main.window, EditRelayProc,
                    relay);
}
