#include "grid/grid_cells.h"

int GridNotify(GridState* g, UINT code, int column, int row, HWND window, void* data) {
    GRIDNOTIFY n{};
    n.hdr.hwndFrom = g->self;
    n.hdr.idFrom = g->id;
    n.hdr.code = code;
    n.column = column;
    n.row = row;
    n.window = window;
    n.data = data;
    n.veto = 0;
    if (g->parent) SendMessageA(g->parent, WM_NOTIFY, g->id, reinterpret_cast<LPARAM>(&n));
    return n.veto;
}

LRESULT GridStoreCell(GridState* g, uint32_t column, uint32_t row, intptr_t value) {
    if (!GridValidCell(g->model, column, row)) return 0;
    const GridColumnInfo& c = g->model.columns[column];
    bool pointer = GridIsTextColumn(c) || GridFixedSize(c) > kGridValueSize;
    void* data = pointer ? reinterpret_cast<void*>(value) : static_cast<void*>(&value);
    if (GridNotify(g, GRN_BEFOREUPDATE, static_cast<int>(column), static_cast<int>(row), nullptr,
                   data))
        return 0;
    if (!GridSetCell(g->model, row, column, value)) return 0;
    GridNotify(g, GRN_AFTERUPDATE, static_cast<int>(column), static_cast<int>(row), nullptr,
               const_cast<uint8_t*>(GridCellValue(g->model, row, column)));
    GridInvalidateRow(g, row);
    return 1;
}

int GridVisibleRows(const GridState* g) {
    int height = g->client_height - g->header_height;
    return height > 0 ? height / g->row_height : 0;
}

RECT GridCellRect(const GridState* g, uint32_t column, uint32_t row) {
    const GridColumnInfo& c = g->model.columns[column];
    RECT r;
    r.left = c.left;
    r.right = c.left + c.width;
    r.top = (static_cast<long>(row) - static_cast<long>(g->first_row)) * g->row_height;
    r.bottom = r.top + g->row_height;
    return r;
}

void GridInvalidateRow(GridState* g, uint32_t row) {
    if (row < g->first_row) return;
    RECT r;
    GetClientRect(g->rows, &r);
    r.top = static_cast<long>(row - g->first_row) * g->row_height;
    r.bottom = r.top + g->row_height;
    InvalidateRect(g->rows, &r, FALSE);
}

void GridInvalidateAll(GridState* g) {
    InvalidateRect(g->header, nullptr, FALSE);
    InvalidateRect(g->rows, nullptr, FALSE);
}
