// The script editor: a name, a note and an ordered list of commands, saved
// as one row of RelayScripts for the board selected in the main window.
#pragma once

#include "db/board_record.h"
#include "db/script_row.h"

#include <windows.h>

enum ScriptEditorMode { kEditorAdd = 0, kEditorEdit = 1 };

struct ScriptEditorRequest {
    ScriptEditorMode mode;
    ScriptRow row;               // edit mode: the script to change
    char board_id_text[5];       // the board the script is saved for
    const RelaySettings* relays; // the five relays' names and labels, for the texts
};

enum class ScriptEditorResult { kSaved, kCancelled };

// Modal over `owner`. After kCancelled the Relay Scripts list is shown again;
// after kSaved it is not.
ScriptEditorResult OpenScriptEditor(HINSTANCE instance, HWND owner,
                                    const ScriptEditorRequest& request);
