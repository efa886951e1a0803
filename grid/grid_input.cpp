#include "grid/grid_input.h"

#include "grid/grid_activation.h"
#include "grid/grid_cells.h"
#include "grid/grid_editors.h"
#include "grid/grid_paint.h"
#include "grid/grid_scroll.h"
#include "grid/grid_state.h"

#include <windowsx.h>

#include <algorithm>

namespace {

bool HitCell(GridState* g, int x, int y, uint32_t& column, uint32_t& row) {
    const GridModel& m = g->model;
    uint32_t count = GridRowCount(m);
    if (count == 0 || m.columns.empty()) return false;
    int found = -1, first_visible = -1, last_visible = -1;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        if (first_visible < 0) first_visible = static_cast<int>(c);
        last_visible = static_cast<int>(c);
        if (x >= col.left && x < col.left + col.width) found = static_cast<int>(c);
    }
    if (last_visible < 0) return false;
    if (found < 0) found = x < 0 ? first_visible : last_visible;
    long r = static_cast<long>(g->first_row) + (y < 0 ? 0 : y / g->row_height);
    column = static_cast<uint32_t>(found);
    row = static_cast<uint32_t>(std::min<long>(r, static_cast<long>(count) - 1));
    return true;
}

bool OnButtonPart(GridState* g, uint32_t column, int x) {
    const GridColumnInfo& c = g->model.columns[column];
    return GridHasButtonPart(c) && x >= c.left + c.width - g->row_height;
}

// Follows the pointer while the button is held: scrolls at the edges and
// moves the current cell to the cell under the pointer.
void TrackPointer(GridState* g, int x, int y) {
    RECT client, grid;
    GetClientRect(g->rows, &client);
    GetClientRect(g->self, &grid);
    if (y < 0) SendMessageA(g->self, WM_VSCROLL, SB_LINEUP, 0);
    if (y >= client.bottom) SendMessageA(g->self, WM_VSCROLL, SB_LINEDOWN, 0);
    if (x < g->scroll_x) SendMessageA(g->self, WM_HSCROLL, SB_LINEUP, 0);
    if (x >= g->scroll_x + grid.right) SendMessageA(g->self, WM_HSCROLL, SB_LINEDOWN, 0);
    uint32_t column, row;
    if (!HitCell(g, x, y, column, row)) return;
    if (!g->has_last || column != g->last_col || row != g->last_row) {
        g->press_on_button = false;
        g->press_was_current = false;
        if (g->button_held) {
            g->button_held = false;
            GridInvalidateRow(g, g->cur_row);
        }
    }
    if (column != g->cur_col || row != g->cur_row) GridSetCurrentCell(g, column, row);
    g->has_last = true;
    g->last_col = g->cur_col;
    g->last_row = g->cur_row;
}

void ButtonDown(GridState* g, int x, int y) {
    SetFocus(g->rows);
    SetCapture(g->rows);
    g->captured = true;
    uint32_t column, row;
    if (!HitCell(g, x, y, column, row)) return;
    bool was_current = column == g->cur_col && row == g->cur_row;
    bool same = was_current && g->has_last && column == g->last_col && row == g->last_row;
    TrackPointer(g, x, y);
    g->press_on_button = OnButtonPart(g, column, x);
    g->press_was_current = was_current;
    if (g->press_on_button && was_current) {
        g->button_held = true;
        GridInvalidateRow(g, row);
    }
    if (same && g->model.columns[column].type == GCT_CHECK) GridActivateCell(g, column, row);
}

void ButtonUp(GridState* g) {
    bool activate = g->captured && g->press_on_button && g->press_was_current;
    g->captured = false;
    if (GetCapture() == g->rows) ReleaseCapture();
    if (g->button_held) {
        g->button_held = false;
        GridInvalidateRow(g, g->cur_row);
    }
    if (activate)
        GridActivateCell(g, g->cur_col, g->cur_row);
    else
        g->press_on_button = false;
}

int NextVisibleColumn(GridState* g, int step) {
    const GridModel& m = g->model;
    for (long c = static_cast<long>(g->cur_col) + step;
         c >= 0 && c < static_cast<long>(m.columns.size()); c += step)
        if (m.columns[c].width > 0) return static_cast<int>(c);
    return -1;
}

