// What every part of the control uses: notifications to the parent, storing
// a cell value with its notifications, and where rows and cells lie in the
// row area.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

#include <cstdint>

// Sends a notification to the parent; returns its veto (0: none).
int GridNotify(GridState* g, UINT code, int column, int row, HWND window, void* data);
// Stores a value (an element as for GRM_SETCELLDATA) between
// GRN_BEFOREUPDATE and GRN_AFTERUPDATE and redraws its row. 1 when stored.
LRESULT GridStoreCell(GridState* g, uint32_t column, uint32_t row, intptr_t value);

// Whole rows that fit below the header.
int GridVisibleRows(const GridState* g);
// A cell's rectangle in row-area coordinates.
RECT GridCellRect(const GridState* g, uint32_t column, uint32_t row);
void GridInvalidateRow(GridState* g, uint32_t row);
// Header and rows.
void GridInvalidateAll(GridState* g);
