#include "dialogs/relay_options.h"

#include "app/app_state.h"
#include "devlib/pellam_dll.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLedCount = 6; // relays 1-5 and the heartbeat: mask bits 0-5

void Initialise(HWND dialog) {
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_main.icon));
    for (int bit = 0; bit < kLedCount; ++bit)
        if (g_connection.led_mask & (1u << bit))
            CheckDlgButton(dialog, IDC_OPTION_RELAY1_LED + bit, BST_CHECKED);
}

void SendMask(HWND dialog) {
    uint32_t mask = 0;
    for (int bit = 0; bit < kLedCount; ++bit)
        if (IsDlgButtonChecked(dialog, IDC_OPTION_RELAY1_LED + bit) == BST_CHECKED)
            mask |= 1u << bit;
    WritePellam(g_connection.board_id, 11, mask);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK RelayOptionsProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_OPTION_OK) SendMask(dialog);
        if (LOWORD(w) == IDC_OPTION_CANCEL || LOWORD(w) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenRelayOptionsDialog() {
    // Without a connection there is no board to set: only the refusal shows,
    // the dialog itself never appears.
    if (!g_connection.connected) {
        MessageBoxA(g_main.window, "Connect to a Relay Board first!", nullptr, MB_OK);
        return;
    }
    DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_RELAY_OPTIONS), g_main.window,
                    RelayOptionsProc, 0);
}
