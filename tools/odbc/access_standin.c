/* The "Microsoft Access Driver (*.mdb)" stand-in for unixODBC: every ODBC
   entry point jumps straight to the SQLite ODBC driver, except
   SQLDriverConnect, which first turns DBQ=<Windows path> into
   Database=<host path> and refuses a database file that does not exist, and
   SQLExecDirect and SQLPrepare, which give CREATE statements SQLite's form
   of Jet's COUNTER keys, and SQLExecDirect and SQLExecute, which with
   PELLAM_STANDIN_ODBC2 set answer a change that found no row as the ODBC 2.x
   Access driver does: success (only SQLRowCount says 0), not SQL_NO_DATA.
   unixODBC looks functions up in this library itself,
   so each one the SQLite driver offers is defined here. */
#include "tools/odbc/counter_keys.h"
#include "tools/odbc/dbq_translate.h"

#include <dlfcn.h>
#include <stdio.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sql.h>
#include <sqlext.h>

/* Debian's SQLite ODBC driver, in the library folder of the stand-in's own
   architecture (the 32-bit lane builds it for i386). */
#if defined(__i386__)
#define SQLITE_DRIVER "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
#else
#define SQLITE_DRIVER "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"
#endif

static SQLRETURN Unavailable(void) { return SQL_ERROR; }

/* A forwarded function is a single indirect jump through its pointer, so it
   keeps any signature; until the SQLite driver is loaded it fails. On i386
   the pointer is reached through the GOT, whose address the call/pop pair
   yields (%eax is free: arguments are on the stack). */
#if defined(__i386__)
#define JUMP_THROUGH(name)                                                               \
    "\tcall 1f\n1:\tpopl %eax\n\taddl $_GLOBAL_OFFSET_TABLE_+(.-1b), %eax\n"             \
    "\tjmp *real_" #name "@GOTOFF(%eax)\n"
#else
#define JUMP_THROUGH(name) "\tjmp *real_" #name "(%rip)\n"
#endif
#define FORWARD(name)                                                                    \
    __attribute__((visibility("hidden"))) void* real_##name = (void*)Unavailable;         \
    __asm__(".text\n.globl " #name "\n.type " #name ",@function\n" #name ":\n"             \
            JUMP_THROUGH(name));
#define FORWARDED_FUNCTIONS(X)                                                                \
    X(SQLAllocConnect) X(SQLAllocEnv) X(SQLAllocHandle) X(SQLAllocStmt) X(SQLBindCol)           \
    X(SQLBindParam) X(SQLBindParameter) X(SQLBrowseConnect) X(SQLBulkOperations) X(SQLCancel)    \
    X(SQLCloseCursor) X(SQLColAttribute) X(SQLColAttributes) X(SQLColumnPrivileges)             \
    X(SQLColumns) X(SQLConnect) X(SQLCopyDesc) X(SQLDataSources) X(SQLDescribeCol)              \
    X(SQLDescribeParam) X(SQLDisconnect) X(SQLDrivers) X(SQLEndTran) X(SQLError)                 \
    X(SQLExtendedFetch) X(SQLFetch) X(SQLFetchScroll)            \
    X(SQLForeignKeys) X(SQLFreeConnect) X(SQLFreeEnv) X(SQLFreeHandle) X(SQLFreeStmt)            \
    X(SQLGetConnectAttr) X(SQLGetConnectOption) X(SQLGetCursorName) X(SQLGetData)               \
    X(SQLGetDescField) X(SQLGetDescRec) X(SQLGetDiagField) X(SQLGetDiagRec) X(SQLGetEnvAttr)     \
    X(SQLGetFunctions) X(SQLGetInfo) X(SQLGetStmtAttr) X(SQLGetStmtOption) X(SQLGetTypeInfo)     \
    X(SQLMoreResults) X(SQLNativeSql) X(SQLNumParams) X(SQLNumResultCols) X(SQLParamData)        \
    X(SQLParamOptions) X(SQLPrimaryKeys) X(SQLProcedureColumns) X(SQLProcedures)   \
    X(SQLPutData) X(SQLRowCount) X(SQLSetConnectAttr) X(SQLSetConnectOption) X(SQLSetCursorName) \
    X(SQLSetDescField) X(SQLSetDescRec) X(SQLSetEnvAttr) X(SQLSetParam) X(SQLSetPos)              \
    X(SQLSetScrollOptions) X(SQLSetStmtAttr) X(SQLSetStmtOption) X(SQLSpecialColumns)           \
    X(SQLStatistics) X(SQLTablePrivileges) X(SQLTables) X(SQLTransact)

FORWARDED_FUNCTIONS(FORWARD)

