#include "grid/grid_edit.h"

#include "grid/grid_cells.h"
#include "grid/grid_editors.h"

#include <algorithm>
#include <cstring>
#include <string>

void GridOpenEditor(GridState* g, uint32_t column, uint32_t row) {
    RECT cell = GridCellRect(g, column, row);
    // The cell first: the editor paints its frame by its column's type as
    // soon as it shows.
    g->edit.column = column;
    g->edit.row = row;
    HWND editor = GridShowEditor(g, column, row, cell);
    g->edit.phase = GridEditPhase::kEditing;
    g->edit.editor = editor;
    SetFocus(editor);
}

LRESULT GridEndEdit(GridState* g, bool cancel) {
    if (g->edit.phase != GridEditPhase::kEditing) return 0;
    HWND editor = g->edit.editor;
    uint32_t column = g->edit.column, row = g->edit.row;
    std::string text, raw;
    int32_t number = 0;
    GridReadEditor(g, text, number, raw);
    g->edit.phase = GridEditPhase::kNone;
    g->edit.editor = nullptr;
    HWND focus = GetFocus();
    if (focus == editor || IsChild(editor, focus)) SetFocus(g->rows);
    ShowWindow(editor, SW_HIDE);
    if (cancel || !GridValidCell(g->model, column, row)) return 1;
    const GridColumnInfo& c = g->model.columns[column];
    intptr_t value;
    void* data;
    if (c.type == GCT_DATA) {
        raw.resize(std::max<size_t>(raw.size() + 1, kGridConvertBuffer), '\0');
        data = &raw[0];
        if (GridIsTextColumn(c) || GridFixedSize(c) > kGridValueSize) {
            value = reinterpret_cast<intptr_t>(&raw[0]);
        } else {
            uint32_t v = 0;
            std::memcpy(&v, raw.data(), kGridValueSize);
            value = static_cast<intptr_t>(v);
        }
    } else if (GridIsTextColumn(c)) {
        data = &text[0];
        value = reinterpret_cast<intptr_t>(text.c_str());
    } else {
        data = &number;
        value = number;
    }
    if (GridNotify(g, GRN_AFTEREDIT, static_cast<int>(column), static_cast<int>(row), editor, data))
        return 1;
    if (!GridIsTextColumn(c) && c.type != GCT_DATA) value = number; // the parent may change it
    GridStoreCell(g, column, row, value);
    return 1;
}

void GridCommitValue(GridState* g, uint32_t column, uint32_t row, intptr_t value) {
    g->edit.phase = GridEditPhase::kCommitting;
    g->edit.editor = nullptr;
    GridStoreCell(g, column, row, value);
    g->edit.phase = GridEditPhase::kNone;
}
