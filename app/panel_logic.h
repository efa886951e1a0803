// The relay panel's rules as plain functions: what a status block means for
// the pictures and labels, which command a click sends, and the texts the
// main window shows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/board_entry.h"

constexpr int kRelayCount = 5;

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
// `block`: the 12 bytes of ReadPellams (relays, ready, LED mask, firmware).
StatusView ReadStatusBlock(const uint8_t block[12]);

// Credit line of the status bar: the text for counter 1..5, where the
// second is the maker's line with its years (made by MakerLine).
const char* CreditLine(int counter, const char* maker_line);
int NextCreditCounter(int counter); // 1..5, then 1 again
constexpr size_t kMakerLineSize = 40;
// The maker's line whose span of years ends in `year` (four digits).
void MakerLine(const char year[4], char out[kMakerLineSize]);
extern const char kAuthorCredit[];
