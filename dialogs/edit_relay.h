// The Edit Relay dialog: one relay's name, notes, contact labels and
// confirmation setting, saved to table Main.
#pragma once

#include "db/board_record.h"

#include <windows.h>

struct EditRelayRequest {
    int relay;              // 1..5
    char board_id_text[5];  // the board whose row is shown and changed
    RelaySettings settings; // the relay's values when the dialog opens
};

enum class EditRelayResult { kClosed, kSaved, kOpenScripts };

// Modal over `owner`. kOpenScripts: the operator asked for the Relay Scripts
// list, which the caller opens once this dialog has gone.
EditRelayResult OpenEditRelayDialog(HINSTANCE instance, HWND owner,
                                    const EditRelayRequest& request);
