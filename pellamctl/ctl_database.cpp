#include "pellamctl/ctl_database.h"

#include "common/text_helpers.h"

namespace {

const char* OpenFailure(OpenResult result) {
    switch (result) {
    case OpenResult::kNoEnvironment:
        return "no ODBC environment";
    case OpenResult::kNoOdbcVersion:
        return "ODBC 3 is not available";
    case OpenResult::kNoConnectionHandle:
        return "no ODBC connection handle";
    default:
        return "the Access driver could not connect";
    }
}

} // namespace

CtlDatabase::~CtlDatabase() {
    if (open_) CloseDatabase();
}

bool CtlDatabase::Open(const std::string& path, std::string* error) {
    if (path.empty()) {
        const LocateResult located = LocateDatabase();
        if (located == LocateResult::kNotInstalled) {
            *error = "Pellam is not installed here (no installation record): give the database "
                     "with --db PATH";
            return false;
        }
        if (located == LocateResult::kNotFound) {
            *error = std::string("the installation's database is missing: ") + g_database.path;
            return false;
        }
    } else {
        // The driver takes full paths only.
        const DWORD n =
            GetFullPathNameA(path.c_str(), sizeof g_database.path, g_database.path, nullptr);
        if (n == 0 || n >= sizeof g_database.path) {
            *error = "\"" + path + "\" is not a usable path";
            return false;
        }
        if (!FileExists(g_database.path)) {
            *error = std::string("database not found: ") + g_database.path;
            return false;
        }
    }
    const OpenResult opened = OpenDatabase();
    if (opened != OpenResult::kOpen) {
        *error =
            std::string("cannot open the database ") + g_database.path + ": " + OpenFailure(opened);
        return false;
    }
    open_ = true;
    return true;
}

std::string DatabaseFailure(const DbResult& result) {
    return std::string("database error: ") + result.failure + " (in: " + result.statement + ")";
}
