// The Add Device dialog: lists the attached boards whose product string is
// "SWITCHDECK 5s" and registers the chosen one in table Main.
#pragma once

#include <windows.h>

enum AddDeviceMode { kAddDeviceNormal = 0, kAddDeviceFirstRun = 1 };

struct AddedBoard {
    bool added = false;
    char board_id_text[5] = ""; // the registered board, when added
};

// Modal over `owner`. In first-run mode the new board becomes the default.
AddedBoard OpenAddDeviceDialog(HINSTANCE instance, HWND owner, AddDeviceMode mode);
