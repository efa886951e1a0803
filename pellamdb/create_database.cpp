#include "pellamdb/create_database.h"

#include "common/system/odbc32.h"
#include "common/system/odbccp32.h"
#include "db/access_driver.h"
#include "pellamdb/schema_statements.h"

#include <windows.h>

namespace {

bool Succeeded(SQLRETURN r) {
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

// The installer's errors of the last call, "installer error 11: text; ...";
// unknown tells whether the first one says no driver has that name.
std::string InstallerErrors(bool* unknown) {
    std::string all;
    *unknown = false;
    for (WORD i = 1; i <= 8; ++i) {
        DWORD code = 0;
        char text[SQL_MAX_MESSAGE_LENGTH] = "";
        WORD length = 0;
        if (!Succeeded(Odbccp32Dll().SQLInstallerError(i, &code, text, sizeof text, &length)))
            break;
        if (i == 1)
            *unknown = code == ODBC_ERROR_COMPONENT_NOT_FOUND || code == ODBC_ERROR_INVALID_NAME;
        if (!all.empty()) all += "; ";
        all += "installer error " + std::to_string(code) + ": " + text;
    }
    return all.empty() ? "no reason given" : all;
}

// The driver's diagnostics for a handle, "[state] text; ...".
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string all;
    for (SQLSMALLINT i = 1; i <= 8; ++i) {
        SQLCHAR state[6] = "";
        SQLINTEGER native = 0;
        SQLCHAR text[SQL_MAX_MESSAGE_LENGTH] = "";
        SQLSMALLINT length = 0;
        if (!Succeeded(Odbc32Dll().SQLGetDiagRec(type, handle, i, state, &native, text, sizeof text,
                                                 &length)))
            break;
        if (!all.empty()) all += "; ";
        all += std::string("[") + reinterpret_cast<char*>(state) + "] " +
               reinterpret_cast<char*>(text);
    }
    return all.empty() ? "no reason given" : all;
}

// One ODBC connection; the handles go in the reverse order of their making.
struct Connection {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (connected) Odbc32Dll().SQLDisconnect(connection);
        if (connection != SQL_NULL_HDBC) Odbc32Dll().SQLFreeHandle(SQL_HANDLE_DBC, connection);
        if (environment != SQL_NULL_HENV) Odbc32Dll().SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }
};

bool CreateTables(const std::string& path, const char* driver, std::string* error) {
    Connection c;
    if (!Succeeded(Odbc32Dll().SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c.environment)) ||
        !Succeeded(Odbc32Dll().SQLSetEnvAttr(c.environment, SQL_ATTR_ODBC_VERSION,
                                             reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !Succeeded(Odbc32Dll().SQLAllocHandle(SQL_HANDLE_DBC, c.environment, &c.connection))) {
        *error = "ODBC cannot be used";
        return false;
    }
    std::string text = std::string("DRIVER={") + driver + "};DBQ=" + path;
    if (!Succeeded(Odbc32Dll().SQLDriverConnect(c.connection, nullptr,
                                                reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS,
                                                nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
        *error = "the new database cannot be opened: " + Diagnostics(SQL_HANDLE_DBC, c.connection);
        return false;
    }
    c.connected = true;
    for (std::string statement : SplitStatements(kSchemaSql)) {
        SQLHSTMT handle = SQL_NULL_HSTMT;
        if (!Succeeded(Odbc32Dll().SQLAllocHandle(SQL_HANDLE_STMT, c.connection, &handle))) {
            *error = "no statement can be run: " + Diagnostics(SQL_HANDLE_DBC, c.connection);
            return false;
        }
        const bool done = Succeeded(
            Odbc32Dll().SQLExecDirect(handle, reinterpret_cast<SQLCHAR*>(&statement[0]), SQL_NTS));
        if (!done)
            *error = "\"" + statement.substr(0, 40) +
                     "...\" failed: " + Diagnostics(SQL_HANDLE_STMT, handle);
        Odbc32Dll().SQLFreeHandle(SQL_HANDLE_STMT, handle);
        if (!done) return false;
    }
    return true;
}

} // namespace

bool CreateDatabase(const std::string& path, std::string* driver, std::string* error) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        *error = path + " already exists and is left as it is";
        return false;
    }
    // The attribute list ends with an empty pair: c_str() adds the second zero.
    // CREATE_DBV4 asks for the Jet 4 format by name: the 64-bit Access
    // Database Engine's CREATE_DB may make a newer format than the 32-bit
    // Jet driver reads, and the same file must serve both builds.
    std::string attributes = "CREATE_DBV4=\"" + path + "\" General";
    attributes += '\0';
    for (const char* name : kAccessDriverNames) {
        if (!Odbccp32Dll().SQLConfigDataSource(nullptr, ODBC_ADD_DSN, name, attributes.c_str())) {
            bool unknown = false;
            const std::string why = InstallerErrors(&unknown);
            if (unknown) continue; // not installed under this name: try the next
            *error = "the " + std::string(name) + " cannot create " + path + ": " + why;
            return false;
        }
        if (!CreateTables(path, name, error)) {
            DeleteFileA(path.c_str());
            return false;
        }
        *driver = name;
        return true;
    }
    *error = sizeof(void*) == 8
                 ? "no Access ODBC driver for 64-bit programs is installed: install the "
                   "Microsoft Access Database Engine (x64), or use the 32-bit Pellam"
                 : "no Access ODBC driver is installed (Microsoft Access Driver (*.mdb))";
    return false;
}
