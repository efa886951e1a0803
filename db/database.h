// The one database connection of the program and the statement cycle every
// SQL statement goes through: allocate, execute, bind and fetch, close the
// cursor and free. One statement exists at a time.
#pragma once

#include "db/statements.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

struct DatabaseState {
    char path[512]; // from the installation record
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLHSTMT statement = SQL_NULL_HSTMT;                  // never two at once
    char statement_text[kStatementBufferSize];            // boards, Add Device, script list query
    char large_statement_text[kLargeStatementBufferSize]; // relay settings, script changes
    SQLCHAR completed[256];                               // driver's completed connection text
    SQLSMALLINT completed_length = 0;
};
extern DatabaseState g_database;

extern const char kDatabaseCaption[]; // "  Pellam Board"
extern const char kInstallKey[];      // under HKEY_LOCAL_MACHINE

inline bool Succeeded(SQLRETURN r) {
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

// Fills g_database.path with the existing database's path, or shows why not
// and returns false (the caller then closes the main window).
bool LocateDatabase(HWND main_window);
// Connects; failures are shown to the operator and leave no handles.
void OpenDatabase(HWND window);
void CloseDatabase();

// One statement's cycle on the shared statement handle. Finishing (cursor
// closed, handle freed) happens on every path, at the latest when the cycle
// goes out of scope.
class StatementCycle {
  public:
    StatementCycle() = default;
    ~StatementCycle() { Finish(); }
    StatementCycle(const StatementCycle&) = delete;
    StatementCycle& operator=(const StatementCycle&) = delete;

    bool Allocate();
    bool Execute(const char* text);
    // Binds result column `column` (1-based) as text into buffer.
    void BindText(SQLUSMALLINT column, char* buffer, SQLLEN size);
    bool Fetch();
    void Finish();

  private:
    SQLLEN indicators_[32] = {};
};

// Runs one statement that returns no rows; true when it executed.
bool RunStatement(const char* text);
