#include "db/database.h"

#include "common/system/odbc32.h"
#include "common/text_helpers.h"
#include "db/access_driver.h"
#include "db/location.h"

#include <cstring>

DatabaseState g_database;

const char kInstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pellam.exe";
const char kNoConnectionText[] = "There is no connection to the database.";
const char kNoRowText[] = "The row to change is not in the database.";
const char kConnectionRenewedText[] =
    "The connection to the database was made again during the change; nothing was changed.";

namespace {

constexpr size_t kConnectionTextSize = kStatementBufferSize;

void FreeEnvironment() {
    Odbc32Dll().SQLFreeHandle(SQL_HANDLE_ENV, g_database.environment);
    g_database.environment = SQL_NULL_HENV;
}

// "DRIVER={<driver>};DBQ=<database path>". The text is complete, so the
// driver never needs a window to prompt over.
SQLRETURN ConnectWithDriver(const char* driver) {
    char text[kConnectionTextSize];
    CopyTextBounded("DRIVER={", text, sizeof text);
    AppendTextBounded(text, sizeof text, driver);
    AppendTextBounded(text, sizeof text, "};DBQ=");
    AppendTextBounded(text, sizeof text, g_database.path);
    return Odbc32Dll().SQLDriverConnect(g_database.connection, nullptr,
                                        reinterpret_cast<SQLCHAR*>(text), SQL_NTS,
                                        g_database.completed, sizeof g_database.completed,
                                        &g_database.completed_length, SQL_DRIVER_COMPLETE);
}

// Whether the driver manager knows no driver by the name asked for (IM002).
bool DriverNotInstalled() {
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH];
    SQLSMALLINT length = 0;
    return Succeeded(Odbc32Dll().SQLGetDiagRec(SQL_HANDLE_DBC, g_database.connection, 1, state,
                                               &native, text, sizeof text, &length)) &&
           std::strcmp(reinterpret_cast<char*>(state), "IM002") == 0;
}

} // namespace

LocateResult LocateDatabase() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return LocateResult::kNotInstalled;
    // A longer record (or none) leaves the path empty.
    DWORD size = kInstallRecordReadSize;
    g_database.path[0] = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(g_database.path),
                         &size) != ERROR_SUCCESS)
        g_database.path[0] = 0;
    g_database.path[kInstallRecordReadSize] = 0;
    RegCloseKey(key);
    if (!DatabasePathFromInstallRecord(g_database.path) || !FileExists(g_database.path))
        return LocateResult::kNotFound;
    return LocateResult::kFound;
}

