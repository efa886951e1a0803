// Painting of the header and of the rows (each row drawn off-screen and
// copied in one step), and the cells' display texts.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The header's owner-draw pass over all columns.
void GridPaintHeader(GridState* g, const DRAWITEMSTRUCT* item);
// The rows that intersect `update`, and the background below them.
void GridPaintRows(GridState* g, HDC dc, const RECT& update);
// The cell as display text, as painted. Returns false when the parent asked
// to draw a fixed-size cell itself.
bool GridCellText(GridState* g, uint32_t row, uint32_t column, std::string& text);
