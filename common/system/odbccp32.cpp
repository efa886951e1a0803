#include "common/system/odbccp32.h"

#include "common/system/library.h"

const Odbccp32Functions& Odbccp32Dll() {
    static const Odbccp32Functions functions = [] {
        Odbccp32Functions f;
        const HMODULE dll = LoadSystemLibrary("odbccp32.dll");
        f.complete = dll != nullptr;
        f.complete &=
            ResolveSystemFunction<FALSE>(dll, "SQLConfigDataSource", &f.SQLConfigDataSource);
        f.complete &=
            ResolveSystemFunction<SQL_ERROR>(dll, "SQLInstallerError", &f.SQLInstallerError);
        return f;
    }();
    return functions;
}