OpenResult OpenDatabase() {
    if (!Succeeded(
            Odbc32Dll().SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &g_database.environment))) {
        g_database.environment = SQL_NULL_HENV;
        return OpenResult::kNoEnvironment;
    }
    if (!Succeeded(Odbc32Dll().SQLSetEnvAttr(g_database.environment, SQL_ATTR_ODBC_VERSION,
                                             reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
        FreeEnvironment();
        return OpenResult::kNoOdbcVersion;
    }
    if (!Succeeded(Odbc32Dll().SQLAllocHandle(SQL_HANDLE_DBC, g_database.environment,
                                              &g_database.connection))) {
        g_database.connection = SQL_NULL_HDBC;
        FreeEnvironment();
        return OpenResult::kNoConnectionHandle;
    }
    // A 64-bit program finds the Access driver only under its second name:
    // that name is tried once when the first one is unknown.
    SQLRETURN r = ConnectWithDriver(kAccessDriverNames[0]);
    if (!Succeeded(r) && DriverNotInstalled()) r = ConnectWithDriver(kAccessDriverNames[1]);
    if (!Succeeded(r)) {
        Odbc32Dll().SQLFreeHandle(SQL_HANDLE_DBC, g_database.connection);
        g_database.connection = SQL_NULL_HDBC;
        FreeEnvironment();
        return OpenResult::kNotConnected;
    }
    ++g_database.generation;
    return OpenResult::kOpen;
}

void CloseDatabase() {
    ++g_database.generation; // the statements of this connection go with it
    if (g_database.connection != SQL_NULL_HDBC) {
        // A connection in a transaction does not disconnect: undo it first.
        if (g_database.in_transaction)
            Odbc32Dll().SQLEndTran(SQL_HANDLE_DBC, g_database.connection, SQL_ROLLBACK);
        Odbc32Dll().SQLDisconnect(g_database.connection);
        Odbc32Dll().SQLFreeHandle(SQL_HANDLE_DBC, g_database.connection);
        g_database.connection = SQL_NULL_HDBC;
    }
    if (g_database.environment != SQL_NULL_HENV) FreeEnvironment();
}

namespace {

// The database file must still be where the connection found it: changes
// made on a connection to a file that was removed would be lost with it.
// When the file is back, the connection is made again, to that file.
// `read_only`: whether the file is marked read-only.
bool DatabaseFileThere(char* failure, size_t capacity, bool* read_only) {
    const DWORD attributes = GetFileAttributesA(g_database.path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        g_database.file_missing = true;
        CopyTextBounded("The database file is missing: ", failure, capacity);
        AppendTextBounded(failure, capacity, g_database.path);
        return false;
    }
    *read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (g_database.file_missing) {
        g_database.file_missing = false;
        CloseDatabase();
        OpenDatabase();
    }
    return true;
}

} // namespace

Statement::Statement() {
    if (g_database.connection != SQL_NULL_HDBC || g_database.file_missing) {
        if (!DatabaseFileThere(failure_, sizeof failure_, &file_read_only_)) {
            failed_at_ = DbStage::kAllocate;
            return;
        }
    }
    if (g_database.in_transaction && g_database.generation != g_database.transaction_generation) {
        failed_at_ = DbStage::kAllocate;
        CopyTextBounded(kConnectionRenewedText, failure_, sizeof failure_);
        return;
    }
    // Without a connection there is nothing to allocate on.
    if (g_database.connection == SQL_NULL_HDBC) {
        failed_at_ = DbStage::kAllocate;
        CopyTextBounded(kNoConnectionText, failure_, sizeof failure_);
        return;
    }
    generation_ = g_database.generation;
    if (!Succeeded(Odbc32Dll().SQLAllocHandle(SQL_HANDLE_STMT, g_database.connection, &handle_))) {
        handle_ = SQL_NULL_HSTMT;
        failed_at_ = DbStage::kAllocate;
        RecordFailure(SQL_HANDLE_DBC, g_database.connection);
    }
}

Statement::~Statement() {
    if (!allocated()) return;
    Odbc32Dll().SQLCloseCursor(handle_);
    Odbc32Dll().SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

void Statement::RecordFailure(SQLSMALLINT handle_type, SQLHANDLE handle) {
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR text[kDiagnosticSize - 32] = "";
    SQLSMALLINT length = 0;
    if (!Succeeded(Odbc32Dll().SQLGetDiagRec(handle_type, handle, 1, state, &native, text,
                                             sizeof text, &length))) {
        CopyTextBounded("The database driver gave no reason.", failure_, sizeof failure_);
        return;
    }
    text[sizeof text - 1] = 0;
    CopyTextBounded(reinterpret_cast<const char*>(text), failure_, sizeof failure_);
    AppendTextBounded(failure_, sizeof failure_, " (SQLSTATE ");
    AppendTextBounded(failure_, sizeof failure_, reinterpret_cast<const char*>(state));
    AppendTextBounded(failure_, sizeof failure_, ")");
}

void Statement::ComposeFailed(const char* why) {
    failed_at_ = DbStage::kCompose;
    CopyTextBounded(why, failure_, sizeof failure_);
}

bool Statement::Execute() {
    if (!allocated() || failed_at_ != DbStage::kNone) return false;
    const SQLRETURN r =
        Odbc32Dll().SQLExecDirect(handle_, reinterpret_cast<SQLCHAR*>(text_), SQL_NTS);
    if (Succeeded(r)) return true;
    failed_at_ = DbStage::kExecute;
    // An UPDATE or DELETE that found no row to change, as an ODBC 3 driver
    // answers it: nothing was written.
    if (r == SQL_NO_DATA)
        CopyTextBounded(kNoRowText, failure_, sizeof failure_);
    else
        RecordFailure(SQL_HANDLE_STMT, handle_);
    return false;
}

bool Statement::ExecuteChange() {
    if (!allocated() || failed_at_ != DbStage::kNone) return false;
    if (file_read_only_) {
        failed_at_ = DbStage::kExecute;
        CopyTextBounded("The database file is read-only: ", failure_, sizeof failure_);
        AppendTextBounded(failure_, sizeof failure_, g_database.path);
        return false;
    }
    if (!Execute()) return false;
    // The Access drivers answer as ODBC 2.x drivers do: a change that found
    // no row succeeds, and only the row count tells.
    SQLLEN rows = -1;
    if (Succeeded(Odbc32Dll().SQLRowCount(handle_, &rows)) && rows == 0) {
        failed_at_ = DbStage::kExecute;
        CopyTextBounded(kNoRowText, failure_, sizeof failure_);
        return false;
    }
    return true;
}

bool Statement::Prepare() {
    if (!allocated() || failed_at_ != DbStage::kNone) return false;
    if (Succeeded(Odbc32Dll().SQLPrepare(handle_, reinterpret_cast<SQLCHAR*>(text_), SQL_NTS)))
        return true;
    failed_at_ = DbStage::kExecute;
    RecordFailure(SQL_HANDLE_STMT, handle_);
    return false;
}

bool Statement::ExecutePrepared() {
    if (!allocated()) {
        failed_at_ = DbStage::kAllocate;
        CopyTextBounded(kNoConnectionText, failure_, sizeof failure_);
        return false;
    }
    if (failed_at_ != DbStage::kNone) return false;
    if (Succeeded(Odbc32Dll().SQLExecute(handle_))) return true;
    failed_at_ = DbStage::kExecute;
    RecordFailure(SQL_HANDLE_STMT, handle_);
    return false;
}

void Statement::CloseCursor() {
    if (allocated()) Odbc32Dll().SQLFreeStmt(handle_, SQL_CLOSE);
}

void Statement::BindText(SQLUSMALLINT column, char* buffer, SQLLEN size) {
    if (!allocated() || column == 0 || column > kMaxColumns) return;
    buffers_[column - 1] = buffer;
    sizes_[column - 1] = size;
    Odbc32Dll().SQLBindCol(handle_, column, SQL_C_CHAR, buffer, size, &indicators_[column - 1]);
}

bool Statement::Fetch() {
    if (!allocated()) return false;
    for (int i = 0; i < kMaxColumns; ++i)
        if (buffers_[i]) buffers_[i][0] = 0;
    if (!Succeeded(Odbc32Dll().SQLFetch(handle_))) return false;
    for (int i = 0; i < kMaxColumns; ++i) {
        if (!buffers_[i]) continue;
        if (indicators_[i] == SQL_NULL_DATA)
            buffers_[i][0] = 0;
        else if (indicators_[i] == SQL_NO_TOTAL || indicators_[i] >= sizes_[i])
            cut_columns_ |= 1u << i;
    }
    return true;
}

DbResult Statement::Result() const {
    DbResult result;
    result.ok = failed_at_ == DbStage::kNone;
    result.failed_at = failed_at_;
    CopyTextBounded(failure_, result.failure, sizeof result.failure);
    CopyTextBounded(text_, result.statement, sizeof result.statement);
    return result;
}

Transaction::Transaction() {
    // Connect first: a statement that made the connection again after
    // autocommit went off would run in autocommit on the new connection.
    bool read_only = false;
    if ((g_database.connection != SQL_NULL_HDBC || g_database.file_missing) &&
        !DatabaseFileThere(failure_, sizeof failure_, &read_only))
        return;
    if (g_database.connection == SQL_NULL_HDBC) {
        CopyTextBounded(kNoConnectionText, failure_, sizeof failure_);
        return;
    }
    const SQLRETURN r =
        Odbc32Dll().SQLSetConnectAttr(g_database.connection, SQL_ATTR_AUTOCOMMIT,
                                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    if (!Succeeded(r)) {
        CopyTextBounded("The database driver could not begin a transaction.", failure_,
                        sizeof failure_);
        return;
    }
    active_ = true;
    generation_ = g_database.generation;
    g_database.in_transaction = true;
    g_database.transaction_generation = generation_;
}

bool Transaction::Commit() {
    committed_ =
        active_ && g_database.generation == generation_ &&
        Succeeded(Odbc32Dll().SQLEndTran(SQL_HANDLE_DBC, g_database.connection, SQL_COMMIT));
    return committed_;
}

Transaction::~Transaction() {
    if (!active_) return;
    g_database.in_transaction = false;
    // A connection closed meanwhile undid the work as it went.
    if (g_database.generation != generation_) return;
    if (!committed_) Odbc32Dll().SQLEndTran(SQL_HANDLE_DBC, g_database.connection, SQL_ROLLBACK);
    Odbc32Dll().SQLSetConnectAttr(g_database.connection, SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}
