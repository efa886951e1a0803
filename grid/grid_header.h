// The header's own window procedure (it replaces the static control's and
// passes on what it does not handle): column resizing by dragging a column
// edge with the divider line, and header clicks.
#pragma once

#include <windows.h>

LRESULT CALLBACK GridHeaderProc(HWND window, UINT message, WPARAM w, LPARAM l);