LRESULT RowsMouse(GridState* g, UINT message, WPARAM, LPARAM l) {
    int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
    switch (message) {
    case WM_LBUTTONDOWN:
        ButtonDown(g, x, y);
        break;
    case WM_MOUSEMOVE:
        if (g->captured) TrackPointer(g, x, y);
        break;
    case WM_LBUTTONUP:
        ButtonUp(g);
        break;
    case WM_LBUTTONDBLCLK: {
        uint32_t column, row;
        if (HitCell(g, x, y, column, row) && (column != g->cur_col || row != g->cur_row))
            GridSetCurrentCell(g, column, row);
        g->press_on_button = OnButtonPart(g, g->cur_col, x);
        GridActivateCell(g, g->cur_col, g->cur_row);
        break;
    }
    case WM_CAPTURECHANGED:
        g->captured = false;
        break;
    }
    return 0;
}

void RowsKeyDown(GridState* g, WPARAM key) {
    uint32_t count = GridRowCount(g->model);
    bool keypad = key >= VK_NUMPAD0 && key <= VK_NUMPAD9;
    if (keypad) g->swallow_char = true;
    if (key == VK_TAB) {
        HWND dialog = GetParent(g->self);
        HWND next =
            dialog ? GetNextDlgTabItem(dialog, g->self, GetKeyState(VK_SHIFT) < 0) : nullptr;
        if (next) SetFocus(next);
        return;
    }
    if (count == 0) return;
    long row = static_cast<long>(g->cur_row);
    long page = std::max(GridVisibleRows(g), 1);
    switch (key) {
    case VK_RIGHT:
    case VK_NUMPAD6:
    case VK_LEFT:
    case VK_NUMPAD4: {
        int c = NextVisibleColumn(g, (key == VK_RIGHT || key == VK_NUMPAD6) ? 1 : -1);
        if (c >= 0) GridSetCurrentCell(g, static_cast<uint32_t>(c), g->cur_row);
        return;
    }
    case VK_DOWN:
    case VK_NUMPAD2:
        row += 1;
        break;
    case VK_UP:
    case VK_NUMPAD8:
        row -= 1;
        break;
    case VK_NEXT:
    case VK_NUMPAD3:
        row = std::min(row + page, static_cast<long>(count) - 1);
        break;
    case VK_PRIOR:
    case VK_NUMPAD9:
        row = std::max(row - page, 0L);
        break;
    case VK_HOME:
    case VK_NUMPAD7:
        row = 0;
        break;
    case VK_END:
    case VK_NUMPAD1:
        row = static_cast<long>(count) - 1;
        break;
    case VK_RETURN:
        GridActivateCell(g, g->cur_col, g->cur_row);
        return;
    default:
        if (keypad) g->swallow_char = false; // a digit that moves nothing types as usual
        return;
    }
    if (row < 0 || row >= static_cast<long>(count) || static_cast<uint32_t>(row) == g->cur_row) {
        GridScrollIntoView(g);
        return;
    }
    GridSetCurrentCell(g, g->cur_col, static_cast<uint32_t>(row));
}

void RowsChar(GridState* g, WPARAM ch) {
    if (g->swallow_char) {
        g->swallow_char = false;
        return;
    }
    if (ch == '\r' || ch == '\t' || ch == kGridEscapeChar || ch == '\n') return;
    if (GridRowCount(g->model) == 0) return;
    GridActivateCell(g, g->cur_col, g->cur_row);
    // Typing starts editing: the character goes on to the editor that opened.
    if (g->edit.phase == GridEditPhase::kEditing) SendMessageA(g->edit.editor, WM_CHAR, ch, 0);
}

} // namespace

LRESULT CALLBACK GridRowsProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(l);
        SetWindowLongPtrA(window, kGridStateWord, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    GridState* g = GridFromWindow(window);
    if (!g) return DefWindowProcA(window, message, w, l);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        GridPaintRows(g, dc, ps.rcPaint);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        GridInvalidateRow(g, g->cur_row);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
        return RowsMouse(g, message, w, l);
    case WM_KEYDOWN:
        RowsKeyDown(g, w);
        return 0;
    case WM_CHAR:
        RowsChar(g, w);
        return 0;
    case WM_MOUSEWHEEL:
        return SendMessageA(g->self, message, w, l);
    case WM_MEASUREITEM:
        GridMeasureChoiceItem(reinterpret_cast<MEASUREITEMSTRUCT*>(l));
        return TRUE;
    case WM_DRAWITEM:
        return GridDrawChoiceItem(g, reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    }
    return DefWindowProcA(window, message, w, l);
}
