// The ODBC installer, odbccp32.dll, from the system folder (library.h):
// what creates a database through a driver's setup library. A missing
// function fails (FALSE, SQL_ERROR).
#pragma once

#include <windows.h>
#include <odbcinst.h>

struct Odbccp32Functions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::SQLConfigDataSource) SQLConfigDataSource;
    decltype(&::SQLInstallerError) SQLInstallerError;
};

// Loaded at the first call, from any thread.
const Odbccp32Functions& Odbccp32Dll();
