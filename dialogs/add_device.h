// The Add Device dialog: lists the attached boards whose product string is
// "SWITCHDECK 5s" and registers the chosen one in table Main.
#pragma once

enum AddDeviceMode { kAddDeviceNormal = 0, kAddDeviceFirstRun = 1 };

// Modal over the main window; ends with result 0.
void OpenAddDeviceDialog(AddDeviceMode mode);
