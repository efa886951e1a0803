// The in-place editor windows: one per column that has one, made with the
// column; the choice list's items; reading an editor's value back. The
// editors end an edit by sending GRM_ENDEDIT to their grid window (Enter,
// Escape, a click in the choice list, the focus moving away); what an edit
// does with the grid is grid_edit.cpp's.
#pragma once

#include "grid/grid_state.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Makes the column's editor a hidden child of the row area (for fixed-size
// data: takes the caller's window, if any, into the row area).
void GridCreateEditor(GridState* g, GridColumnInfo& column);
// Destroys the editors the grid made and gives callers' windows back; no
// edit stays open.
void GridDestroyEditors(GridState* g);
// Shows the column's editor over `cell` (row-area coordinates) holding the
// cell's value, and returns it.
HWND GridShowEditor(GridState* g, uint32_t column, uint32_t row, const RECT& cell);
// Reads the open editor's value into text (text types), number (32-bit
// types) or raw (fixed-size data).
void GridReadEditor(const GridState* g, std::string& text, int32_t& number, std::string& raw);

void GridAddEditorChoice(GridColumnInfo& column, const char* text, int value);
void GridClearEditorChoices(GridColumnInfo& column);
// The row area answers for the owner-drawn choice lists.
void GridMeasureChoiceItem(MEASUREITEMSTRUCT* item);
bool GridDrawChoiceItem(GridState* g, const DRAWITEMSTRUCT* item);
