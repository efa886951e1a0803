#include "grid/grid_activation.h"

#include "grid/grid_cells.h"
#include "grid/grid_edit.h"
#include "grid/grid_scroll.h"

#include <algorithm>
#include <cstring>
#include <vector>

LRESULT GridSetCurrentCell(GridState* g, uint32_t column, uint32_t row) {
    if (!GridValidCell(g->model, column, row)) return 0;
    if (GridNotify(g, GRN_BEFORESELCHANGE, static_cast<int>(column), static_cast<int>(row), nullptr,
                   nullptr))
        return 0;
    GridInvalidateRow(g, g->cur_row);
    g->cur_col = column;
    g->cur_row = row;
    GridInvalidateRow(g, row);
    GridScrollIntoView(g);
    GridNotify(g, GRN_AFTERSELCHANGE, static_cast<int>(column), static_cast<int>(row), nullptr,
               nullptr);
    return 1;
}

LRESULT GridActivateCell(GridState* g, uint32_t column, uint32_t row) {
    bool via_button = g->press_on_button;
    g->press_on_button = false;
    GridEndEdit(g, false);
    if (GridRowCount(g->model) == 0) return 0;
    if (!GridSetCurrentCell(g, column, row)) return 0;
    const GridColumnInfo& c = g->model.columns[column];
    std::vector<char> value(
        std::max<size_t>(GridCellDataSize(g->model, row, column) + 1, kGridConvertBuffer), 0);
    GridGetCellData(g->model, row, column, value.data());
    HWND editor = reinterpret_cast<HWND>(c.editor);
    if (GridNotify(g, GRN_BEFOREEDIT, static_cast<int>(column), static_cast<int>(row), editor,
                   value.data()))
        return 0;
    bool button_text = c.type == GCT_BUTTONTEXT || (c.type == GCT_EDITBUTTONTEXT && via_button);
    if (editor && !button_text) {
        GridOpenEditor(g, column, row);
        return 1;
    }
    int32_t number;
    std::memcpy(&number, value.data(), kGridValueSize);
    if (c.type == GCT_CHECK) {
        if (!GridNotify(g, GRN_CHECKCLICK, static_cast<int>(column), static_cast<int>(row), nullptr,
                        &number))
            GridCommitValue(g, column, row, number ? 0 : 1);
    } else if (c.type == GCT_IMAGE) {
        GridNotify(g, GRN_IMAGECLICK, static_cast<int>(column), static_cast<int>(row), nullptr,
                   &number);
    } else if (button_text) {
        if (!GridNotify(g, GRN_BUTTONCLICK, static_cast<int>(column), static_cast<int>(row),
                        nullptr, value.data())) {
            value.back() = 0; // whatever the parent wrote stays a terminated text
            GridCommitValue(g, column, row, reinterpret_cast<intptr_t>(value.data()));
        }
    }
    return 1;
}
