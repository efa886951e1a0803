// The HID class services, hid.dll, from the system folder (library.h). A
// missing function fails: FALSE, and no class GUID (the walk then finds no
// device).
#pragma once

#include <windows.h>
extern "C" {
#include <hidsdi.h>
}

struct HidFunctions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::HidD_GetHidGuid) HidD_GetHidGuid;
    decltype(&::HidD_GetAttributes) HidD_GetAttributes;
    decltype(&::HidD_GetProductString) HidD_GetProductString;
    decltype(&::HidD_GetManufacturerString) HidD_GetManufacturerString;
};

// Loaded at the first call (never from DllMain), from any thread.
const HidFunctions& HidDll();
