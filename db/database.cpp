#include "db/database.h"

#include "common/text_helpers.h"
#include "db/access_driver.h"
#include "db/location.h"

#include <cstring>

DatabaseState g_database;

const char kDatabaseCaption[] = "  Pellam Board";
const char kInstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pellam.exe";
const char kNoConnectionText[] = "There is no connection to the database.";
const char kNoRowText[] = "The row to change is not in the database.";

namespace {

void ShowError(HWND owner, const char* text, const char* caption) {
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}

void FreeEnvironment() {
    SQLFreeHandle(SQL_HANDLE_ENV, g_database.environment);
    g_database.environment = SQL_NULL_HENV;
}

// "DRIVER={<driver>};DBQ=<database path>", composed in the statement buffer.
SQLRETURN ConnectWithDriver(HWND window, const char* driver) {
    char* text = g_database.statement_text;
    const size_t size = sizeof g_database.statement_text;
    CopyTextBounded("DRIVER={", text, size);
    AppendTextBounded(text, size, driver);
    AppendTextBounded(text, size, "};DBQ=");
    AppendTextBounded(text, size, g_database.path);
    return SQLDriverConnect(g_database.connection, window, reinterpret_cast<SQLCHAR*>(text),
                            SQL_NTS, g_database.completed, sizeof g_database.completed,
                            &g_database.completed_length, SQL_DRIVER_COMPLETE);
}

// Whether the driver manager knows no driver by the name asked for (IM002).
bool DriverNotInstalled() {
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR text[SQL_MAX_MESSAGE_LENGTH];
    SQLSMALLINT length = 0;
    return Succeeded(SQLGetDiagRec(SQL_HANDLE_DBC, g_database.connection, 1, state, &native, text,
                                   sizeof text, &length)) &&
           std::strcmp(reinterpret_cast<char*>(state), "IM002") == 0;
}

} // namespace

bool LocateDatabase(HWND main_window) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        ShowError(main_window, "Pogram not installed properly! Please run installer again.",
                  nullptr);
        return false;
    }
    // At most 250 bytes are read; a longer record (or none) leaves the path empty.
    DWORD size = 250;
    g_database.path[0] = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(g_database.path),
                         &size) != ERROR_SUCCESS)
        g_database.path[0] = 0;
    g_database.path[250] = 0;
    RegCloseKey(key);
    if (!DatabasePathFromInstallRecord(g_database.path) || !FileExists(g_database.path)) {
        ShowError(main_window, "Shazbot !  Database not found!", "Database Error");
        return false;
    }
    return true;
}

