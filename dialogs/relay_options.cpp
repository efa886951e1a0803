#include "dialogs/relay_options.h"

#include "common/modal_dialog.h"
#include "devlib/pellam_dll.h"
#include "devlib/protocol.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLedCount = 6; // relays 1-5 and the heartbeat: mask bits 0-5

struct OptionsState {
    const RelayOptionsRequest* request;
};

void Initialise(HWND dialog, const RelayOptionsRequest& request) {
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(request.icon));
    for (int bit = 0; bit < kLedCount; ++bit)
        if (request.led_mask & (1u << bit))
            CheckDlgButton(dialog, IDC_OPTION_RELAY1_LED + bit, BST_CHECKED);
}

void SendMask(HWND dialog, const RelayOptionsRequest& request) {
    uint32_t mask = 0;
    for (int bit = 0; bit < kLedCount; ++bit)
        if (IsDlgButtonChecked(dialog, IDC_OPTION_RELAY1_LED + bit) == BST_CHECKED)
            mask |= 1u << bit;
    WritePellam(request.board_id, kWriteLedMask, mask);
    EndDialog(dialog, 0);
}

INT_PTR OptionsProc(HWND dialog, OptionsState& state, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog, *state.request);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_OPTION_OK) SendMask(dialog, *state.request);
        if (LOWORD(w) == IDC_OPTION_CANCEL || LOWORD(w) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenRelayOptionsDialog(HINSTANCE instance, HWND owner, const RelayOptionsRequest& request) {
    // Without a connection there is no board to set: only the refusal shows,
    // the dialog itself never appears.
    if (!request.connected) {
        MessageBoxA(owner, "Connect to a Relay Board first!", nullptr, MB_OK);
        return;
    }
    OptionsState state{&request};
    ShowModalDialog<OptionsState, OptionsProc>(instance, IDD_RELAY_OPTIONS, owner, state);
}
