// The Execute Relay Script dialog: runs one script against the selected
// board and writes its log. The run is driven by timers on the
// user-interface thread, so the program stays responsive and keeps polling;
// closing the dialog stops the run before its next command.
#pragma once

#include "scripts/script_table.h"

#include <windows.h>

// Modal, owned by `owner` (the Relay Scripts list).
void OpenScriptExecutor(HWND owner, const ScriptRow& row);
