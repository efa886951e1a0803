// The common controls, comctl32.dll, from the system folder (library.h).
// Each entry is typed as commctrl.h declares the function; a missing one
// fails (FALSE, a null image list, -1 for an image index).
#pragma once

#include <windows.h>
#include <commctrl.h>

struct Comctl32Functions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::InitCommonControlsEx) InitCommonControlsEx;
    decltype(&::ImageList_Create) ImageList_Create;
    decltype(&::ImageList_AddMasked) ImageList_AddMasked;
    decltype(&::ImageList_Destroy) ImageList_Destroy;
    decltype(&::ImageList_Draw) ImageList_Draw;
    decltype(&::ImageList_GetIconSize) ImageList_GetIconSize;
    decltype(&::SetWindowSubclass) SetWindowSubclass;
    decltype(&::DefSubclassProc) DefSubclassProc;
    decltype(&::RemoveWindowSubclass) RemoveWindowSubclass;
};

// Loaded at the first call, from any thread.
const Comctl32Functions& Comctl32Dll();
