#include "tests/win/app/test_install.h"

#include "db/access_driver.h"
#include "db/database.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <cstring>

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

InstallRecordGuard::InstallRecordGuard() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char value[MAX_PATH] = "";
    DWORD size = sizeof value - 1;
    existed_ = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                &size) == ERROR_SUCCESS;
    value_ = value;
    RegCloseKey(key);
}

InstallRecordGuard::~InstallRecordGuard() {
    if (!existed_) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
        return;
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value_.c_str()),
                   static_cast<DWORD>(value_.size() + 1));
    RegCloseKey(key);
}

DriverRegistration::DriverRegistration(const char* name) {
    char sysini[MAX_PATH] = "";
    if (GetEnvironmentVariableA("ODBCSYSINI", sysini, sizeof sysini) == 0) return;
    ini_ = WindowsPath(std::string(sysini) + "/odbcinst.ini");
    // The libraries tools/rig/prepare-app.sh puts beside odbcinst.ini.
    std::string text;
    for (const char* driver : kAccessDriverNames) {
        const bool installed = name && std::string(name) == driver;
        text += std::string("[") + driver + "]\nDriver = " + sysini +
                (installed ? "/libpellam_access_odbc.so\n" : "/libpellam_absent_driver.so\n");
    }
    if (!MoveFileExA(ini_.c_str(), (ini_ + ".away").c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    HANDLE file = CreateFileA(ini_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ok_ = file != INVALID_HANDLE_VALUE &&
          WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

DriverRegistration::~DriverRegistration() {
    if (!ini_.empty())
        MoveFileExA((ini_ + ".away").c_str(), ini_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

unsigned long RunProcess(std::string command, std::string* output, double* seconds) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        output->clear();
        if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return 999;
        SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = write_end;
    }
    PROCESS_INFORMATION process{};
    const DWORD start = GetTickCount();
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, output != nullptr,
                                        0, nullptr, nullptr, &startup, &process);
    if (output) {
        CloseHandle(write_end);
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
            output->append(buffer, got);
        CloseHandle(read_end);
    }
    if (!started) return 999;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 999;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (seconds) *seconds = (GetTickCount() - start) / 1000.0;
    return status;
}

namespace {

const char kDriversKey[] = "Software\\ODBC\\ODBCINST.INI\\";

} // namespace

SetupRegistration::SetupRegistration(const char* name)
    : rig_(std::string(kDriversKey) + kAccessDriverNames[0]) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, rig_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD size = sizeof library_ - 1;
    RegQueryValueExA(key, "Driver", nullptr, nullptr, reinterpret_cast<BYTE*>(library_), &size);
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, rig_.c_str());
    if (name) {
        moved_ = std::string(kDriversKey) + name;
        Register(moved_);
    }
}

SetupRegistration::~SetupRegistration() {
    if (!moved_.empty()) RegDeleteKeyA(HKEY_LOCAL_MACHINE, moved_.c_str());
    if (library_[0]) Register(rig_);
}

void SetupRegistration::Register(const std::string& key_path) const {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const char* value : {"Driver", "Setup"})
        RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(library_),
                       static_cast<DWORD>(strlen(library_) + 1));
    RegCloseKey(key);
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

DatabaseWriteLock::DatabaseWriteLock(const std::string& folder, Kind kind) {
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
    // The stand-in's database takes a reserved lock (readers go on, writers
    // wait and fail) or an exclusive one (readers wait and fail too).
    const char* begin = kind == kWrites ? "BEGIN IMMEDIATE" : "BEGIN EXCLUSIVE";
    held_ = Succeeded(
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(begin)), SQL_NTS));
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
