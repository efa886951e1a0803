// The one database connection of the program and the statement every SQL
// statement goes through. Nothing here knows of windows: each operation
// returns whether it worked and, if not, the driver's own reason, and the
// caller decides what the operator sees.
#pragma once

#include "db/statements.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>

constexpr size_t kDatabasePathSize = 512;
constexpr DWORD kInstallRecordReadSize = 250; // bytes of the record read, terminator included
constexpr size_t kDiagnosticSize = 512;

extern const char kInstallKey[];            // under HKEY_LOCAL_MACHINE
extern const char kNoConnectionText[];      // why every statement fails without a connection
extern const char kNoRowText[];             // why an UPDATE or DELETE that matched nothing fails
extern const char kConnectionRenewedText[]; // why a statement inside a broken transaction fails

// The connection, kept from start-up to the end of the process.
struct DatabaseState {
    char path[kDatabasePathSize]; // from the installation record
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLCHAR completed[1024]; // the driver's completed connection text
    SQLSMALLINT completed_length = 0;
    bool file_missing = false; // the file was gone at the last statement
    uint32_t generation = 0;   // counts connections made; closing one frees its statements
    // While a Transaction runs: the connection it began on. A statement
    // that finds a newer one is refused (its work would not be undone).
    bool in_transaction = false;
    uint32_t transaction_generation = 0;
};
extern DatabaseState g_database;

inline bool Succeeded(SQLRETURN r) {
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

enum class LocateResult { kFound, kNotInstalled, kNotFound };
// Fills g_database.path from the installation record: the executable's path
// with "MDB" for its last three characters, when that file exists.
LocateResult LocateDatabase();

enum class OpenResult { kOpen, kNoEnvironment, kNoOdbcVersion, kNoConnectionHandle, kNotConnected };
// Connects to g_database.path; a failure leaves no handles behind.
OpenResult OpenDatabase();
void CloseDatabase();

// Where an operation failed, for callers that tell the stages apart.
enum class DbStage { kNone, kCompose, kAllocate, kExecute };

// The outcome of one operation on the database.
struct DbResult {
    bool ok = true;
    DbStage failed_at = DbStage::kNone;
    char failure[kDiagnosticSize] = "";        // the driver's text and SQLSTATE, or why not
    char statement[kStatementBufferSize] = ""; // the statement that failed, as composed
};

// One statement: it owns its handle (allocated on the connection when made,
// its cursor closed and the handle freed when it goes) and the buffer its
// text is composed in. Bound columns are checked at every fetch: a NULL
// reads as an empty text, and a value cut by its buffer is counted.
class Statement {
  public:
    Statement();
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    char* text() { return text_; }
    static constexpr size_t kTextCapacity = kLargeStatementBufferSize;

    // Whether the handle is still live: closing its connection frees it.
    bool allocated() const {
        return handle_ != SQL_NULL_HSTMT && generation_ == g_database.generation;
    }
    // Runs text(); false on failure (the reason is kept).
    bool Execute();
    // Runs text() when it was `composed`; false (the reason kept) otherwise.
    bool Run(bool composed) {
        if (composed) return Execute();
        ComposeFailed();
        return false;
    }
    // As Execute and Run, for a statement that changes rows: refused when
    // the database file was marked read-only as the statement was made,
    // even on a connection opened before the mark was set.
    bool ExecuteChange();
    bool RunChange(bool composed) {
        if (composed) return ExecuteChange();
        ComposeFailed();
        return false;
    }
    // Prepares text() to be run many times (ExecutePrepared), and closes
    // the cursor of the last run so that it can run again.
    bool Prepare();
    bool ExecutePrepared();
    void CloseCursor();
    // Binds result column `column` (1-based) as text into `buffer`.
    void BindText(SQLUSMALLINT column, char* buffer, SQLLEN size);
    // The next row into the bound buffers (emptied first); false at the end
    // of the rows or on an error.
    bool Fetch();
    // Columns cut by their buffers in the rows fetched so far.
    uint32_t cut_columns() const { return cut_columns_; }
    // The outcome so far, with the statement's text.
    DbResult Result() const;
    // Marks the statement as not composed, for the reason given.
    void ComposeFailed(const char* why = "The statement does not fit its buffer.");

  private:
    static constexpr int kMaxColumns = 32;
    void RecordFailure(SQLSMALLINT handle_type, SQLHANDLE handle);

    SQLHSTMT handle_ = SQL_NULL_HSTMT;
    uint32_t generation_ = 0;     // of the connection the handle belongs to
    bool file_read_only_ = false; // as the file was when the statement was made
    DbStage failed_at_ = DbStage::kNone;
    char failure_[kDiagnosticSize] = "";
    char text_[kTextCapacity] = "";
    char* buffers_[kMaxColumns] = {};
    SQLLEN sizes_[kMaxColumns] = {};
    SQLLEN indicators_[kMaxColumns] = {};
    uint32_t cut_columns_ = 0;
};

// The statement cycle of a statement that changes rows and returns none: composed by
// compose(text, capacity) (false: it cannot be, for the reason given),
// executed, finished.
template <typename Compose>
DbResult RunStatement(Compose compose,
                      const char* not_composed = "The statement does not fit its buffer.") {
    Statement statement;
    if (!compose(statement.text(), Statement::kTextCapacity))
        statement.ComposeFailed(not_composed);
    else
        statement.ExecuteChange();
    return statement.Result();
}

// Runs statements in one transaction: autocommit is off for its scope, and
// what it ran is rolled back unless Commit() was called and succeeded. The connection is
// made first (again, when its file came back), then the transaction begins
// on it; a statement that would connect anew inside it is refused.
class Transaction {
  public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    // Whether the transaction began; if not, why (failure()).
    bool began() const { return active_; }
    const char* failure() const { return failure_; }
    bool Commit();

  private:
    bool active_ = false;
    bool committed_ = false;
    uint32_t generation_ = 0;
    char failure_[kDiagnosticSize] = "";
};
