// pellam-db: creates Pellam's database through the Access ODBC driver, as
// the installer does.
//   pellam-db create PATH
// Exit status 0: PATH holds a new database with both tables; 1: it was not
// made, and the reason is printed; 2: wrong arguments.
#include "common/system/library.h"
#include "pellamdb/create_database.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    RemoveCurrentFolderFromDllSearch();
    if (argc != 3 || std::strcmp(argv[1], "create") != 0) {
        std::printf("usage: pellam-db create PATH\n");
        return 2;
    }
    // The driver takes full paths only.
    char path[MAX_PATH];
    const DWORD n = GetFullPathNameA(argv[2], sizeof path, path, nullptr);
    if (n == 0 || n >= sizeof path) {
        std::printf("pellam-db: %s is not a usable path\n", argv[2]);
        return 1;
    }
    std::string driver, error;
    if (!CreateDatabase(path, &driver, &error)) {
        std::printf("pellam-db: %s\n", error.c_str());
        return 1;
    }
    std::printf("Created %s with the %s.\n", path, driver.c_str());
    return 0;
}
