// Table RelayScripts, the stored relay scripts: what the program reads and
// changes there, as plain operations on ids and values.
#pragma once

#include "db/database.h"
#include "db/script_row.h"

#include <vector>

// The board's scripts, in the order the driver returns them.
DbResult ListScripts(const char* board_id_text, std::vector<ScriptRow>* scripts);
DbResult InsertScript(const char* board_id_text, const char* name, const char* description,
                      const char* commands);
// Changes script `id`, moving it to the board given.
DbResult UpdateScript(const char* board_id_text, const char* name, const char* description,
                      const char* commands, const char* id);
DbResult DeleteScript(const char* id);