void OpenDatabase(HWND window) {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &g_database.environment))) {
        g_database.environment = SQL_NULL_HENV;
        ShowError(window, "Environment handle allocation failed", kDatabaseCaption);
        return;
    }
    if (!Succeeded(SQLSetEnvAttr(g_database.environment, SQL_ATTR_ODBC_VERSION,
                                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
        ShowError(window, "Cannot set desired ODBC version", kDatabaseCaption);
        FreeEnvironment();
        return;
    }
    if (!Succeeded(
            SQLAllocHandle(SQL_HANDLE_DBC, g_database.environment, &g_database.connection))) {
        g_database.connection = SQL_NULL_HDBC;
        ShowError(window, "Connection handle allocation failed", kDatabaseCaption);
        FreeEnvironment();
        return;
    }
    // A 64-bit program finds the Access driver only under its second name:
    // that name is tried once when the first one is unknown.
    SQLRETURN r = ConnectWithDriver(window, kAccessDriverNames[0]);
    if (!Succeeded(r) && DriverNotInstalled()) r = ConnectWithDriver(window, kAccessDriverNames[1]);
    if (!Succeeded(r)) {
        ShowError(window, "Connection attempt failed", kDatabaseCaption);
        SQLFreeHandle(SQL_HANDLE_DBC, g_database.connection);
        g_database.connection = SQL_NULL_HDBC;
        FreeEnvironment();
    }
}

void CloseDatabase() {
    if (g_database.connection != SQL_NULL_HDBC) {
        SQLDisconnect(g_database.connection);
        SQLFreeHandle(SQL_HANDLE_DBC, g_database.connection);
        g_database.connection = SQL_NULL_HDBC;
    }
    if (g_database.environment != SQL_NULL_HENV) FreeEnvironment();
}

void StatementCycle::RecordFailure(SQLSMALLINT handle_type, SQLHANDLE handle) {
    SQLCHAR state[6] = "";
    SQLINTEGER native = 0;
    SQLCHAR text[kDiagnosticSize - 32] = "";
    SQLSMALLINT length = 0;
    if (!Succeeded(
            SQLGetDiagRec(handle_type, handle, 1, state, &native, text, sizeof text, &length))) {
        CopyTextBounded("The database driver gave no reason.", failure_, sizeof failure_);
        return;
    }
    text[sizeof text - 1] = 0;
    CopyTextBounded(reinterpret_cast<const char*>(text), failure_, sizeof failure_);
    AppendTextBounded(failure_, sizeof failure_, " (SQLSTATE ");
    AppendTextBounded(failure_, sizeof failure_, reinterpret_cast<const char*>(state));
    AppendTextBounded(failure_, sizeof failure_, ")");
}

bool StatementCycle::Allocate() {
    Finish();
    failure_[0] = 0;
    // Without a connection there is nothing to allocate on.
    if (g_database.connection == SQL_NULL_HDBC) {
        CopyTextBounded(kNoConnectionText, failure_, sizeof failure_);
        return false;
    }
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, g_database.connection, &g_database.statement))) {
        g_database.statement = SQL_NULL_HSTMT;
        RecordFailure(SQL_HANDLE_DBC, g_database.connection);
        return false;
    }
    return true;
}

bool StatementCycle::Execute(const char* text) {
    if (g_database.statement == SQL_NULL_HSTMT) return false;
    const SQLRETURN r = SQLExecDirect(g_database.statement,
                                      reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    if (Succeeded(r)) return true;
    // An UPDATE or DELETE that found no row to change: nothing was written.
    if (r == SQL_NO_DATA)
        CopyTextBounded(kNoRowText, failure_, sizeof failure_);
    else
        RecordFailure(SQL_HANDLE_STMT, g_database.statement);
    return false;
}

void StatementCycle::BindText(SQLUSMALLINT column, char* buffer, SQLLEN size) {
    if (g_database.statement == SQL_NULL_HSTMT || column == 0 || column > 32) return;
    SQLBindCol(g_database.statement, column, SQL_C_CHAR, buffer, size, &indicators_[column - 1]);
}

bool StatementCycle::Fetch() {
    return g_database.statement != SQL_NULL_HSTMT && Succeeded(SQLFetch(g_database.statement));
}

void StatementCycle::Finish() {
    if (g_database.statement == SQL_NULL_HSTMT) return;
    SQLCloseCursor(g_database.statement);
    SQLFreeHandle(SQL_HANDLE_STMT, g_database.statement);
    g_database.statement = SQL_NULL_HSTMT;
}

bool RunStatement(const char* text, char* failure) {
    StatementCycle cycle;
    if (cycle.Allocate() && cycle.Execute(text)) return true;
    if (failure) CopyTextBounded(cycle.failure(), failure, kDiagnosticSize);
    return false;
}

Transaction::Transaction() {
    active_ = g_database.connection != SQL_NULL_HDBC &&
              Succeeded(SQLSetConnectAttr(g_database.connection, SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0));
}

bool Transaction::Commit() {
    committed_ =
        active_ && Succeeded(SQLEndTran(SQL_HANDLE_DBC, g_database.connection, SQL_COMMIT));
    return committed_;
}

Transaction::~Transaction() {
    if (!active_) return;
    if (!committed_) SQLEndTran(SQL_HANDLE_DBC, g_database.connection, SQL_ROLLBACK);
    SQLSetConnectAttr(g_database.connection, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}
