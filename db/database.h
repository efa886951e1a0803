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
constexpr size_t kDiagnosticSize = 512;
extern const char kNoConnectionText[]; // why every statement fails without a connection
extern const char kNoRowText[];        // why an UPDATE or DELETE that matched nothing fails

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
    // Why the last Allocate or Execute failed: the driver's own text with
    // its SQLSTATE, or that there is no connection ("" after success).
    const char* failure() const { return failure_; }

  private:
    void RecordFailure(SQLSMALLINT handle_type, SQLHANDLE handle);
    SQLLEN indicators_[32] = {};
    char failure_[kDiagnosticSize] = "";
};

// Runs one statement that returns no rows; true when it executed. On
// failure `failure` (kDiagnosticSize bytes, optional) gets the reason.
bool RunStatement(const char* text, char* failure = nullptr);

// Runs statements as one unit: autocommit is off for its scope, and what it
// ran is undone unless Commit() was called and succeeded.
class Transaction {
  public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool Commit();

  private:
    bool active_ = false;
    bool committed_ = false;
};
