// Pellam's main window in a benchmark: a private installation with one
// registered default board, the window created as start-up does, connected
// to the simulated board.
#pragma once

#include <windows.h>

#include <string>

// Returns the main window (null on failure); `folder` receives the
// installation to remove afterwards.
HWND StartConnectedProgram(std::string* folder);
void StopProgram(HWND window, const std::string& folder);
