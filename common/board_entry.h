// A board as the board box and the Add Device list show it: its board id
// text (four hexadecimal digits) followed by " - USB  SWITCHDECK".
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kBoardIdTextSize = 5; // four digits and a terminator

// "8001" -> "8001 - USB  SWITCHDECK" (out: at least 23 bytes).
void BoardEntryText(const char* board_id_text, char* out, size_t capacity);

// An entry's (or any text's) first four characters, all of it when shorter,
// and their hexadecimal value. False for an empty text.
bool ParseBoardSelection(const char* box_text, char id_text[kBoardIdTextSize], uint32_t* id);
