// The connection with the selected board: which board, whether the program
// is connected, what the last poll said, and the board's row of table Main.
// Plain state and operations over the device library and the board store;
// it knows no window: a poll returns what changed and the main window shows
// it.
#pragma once

#include "app/panel_logic.h"
#include "common/board_entry.h"
#include "db/board_record.h"
#include "db/board_store.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kStatusBufferSize = 1024;

struct Session {
    int connected = 0;
    int board_ready = 0;
    int relay_at_nc[kRelayCount] = {}; // 1: the last ready poll showed the relay at NC
    uint8_t led_mask = 0;
    char firmware[5] = "";
    char board_id_text[kBoardIdTextSize] = "";
    uint32_t board_id = 0;
    BoardRecord record{}; // the selected board's row, as last loaded
    // Whether `record` was read from the database since Connect: until a
    // read succeeds it holds blanks, which must never pass for the stored row.
    bool record_loaded = false;
    DbResult last_row_read; // the outcome of the last read of the row
    uint8_t status[kStatusBufferSize] = {};
    BoardRowReader row_reader; // reads `record` ten times a second
};
extern Session g_session;

// Takes the board id text and board id from a board box text; false (and
// both kept) for an empty text.
bool SelectBoard(const char* box_text);
// Connected to the selected board, its row loaded afresh (so its settings
// are its own even before a poll reports it ready). When that read fails
// the row is not known (record_loaded false) until a later read succeeds.
void BeginSession();
void EndSession();

enum class PollResult { kLost, kNotReady, kReady };
// Asks the board for its status. kLost: no answer (the caller disconnects);
// kNotReady: only the ready flag changed (and the row is read again if no
// read has succeeded yet); kReady: relays, LED mask, firmware and the
// board's row are current.
PollResult PollSession();
// Reloads the selected board's row (kept as it was when that fails);
// whether the read succeeded.
bool ReloadBoardRecord();
