// Pellam's main window: a dialog template of its own class "DLGCLASS",
// its set-up, command dispatch, timers and text colours.
#pragma once

#include <windows.h>

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the window from template 1000 (set-up runs during creation).
// Returns null when set-up ended the program (no installation record or
// database); the quit message is then already posted.
HWND CreateMainWindow(HINSTANCE instance);
// The file version of the program's version record ("" without one).
void ReadBuildNumber(char* out, int capacity);
