// The relay panel's rules as plain functions: what a status block means for
// the pictures and labels, which command a click sends, and the texts the
// main window shows.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kRelayCount = 5;

// "8001" -> "8001 - USB  SWITCHDECK" (out: at least 23 bytes).
void BoardEntryText(const char* board_id_text, char* out, size_t capacity);

// The board box text's first four characters (all of it when shorter) and
// their hexadecimal value. False for an empty text.
bool ParseBoardSelection(const char* box_text, char id_text[5], uint32_t* id);

// WritePellam type for a click on relay 1..5: to NO when at NC, else to NC.
uint32_t RelayClickCommand(int relay, bool at_nc);

// " MSG: Data Polling " followed by progress + 1 asterisks (progress 0..19).
void ProgressText(int progress, char* out, size_t capacity);
inline int NextProgress(int progress) {
    return progress >= 19 ? 0 : progress + 1;
}

// What one status block says, in the terms the window shows it.
struct StatusView {
    bool ready;
    bool relay_at_nc[kRelayCount];
    uint8_t led_mask;
    char firmware[5];
};
StatusView ReadStatusBlock(const uint8_t block[12]);

// Credit line of the status bar: the text for counter 1..5.
const char* CreditLine(int counter);
int NextCreditCounter(int counter); // 1..5, then 1 again
// Writes the four digits of year over the closing year of the maker's line.
void WriteStatusCreditYear(const char year[4]);
extern const char kAuthorCredit[];