typedef SQLRETURN (*DriverConnectFn)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                     SQLSMALLINT*, SQLUSMALLINT);
static DriverConnectFn real_SQLDriverConnect;
typedef SQLRETURN (*StatementTextFn)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
static StatementTextFn real_SQLExecDirect, real_SQLPrepare;
typedef SQLRETURN (*ExecuteFn)(SQLHSTMT);
static ExecuteFn real_SQLExecute;
static int g_odbc2_answers;

__attribute__((constructor)) static void LoadSqliteDriver(void) {
    void* sqlite = dlopen(SQLITE_DRIVER, RTLD_NOW | RTLD_LOCAL);
    if (!sqlite) return;
#define RESOLVE(name)                                                                    \
    {                                                                                    \
        void* f = dlsym(sqlite, #name);                                                  \
        if (f) real_##name = f;                                                          \
    }
    FORWARDED_FUNCTIONS(RESOLVE)
    real_SQLDriverConnect = (DriverConnectFn)dlsym(sqlite, "SQLDriverConnect");
    real_SQLExecDirect = (StatementTextFn)dlsym(sqlite, "SQLExecDirect");
    real_SQLPrepare = (StatementTextFn)dlsym(sqlite, "SQLPrepare");
    real_SQLExecute = (ExecuteFn)dlsym(sqlite, "SQLExecute");
    const char* odbc2 = getenv("PELLAM_STANDIN_ODBC2");
    g_odbc2_answers = odbc2 && *odbc2 && strcmp(odbc2, "0") != 0;
}

/* The ODBC 2.x answer to a change that found no row. */
static SQLRETURN AsAccessAnswers(SQLRETURN r) {
    return g_odbc2_answers && r == SQL_NO_DATA ? SQL_SUCCESS : r;
}

/* Hands the statement on, CREATE statements in SQLite's form. */
static SQLRETURN WithSqliteKeys(StatementTextFn real, SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    if (!real) return SQL_ERROR;
    if (!text || (length < 0 && length != SQL_NTS)) return real(stmt, text, length);
    const size_t n = length == SQL_NTS ? strlen((const char*)text) : (size_t)length;
    char* rewritten = RewriteCounterKeys((const char*)text, n);
    if (!rewritten) return real(stmt, text, length);
    const SQLRETURN r = real(stmt, (SQLCHAR*)rewritten, SQL_NTS);
    free(rewritten);
    return r;
}

SQLRETURN SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    return AsAccessAnswers(WithSqliteKeys(real_SQLExecDirect, stmt, text, length));
}

SQLRETURN SQLExecute(SQLHSTMT stmt) {
    return real_SQLExecute ? AsAccessAnswers(real_SQLExecute(stmt)) : SQL_ERROR;
}

SQLRETURN SQLPrepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    return WithSqliteKeys(real_SQLPrepare, stmt, text, length);
}

SQLRETURN SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in, SQLSMALLINT in_length, SQLCHAR* out,
                           SQLSMALLINT out_capacity, SQLSMALLINT* out_length, SQLUSMALLINT completion) {
    (void)completion; /* the text is always complete: never prompt */
    if (!real_SQLDriverConnect || !in) return SQL_ERROR;
    char text[2048];
    const size_t n = in_length == SQL_NTS ? strlen((const char*)in) : (size_t)(in_length < 0 ? 0 : in_length);
    if (n >= sizeof text) return SQL_ERROR;
    memcpy(text, in, n);
    text[n] = 0;
    char translated[2048 + PATH_MAX];
    const char* prefix = getenv("WINEPREFIX");
    char home_prefix[PATH_MAX];
    if (!prefix) {
        const char* home = getenv("HOME");
        snprintf(home_prefix, sizeof home_prefix, "%s/.wine", home ? home : "");
        prefix = home_prefix;
    }
    if (TranslateConnectText(text, translated, sizeof translated, prefix) != 0) return SQL_ERROR;
    /* A database locked by another program fails a statement after a second,
       as the Access driver does after its retries, instead of the SQLite
       driver's default of 100 s that would freeze the program. */
    if (!strcasestr(translated, "Timeout=")) {
        const size_t used = strlen(translated);
        if (used + sizeof ";Timeout=1000" > sizeof translated) return SQL_ERROR;
        memcpy(translated + used, ";Timeout=1000", sizeof ";Timeout=1000");
    }
    /* The completed text is the translated one; no prompt is ever shown. */
    return real_SQLDriverConnect(dbc, window, (SQLCHAR*)translated, SQL_NTS, out, out_capacity, out_length,
                                 SQL_DRIVER_NOPROMPT);
}
