// One row of table RelayScripts as the program reads it: ID, PID, NAME,
// DESCRIPTION and COMMANDS.
#pragma once

#include <cstddef>

constexpr int kMaxScriptCommands = 256;
constexpr size_t kCommandsTextSize = 2 * kMaxScriptCommands + 1; // two characters a command

// The buffers hold everything the editor can write (19-character name,
// 127-character note, 256 commands), so opening a script and saving it
// again never loses part of it.
struct ScriptRow {
    char id[32];
    char pid[32];
    char name[32];
    char description[128];
    char commands[kCommandsTextSize];
};
