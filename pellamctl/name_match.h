// Finding a relay or a stored script by what the operator typed: a relay by
// its number or its name in table Main, a script by its ID or its name.
#pragma once

#include "db/board_record.h"
#include "db/script_row.h"

#include <string>
#include <vector>

// What a name matched: exactly one entry (`index`), none, or several
// (`indices`, in order).
struct NameMatch {
    enum Kind { kOne, kNone, kSeveral } kind = kNone;
    int index = -1;
    std::vector<int> indices;
};

// The entries whose name equals `wanted`: exact matches if there are any,
// otherwise matches that ignore the case of ASCII letters. An empty name
// matches nothing.
NameMatch MatchName(const std::vector<const char*>& names, const std::string& wanted);

// 1..5 for a number of a relay ("3", "03"), -1 for any other number
// ("7", "0", "-2"), 0 for a text that is no number (a relay name).
int RelayNumber(const std::string& relay);

// Relay 1..5 for `relay` ("1".."5", else one relay's name), 0 when it names
// no relay or several; then *error says which, in one line.
int FindRelay(const RelaySettings relays[5], const std::string& relay, const char* board_id_text,
              std::string* error);

// The script that `wanted` names among the board's scripts: digits are an
// ID first, and a name when no script has that ID. -1 when it names none or
// several; then *error says which.
int FindScript(const std::vector<ScriptRow>& scripts, const std::string& wanted,
               const char* board_id_text, std::string* error);
