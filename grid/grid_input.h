// The row area: its window procedure, painting through grid_paint.cpp, and
// the mouse and keyboard, which move the current cell and activate cells.
#pragma once

#include <windows.h>

// The window procedure of class CellRows.
LRESULT CALLBACK GridRowsProc(HWND window, UINT message, WPARAM w, LPARAM l);
