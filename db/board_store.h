// Table Main, the registered boards and their relay settings: what the
// program reads and changes there, as plain operations on ids and values.
#pragma once

#include "db/board_record.h"
#include "db/database.h"
#include "db/statements.h"

#include <memory>
#include <vector>

// One row of the board list: its PID and its default mark (columns 3, 5).
struct BoardListEntry {
    char pid[32];
    char is_default[32];
};

// Every registered board, in the order the driver returns them.
DbResult ListBoards(std::vector<BoardListEntry>* boards);
// The board's row. When no row matches, every field is empty; when the
// statement fails, `record` is left as it was.
DbResult LoadBoardRow(const char* board_id_text, BoardRecord* record);
// The board's row, read again and again (ten times a second while
// connected): its statement is prepared once per board, its columns bound
// once, and every read only executes it. Same results as LoadBoardRow.
class BoardRowReader {
  public:
    BoardRowReader();
    ~BoardRowReader();
    BoardRowReader(const BoardRowReader&) = delete;
    BoardRowReader& operator=(const BoardRowReader&) = delete;
    DbResult Load(const char* board_id_text, BoardRecord* record);
    // Drops the prepared statement (the next read prepares it again).
    void Reset();

  private:
    struct Prepared;
    std::unique_ptr<Prepared> prepared_;
};

// Whether the board has a row.
DbResult FindBoardRow(const char* board_id_text, bool* found);
// A new row for the board, registered at `added`; marked as the default
// when `mark_default` (whether the mark took is not examined).
DbResult InsertBoardRow(const char* board_id_text, const Timestamp& added, bool mark_default);
// Makes the board the only default: both marks in one transaction, so a
// failure of either undoes the other (the Access driver rolls back; it does
// not promise that a crash during the commit leaves both or neither on disk).
DbResult MakeDefaultBoard(const char* board_id_text);
DbResult DeleteBoardRow(const char* board_id_text);
// One relay's group (relay 1..5) of the board's row.
DbResult UpdateRelaySettings(const char* board_id_text, int relay, const RelaySettingsText& values);
