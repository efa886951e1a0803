// The grid's data: columns, rows, cell values, sorting and the display texts
// that need no window system. Plain data and procedures; the window layer
// (grid_window.cpp and friends) owns one GridModel per grid window.
//
// Storage: the row store holds one record per row (background colour, text
// colour, then one data-heap offset per column); the row index table lists
// record offsets in display order; the data heap holds the cell values.
// Only offsets are kept, so the vectors may move when they grow (they grow
// geometrically, which keeps adding 65,536 rows linear in time).
#pragma once

#include "grid/grid_messages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kGridMaxRows = 65536;
constexpr uint32_t kGridMaxColumns = 0xFFFF;         // cells carry the column in 16 bits
constexpr uint32_t kGridDefaultColour = 0xFFFFFFFFu; // "use the grid's colour"
constexpr size_t kGridConvertBuffer = 512;           // GRN_USERCONVERT buffer
constexpr uint32_t kGridMaxEditText = 511;
constexpr uint32_t kGridMaxDigits = 11;
constexpr uint32_t kGridValueSize = 4; // bytes of a 32-bit cell value

struct GridColumnInfo {
    int32_t width = 0;
    int32_t header_align = 0;
    int32_t cell_align = 0;
    int32_t type = 0;
    int32_t size = 0;
    uintptr_t extra = 0;
    uint32_t flags = 0;
    int32_t left = 0;
    uintptr_t editor = 0;
    uint32_t reserved = 0;
    bool own_editor = false; // the grid created the editor and destroys it
    std::string header;
    std::string format;
    std::vector<std::string> choices; // item value = index
};

struct GridModel {
    std::vector<GridColumnInfo> columns;
    std::vector<uint32_t> row_store; // records of 2 + column count words
    std::vector<uint32_t> row_index; // record offsets (words) in display order
    std::vector<uint8_t> heap;       // cell values; offset 0 means "no value"
    bool has_row_store = false;      // rows were added since the last clear
    int32_t total_width = 0;
};

// Compares two fixed-size data values of the sort column; rows are the
// display positions being compared. Negative, zero or positive.
typedef int (*GridCompareData)(void* context, uint32_t row1, uint32_t row2, const void* value1,
                               const void* value2);

// --- columns
// Appends a column (the caller's fields; flags and left are the grid's).
// Returns the new index, or -1 once a row store exists.
int GridAddColumn(GridModel& model, const GRIDCOLUMN& column);
// Recomputes every left edge and the total width.
void GridLayoutColumns(GridModel& model);
// The public descriptor of a column; texts point at the model's copies.
GRIDCOLUMN GridDescribeColumn(const GridColumnInfo& column);
// Edit limit of a text column and digit limit of a number column.
uint32_t GridEditLimit(const GridColumnInfo& column);
// Bytes stored for one value of the column: 0 for texts, else n or 4.
uint32_t GridFixedSize(const GridColumnInfo& column);
bool GridIsTextColumn(const GridColumnInfo& column);
// Choice and button-text columns: the current cell shows a button face.
bool GridHasButtonPart(const GridColumnInfo& column);

// --- rows
uint32_t GridRowCount(const GridModel& model);
// Adds (position = row count) or inserts a row from one element per column
// (values may be null: an empty row). Returns the position or -1.
int GridInsertRow(GridModel& model, uint32_t position, const intptr_t* values);
bool GridDeleteRow(GridModel& model, uint32_t row);
bool GridMoveRow(GridModel& model, uint32_t from, uint32_t to);
// Frees rows and cell values; columns (with texts and choices) stay.
void GridClearRows(GridModel& model);
// Removes rows and columns.
void GridClearAll(GridModel& model);
bool GridGetRowColours(const GridModel& model, uint32_t row, uint32_t colours[2]);
bool GridSetRowColours(GridModel& model, uint32_t row, const uint32_t colours[2]);

// --- cells
bool GridValidCell(const GridModel& model, uint32_t column, uint32_t row);
// Stores one value (element as for a row). False for a bad cell or when the
// data heap cannot grow.
bool GridSetCell(GridModel& model, uint32_t row, uint32_t column, intptr_t value);
// The stored value, or null for an empty cell.
const uint8_t* GridCellValue(const GridModel& model, uint32_t row, uint32_t column);
// Bytes GridGetCellData writes for this cell (a text's length + 1).
size_t GridCellDataSize(const GridModel& model, uint32_t row, uint32_t column);
// Copies the value (text with terminator, n bytes, or 4 bytes; an empty cell
// gives an empty text or zeros) and returns the column type, -1 if bad.
int GridGetCellData(const GridModel& model, uint32_t row, uint32_t column, void* destination);
// The 32-bit value of a cell (0 when empty or not a 32-bit column).
int32_t GridCellInt(const GridModel& model, uint32_t row, uint32_t column);
// The text of a text cell ("" when empty).
const char* GridCellString(const GridModel& model, uint32_t row, uint32_t column);

// --- sorting
// Comparison of two texts byte by byte, only a..z folded to upper case.
int GridCompareText(const char* a, const char* b);
// order: 0 ascending, 1 descending, other: reverse the column's last order.
// Sorts the row index table with a comb sort (gap shrinks by 1.3, rounded,
// minus 1). Returns false for a bad column or fewer than two rows.
bool GridSortColumn(GridModel& model, uint32_t column, uint32_t order, GridCompareData compare,
                    void* context);
// One gap step of the comb sort: round(gap / 1.3) - 1, at least 1.
uint32_t GridNextGap(uint32_t gap);

// --- display texts
// Decimal text of value shaped by format ("#" = next digit from the right).
std::string GridFormatNumber(int32_t value, const std::string& format);
// "Ctrl + ", "Shift + ", "Alt + " prefixes and the key (F1..F12 or its
// character). Value: low byte virtual key, next byte HOTKEYF_* modifiers.
std::string GridHotKeyText(uint32_t value);
// Days since 30 December 1899 to a calendar date and back.
void GridDayToDate(int32_t day, int& year, int& month, int& day_of_month);
int32_t GridDateToDay(int year, int month, int day_of_month);
// Display text of the cell types that need no system formatter (all but
// date, time and fixed-size data); false for the others.
bool GridPortableCellText(const GridModel& model, uint32_t row, uint32_t column, std::string& text);
