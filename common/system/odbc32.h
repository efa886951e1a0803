// The ODBC driver manager, odbc32.dll, from the system folder (library.h).
// Each entry is typed as sql.h and sqlext.h declare the function; a missing
// one answers SQL_ERROR.
#pragma once

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

struct Odbc32Functions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::SQLAllocHandle) SQLAllocHandle;
    decltype(&::SQLFreeHandle) SQLFreeHandle;
    decltype(&::SQLSetEnvAttr) SQLSetEnvAttr;
    decltype(&::SQLSetConnectAttr) SQLSetConnectAttr;
    decltype(&::SQLDriverConnect) SQLDriverConnect;
    decltype(&::SQLDisconnect) SQLDisconnect;
    decltype(&::SQLGetDiagRec) SQLGetDiagRec;
    decltype(&::SQLExecDirect) SQLExecDirect;
    decltype(&::SQLPrepare) SQLPrepare;
    decltype(&::SQLExecute) SQLExecute;
    decltype(&::SQLBindCol) SQLBindCol;
    decltype(&::SQLFetch) SQLFetch;
    decltype(&::SQLCloseCursor) SQLCloseCursor;
    decltype(&::SQLFreeStmt) SQLFreeStmt;
    decltype(&::SQLEndTran) SQLEndTran;
    decltype(&::SQLRowCount) SQLRowCount;
};

// Loaded at the first call, from any thread.
const Odbc32Functions& Odbc32Dll();
