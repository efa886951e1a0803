// The Relay Scripts list of a board, and the flows it leads to: the editor
// and the executor. The main window's "Relay Scripts" button and the Edit
// Relay dialog's open it through here.
#pragma once

#include "db/board_record.h"

#include <windows.h>

#include <cstdint>

struct ScriptListRequest {
    char board_id_text[5];       // whose scripts are listed and saved
    uint32_t board_id;           // where a run sends its commands
    const RelaySettings* relays; // the five relays' names and labels
};

// Shows the list modally over `owner`, then whatever the operator chooses
// (editor, executor, the list again) until the flow ends. Returns true when
// a script was saved or deleted, so the caller can refresh what it shows.
bool OpenRelayScriptsList(HINSTANCE instance, HWND owner, const ScriptListRequest& request);
