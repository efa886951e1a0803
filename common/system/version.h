// The file version service, version.dll, from the system folder
// (library.h). A missing function fails (0, FALSE).
#pragma once

#include <windows.h>

struct VersionFunctions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA;
    decltype(&::GetFileVersionInfoA) GetFileVersionInfoA;
    decltype(&::VerQueryValueA) VerQueryValueA;
};

// Loaded at the first call, from any thread.
const VersionFunctions& VersionDll();
