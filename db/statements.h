// The SQL statements the program runs, composed as plain text. Values go
// between single quotes with every quote inside them doubled, so no value
// can end its literal early or change the statement; values without quotes
// give exactly the catalogue's text. Each function returns false (and an
// empty buffer) when the statement would not fit its buffer.
#pragma once

#include <cstddef>

constexpr size_t kStatementBufferSize = 1024;
constexpr size_t kLargeStatementBufferSize = 7168;

extern const char kSelectAllBoards[];   // "select * from Main;"
extern const char kClearDefaultMarks[]; // "UPDATE Main SET [DEFAULT] ='NO';"

bool ComposeSelectBoard(char* out, size_t capacity, const char* board_id_text);
// A moment of local time, as the program writes it into the ADDED column.
struct Timestamp {
    int year, month, day, hour, minute, second;
};
// The row of a new board, with the moment it was added written by the
// program (the database format has no default values): the timestamp goes
// in as an ODBC escape, {ts 'yyyy-mm-dd hh:mm:ss'}, which drivers translate.
bool ComposeInsertBoard(char* out, size_t capacity, const char* board_id_text,
                        const Timestamp& added);
bool ComposeSetDefaultMark(char* out, size_t capacity, const char* board_id_text);
bool ComposeDeleteBoardRow(char* out, size_t capacity, const char* board_id_text);

struct RelaySettingsText {
    const char* notes;
    const char* name;
    const char* nc_label;
    const char* no_label;
    bool confirm;
};
bool ComposeUpdateRelaySettings(char* out, size_t capacity, int relay,
                                const RelaySettingsText& values, const char* board_id_text);

// Formats `format`, where each %s takes the next value with its quotes
// doubled (the surrounding quotes belong to the format). Only %s is known.
bool FormatStatement(char* out, size_t capacity, const char* format, const char* const* values,
                     int count);
