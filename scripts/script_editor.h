// The script editor: a name, a note and an ordered list of commands, saved
// as one row of RelayScripts for the board selected in the main window.
#pragma once

#include "scripts/script_table.h"

enum ScriptEditorMode { kEditorAdd = 0, kEditorEdit = 1 };

// Modal over the main window. In edit mode `row` is the script to change.
// Returns true when the operator cancelled, after which the Relay Scripts
// list is shown again; false after a save.
bool OpenScriptEditor(ScriptEditorMode mode, const ScriptRow* row);
