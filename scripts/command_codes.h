// The 36 script commands: ten relay commands and 26 fixed delays, each
// stored as a two-character code ("00".."09", "0A".."0Z") in a script's
// COMMANDS text. Relay command texts are built from the current relay names
// and labels, so the codes, not the texts, are a command's identity.
#pragma once

#include "db/board_record.h"
#include "db/script_row.h"

#include <cstddef>
#include <cstdint>

constexpr int kCommandCount = 36;
constexpr size_t kCommandTextSize = 76; // "Relay n - " + 31 + " - " + 31 + NUL fits

struct ScriptCommand {
    char code[3];
    int relay;           // 1..5 for relay commands, 0 for delays
    bool to_no;          // relay commands: the NO-label position
    uint32_t write_type; // relay commands: the WritePellam type
    uint32_t delay_ms;   // delays
    const char* delay_text;
};

// The table in code order (also the order of the Available Commands list).
extern const ScriptCommand kScriptCommands[kCommandCount];

// Index of the command with this two-character code, or -1.
int FindCommand(char first, char second);

// The list text of command `index`, built from the relays' current settings.
void CommandText(int index, const RelaySettings relays[5], char out[kCommandTextSize]);

// Appends the code of the first command whose text equals `text` exactly to
// `commands` (capacity bytes); a text that matches nothing appends nothing.
// Returns false only when the code did not fit.
bool EncodeScriptCommand(const char* text, const RelaySettings relays[5], char* commands,
                         size_t capacity);

// Appends the code of command `index` to `commands` (capacity bytes); an
// index outside the table appends nothing. Returns false only when the code
// did not fit. This is how the editor stores a script: by the codes its
// entries carry, never by their texts.
bool AppendCommandCode(int index, char* commands, size_t capacity);

// Calls visit(index) for every recognised two-character code of a COMMANDS
// text, in order. Unknown pairs are skipped; a trailing single character is
// ignored; nothing past the terminator is read.
template <typename Visit> void WalkScriptCommands(const char* commands, Visit visit) {
    for (const char* p = commands; p[0] != 0 && p[1] != 0; p += 2) {
        const int index = FindCommand(p[0], p[1]);
        if (index >= 0) visit(index);
    }
}
