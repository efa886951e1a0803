#include "tests/win/app/test_install.h"

#include "db/database.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

std::string WindowsPath(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string InstallTestCopy() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "pellam-test-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string empty = WindowsPath(PELLAM_RIG_DIR "/empty.MDB");
    if (!CopyFileA(empty.c_str(), (folder + "\\Pellam.MDB").c_str(), FALSE)) return "";
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return "";
    const std::string exe = folder + "\\Pellam.exe";
    const bool ok =
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                       static_cast<DWORD>(exe.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok ? folder : "";
}

void RemoveTestCopy(const std::string& folder) {
    DeleteFileA((folder + "\\Pellam.MDB").c_str());
    RemoveDirectoryA(folder.c_str());
}

namespace {

// Runs one statement on a connection of its own; calls read(stmt) for rows.
template <typename Read>
bool WithStatement(const std::string& folder, const std::string& sql, Read read) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    bool ok = false;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connect = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + folder + "\\Pellam.MDB";
    if (Succeeded(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&connect[0]), SQL_NTS,
                                   nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        const SQLRETURN r = SQLExecDirect(
            stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        ok = Succeeded(r) || r == SQL_NO_DATA; // NO_DATA: a change that matched no row
        if (ok) read(stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return ok;
}

} // namespace

bool ExecOnTestCopy(const std::string& folder, const std::string& sql) {
    return WithStatement(folder, sql, [](SQLHSTMT) {});
}

Rows QueryTestCopy(const std::string& folder, const std::string& sql) {
    Rows rows;
    WithStatement(folder, sql, [&rows](SQLHSTMT stmt) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        while (Succeeded(SQLFetch(stmt))) {
            std::vector<std::string> row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                char value[2048] = "";
                SQLLEN length = 0;
                SQLGetData(stmt, c, SQL_C_CHAR, value, sizeof value, &length);
                row.push_back(length == SQL_NULL_DATA ? "<null>" : value);
            }
            rows.push_back(row);
        }
    });
    return rows;
}

DatabaseWriteLock::DatabaseWriteLock(const std::string& folder) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    environment_ = env;
    connection_ = dbc;
    std::string connect = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + folder + "\\Pellam.MDB";
    if (!Succeeded(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&connect[0]), SQL_NTS,
                                    nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
        return;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    // The stand-in's database takes a reserved lock: readers go on, writers wait and fail.
    held_ = Succeeded(SQLExecDirect(
        stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("BEGIN IMMEDIATE")), SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

void DatabaseWriteLock::Release() {
    if (!connection_) return;
    auto dbc = static_cast<SQLHDBC>(connection_);
    if (held_) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("ROLLBACK")), SQL_NTS);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(environment_));
    connection_ = environment_ = nullptr;
    held_ = false;
}
