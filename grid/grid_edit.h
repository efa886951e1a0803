// The in-place edit of a cell: opening the column's editor over it, ending
// the edit (commit or cancel), and committing a value that activation made
// without an editor (a toggled check box, a button cell's text).
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

#include <cstdint>

// Opens the column's editor over the cell, holding the cell's value, and
// gives it the focus. The column must have an editor.
void GridOpenEditor(GridState* g, uint32_t column, uint32_t row);
// Ends the open edit: hides the editor and, unless cancelled, stores its
// value when the parent does not veto GRN_AFTEREDIT. Returns 1 when an
// editor was open, else 0.
LRESULT GridEndEdit(GridState* g, bool cancel);
// Stores a value that activation produced without an editor.
void GridCommitValue(GridState* g, uint32_t column, uint32_t row, intptr_t value);
