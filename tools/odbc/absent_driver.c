/* The rig's answer for an ODBC driver name that a PC does not have. On
   Windows the driver manager answers a connection to a driver that is not
   installed with SQLSTATE IM002; unixODBC would instead try to load a
   library of that name and answer 01000. The rig registers each Access
   driver name it treats as missing with this library, which refuses every
   connection with the Windows answer. */
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <string.h>

/* A handle of any kind; a connection keeps its refusal until it is read. */
struct Handle {
    int refused;
};

static const char kState[] = "IM002";
static const char kMessage[] = "Data source name not found and no default driver specified";

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* out) {
    (void)type;
    (void)input;
    *out = calloc(1, sizeof(struct Handle));
    return *out ? SQL_SUCCESS : SQL_ERROR;
}

SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    (void)type;
    free(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQLSetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    (void)env;
    (void)attribute;
    (void)value;
    (void)length;
    return SQL_SUCCESS;
}

SQLRETURN SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in, SQLSMALLINT in_length,
                           SQLCHAR* out, SQLSMALLINT out_capacity, SQLSMALLINT* out_length,
                           SQLUSMALLINT completion) {
    (void)window;
    (void)in;
    (void)in_length;
    (void)out;
    (void)out_capacity;
    (void)out_length;
    (void)completion;
    ((struct Handle*)dbc)->refused = 1;
    return SQL_ERROR;
}

/* The refusal of a connection as one diagnostic record, handed out once. */
static SQLRETURN Refusal(struct Handle* dbc, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* text,
                         SQLSMALLINT capacity, SQLSMALLINT* length) {
    if (!dbc || !dbc->refused) return SQL_NO_DATA;
    dbc->refused = 0;
    if (state) memcpy(state, kState, sizeof kState);
    if (native) *native = 0;
    if (length) *length = (SQLSMALLINT)strlen(kMessage);
    if (text && capacity > 0) {
        strncpy((char*)text, kMessage, (size_t)capacity - 1);
        text[capacity - 1] = 0;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state, SQLINTEGER* native,
                   SQLCHAR* text, SQLSMALLINT capacity, SQLSMALLINT* length) {
    (void)env;
    (void)stmt;
    return Refusal(dbc, state, native, text, capacity, length);
}

SQLRETURN SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state,
                        SQLINTEGER* native, SQLCHAR* text, SQLSMALLINT capacity,
                        SQLSMALLINT* length) {
    if (type != SQL_HANDLE_DBC || record != 1) return SQL_NO_DATA;
    return Refusal(handle, state, native, text, capacity, length);
}
