// The answers to the grid's own messages (GRM_*, grid_messages.h): one case
// per message, each calling a named routine of the control.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

bool GridIsRequest(UINT message);
LRESULT GridAnswerRequest(GridState* g, UINT message, WPARAM w, LPARAM l);
