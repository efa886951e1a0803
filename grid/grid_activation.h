// The current cell and activation: moving the current cell (the parent may
// refuse), and activating a cell: opening its editor, toggling a check box,
// or notifying a click on an image or a button.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

#include <cstdint>

// 1 when the cell became current; 0 for a cell out of range or a veto of
// GRN_BEFORESELCHANGE.
LRESULT GridSetCurrentCell(GridState* g, uint32_t column, uint32_t row);
// Ends any open edit, makes the cell current and activates it. 1 when the
// cell was activated.
LRESULT GridActivateCell(GridState* g, uint32_t column, uint32_t row);
