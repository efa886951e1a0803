// The Execute Relay Script dialog: runs one script against a board and
// writes its log. The run is driven by timers on the user-interface thread,
// so the program stays responsive and keeps polling; closing the dialog
// stops the run before its next command.
#pragma once

#include "db/board_record.h"
#include "db/script_row.h"

#include <windows.h>

#include <cstdint>

struct ScriptRunRequest {
    ScriptRow row;               // the script as the list read it
    uint32_t board_id;           // the board the commands go to
    const RelaySettings* relays; // the five relays' current names and labels
};

// Modal, owned by `owner` (the Relay Scripts list).
void OpenScriptExecutor(HINSTANCE instance, HWND owner, const ScriptRunRequest& request);
