#include "common/system/library.h"

#include <cstring>

void RemoveCurrentFolderFromDllSearch() {
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name) {
    if (HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without update KB2533623 does not know the flag: load the
    // file by its full path in the system folder instead, its own imports
    // looked for in that folder first.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(name) >= sizeof path) return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
