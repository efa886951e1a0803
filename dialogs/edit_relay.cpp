#include "dialogs/edit_relay.h"

#include "common/dpi.h"
#include "common/static_colour.h"
#include "common/error_box.h"
#include "common/modal_dialog.h"
#include "common/text_helpers.h"
#include "db/board_store.h"
#include "dialogs/restricted_text_field.h"
#include "resources/resource_ids.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

struct EditRelayState {
    const EditRelayRequest* request;
    HFONT header_font = nullptr; // made at each opening, released at its end
    EditRelayResult result = EditRelayResult::kClosed;
};

// Field capacities, terminator included: what a save stores at most.
constexpr int kNameCapacity = 25;
constexpr int kNotesCapacity = 512;
constexpr int kLabelCapacity = 25;

// 48 pixels high in the design, grown with the dialog's layout.
HFONT MakeHeaderFont(HWND dialog) {
    return CreateFontA(-ScaleToDialogY(dialog, 48), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

// Above 100 % the header is made as tall as its font, whose descenders the
// template's height cuts off (at 100 % it stays as it always was); the room
// below it is free down to the first field.
void FitHeader(HWND header, HFONT font) {
    WindowDc dc(header);
    SelectedObject selected(dc.get(), font);
    TEXTMETRICA metrics{};
    RECT r;
    if (!GetTextMetricsA(dc.get(), &metrics) || !GetWindowRect(header, &r)) return;
    if (metrics.tmHeight > r.bottom - r.top)
        SetWindowPos(header, nullptr, 0, 0, r.right - r.left, metrics.tmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Initialise(HWND dialog, EditRelayState& state) {
    ShowTemplatePictureForDialog(dialog, IDC_EDIT_PICTURE, IDB_EDIT_RELAY);
    state.header_font = MakeHeaderFont(dialog);
    SendDlgItemMessageA(dialog, IDC_EDIT_HEADER, WM_SETFONT,
                        reinterpret_cast<WPARAM>(state.header_font), TRUE);
    if (DialogPictureScale(dialog) > 100)
        FitHeader(GetDlgItem(dialog, IDC_EDIT_HEADER), state.header_font);
    for (int id : {IDC_EDIT_NAME, IDC_EDIT_NOTES, IDC_EDIT_NC_LABEL, IDC_EDIT_NO_LABEL})
        AttachRestrictedTextField(GetDlgItem(dialog, id));
    const int relay = state.request->relay;
    char text[32];
    std::snprintf(text, sizeof text, "Relay %d Setup", relay);
    SetDlgItemTextA(dialog, IDC_EDIT_HEADER, text);
    std::snprintf(text, sizeof text, " Edit Relay %d", relay);
    SetWindowTextA(dialog, text);
    // Stored values are shown as stored, even where they hold characters
    // the fields refuse from the keyboard.
    const RelaySettings& settings = state.request->settings;
    SetStoredText(GetDlgItem(dialog, IDC_EDIT_NAME), settings.name);
    SetStoredText(GetDlgItem(dialog, IDC_EDIT_NOTES), settings.notes);
    SetStoredText(GetDlgItem(dialog, IDC_EDIT_NC_LABEL), settings.nc_label);
    SetStoredText(GetDlgItem(dialog, IDC_EDIT_NO_LABEL), settings.no_label);
    CheckDlgButton(dialog, IDC_EDIT_CONFIRM,
                   CompareText(settings.confirm, "YES") ? BST_CHECKED : BST_UNCHECKED);
}

// Writes the fields into the board's row. "Settings Saved" only when the
// row was written; otherwise the driver's reason, and the dialog stays open
// with everything the operator typed.
bool Save(HWND dialog, const EditRelayState& state) {
    char name[kNameCapacity], notes[kNotesCapacity], nc_label[kLabelCapacity],
        no_label[kLabelCapacity];
    GetDlgItemTextA(dialog, IDC_EDIT_NAME, name, sizeof name);
    GetDlgItemTextA(dialog, IDC_EDIT_NOTES, notes, sizeof notes);
    GetDlgItemTextA(dialog, IDC_EDIT_NC_LABEL, nc_label, sizeof nc_label);
    GetDlgItemTextA(dialog, IDC_EDIT_NO_LABEL, no_label, sizeof no_label);
    const bool confirm = IsDlgButtonChecked(dialog, IDC_EDIT_CONFIRM) == BST_CHECKED;
    const DbResult saved = UpdateRelaySettings(state.request->board_id_text, state.request->relay,
                                               {notes, name, nc_label, no_label, confirm});
    if (!saved.ok) {
        ShowDatabaseError(dialog, "The relay settings were not saved.", saved.failure);
        return false;
    }
    MessageBoxA(dialog, "Settings Saved", "Relay Settings", MB_OK);
    return true;
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

void End(HWND dialog, EditRelayState& state, EditRelayResult result) {
    state.result = result;
    EndDialog(dialog, 0);
}

INT_PTR EditRelayProc(HWND dialog, EditRelayState& state, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, state);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnStaticColour(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        switch (LOWORD(w)) {
        case IDC_EDIT_SAVE:
            if (Save(dialog, state)) End(dialog, state, EditRelayResult::kSaved);
            break;
        case IDC_EDIT_CANCEL:
        case IDCANCEL:
            End(dialog, state, EditRelayResult::kClosed);
            break;
        case IDC_EDIT_SCRIPTS: // unsaved edits are dropped
            End(dialog, state, EditRelayResult::kOpenScripts);
            break;
        }
        return TRUE;
    case WM_CLOSE:
        End(dialog, state, EditRelayResult::kClosed);
        return TRUE;
    case WM_DESTROY:
        ReleaseTemplatePicture(dialog, IDC_EDIT_PICTURE);
        if (state.header_font) DeleteObject(state.header_font);
        state.header_font = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

EditRelayResult OpenEditRelayDialog(HINSTANCE instance, HWND owner,
                                    const EditRelayRequest& request) {
    if (request.relay < 1 || request.relay > 5) return EditRelayResult::kClosed;
    EditRelayState state{};
    state.request = &request;
    ShowModalDialog<EditRelayState, EditRelayProc>(instance, IDD_EDIT_RELAY, owner, state);
    return state.result;
}
