// Layout of the header and the row area, the scroll bars, and scrolling.
// Scrolling commits an open edit first: the editor would otherwise stay
// over another row or column.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

// Posted by the grid to itself after rows changed: sets the vertical bar.
constexpr UINT kGridRefreshBars = WM_USER + 0x100;

// Places header and row area for the client size and sets both bars,
// keeping the scroll positions inside their ranges.
void GridLayout(GridState* g);
void GridUpdateVerticalBar(GridState* g, bool redraw);
// Sets the vertical bar once when kGridRefreshBars arrives, instead of
// once per added row.
void GridScheduleVerticalBar(GridState* g);
// Sets the vertical bar now if kGridRefreshBars is still on its way.
void GridFlushVerticalBar(GridState* g);

// A WM_VSCROLL (bar SB_VERT) or WM_HSCROLL (SB_HORZ) request.
void GridScroll(GridState* g, int bar, WORD request);
// WM_MOUSEWHEEL: three rows per notch.
void GridScrollWheel(GridState* g, int delta);
void GridSetFirstRow(GridState* g, long first);
void GridSetScrollX(GridState* g, long x);
// Scrolls so that the current cell is visible.
void GridScrollIntoView(GridState* g);
