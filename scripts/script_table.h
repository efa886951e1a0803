// Table RelayScripts: one row per script (ID, PID, NAME, DESCRIPTION,
// COMMANDS) and the statements that read and change it.
#pragma once

#include "scripts/command_codes.h"

#include <cstddef>

// A script as the list reads it. The buffers hold everything the editor can
// write (19-character name, 127-character note, 256 commands), so opening a
// script and saving it again never loses part of it.
struct ScriptRow {
    char id[32];
    char pid[32];
    char name[32];
    char description[128];
    char commands[kCommandsTextSize];
};

bool ComposeSelectScripts(char* out, size_t capacity, const char* board_id_text);
bool ComposeInsertScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands);
// ID must be a number (it stands unquoted in the statement).
bool ComposeUpdateScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands, const char* id);
bool ComposeDeleteScript(char* out, size_t capacity, const char* id);
