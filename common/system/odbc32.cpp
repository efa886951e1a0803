#include "common/system/odbc32.h"

#include "common/system/library.h"

const Odbc32Functions& Odbc32Dll() {
    static const Odbc32Functions functions = [] {
        Odbc32Functions f;
        const HMODULE dll = LoadSystemLibrary("odbc32.dll");
        bool all = dll != nullptr;
#define RESOLVE(name) all &= ResolveSystemFunction<SQL_ERROR>(dll, #name, &f.name)
        RESOLVE(SQLAllocHandle);
        RESOLVE(SQLFreeHandle);
        RESOLVE(SQLSetEnvAttr);
        RESOLVE(SQLSetConnectAttr);
        RESOLVE(SQLDriverConnect);
        RESOLVE(SQLDisconnect);
        RESOLVE(SQLGetDiagRec);
        RESOLVE(SQLExecDirect);
        RESOLVE(SQLPrepare);
        RESOLVE(SQLExecute);
        RESOLVE(SQLBindCol);
        RESOLVE(SQLFetch);
        RESOLVE(SQLCloseCursor);
        RESOLVE(SQLFreeStmt);
        RESOLVE(SQLEndTran);
        RESOLVE(SQLRowCount);
#undef RESOLVE
        f.complete = all;
        return f;
    }();
    return functions;
}
