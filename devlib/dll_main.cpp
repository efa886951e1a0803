#include "devlib/board_access.h"

#include <windows.h>

// Stores the module handle; nothing else to set up or tear down.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    g_library.module = instance;
    return TRUE;
}
