// Mouse and keyboard of the row area, and the header's own procedure
// (column resizing with the divider line, header clicks).
#include "grid/grid_internal.h"

#include <windowsx.h>

#include <algorithm>

namespace {

bool HitCell(GridState* g, int x, int y, uint32_t& column, uint32_t& row) {
    const GridModel& m = g->model;
    uint32_t count = GridRowCount(m);
    if (count == 0 || m.columns.empty()) return false;
    int found = -1, firstVisible = -1, lastVisible = -1;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        if (firstVisible < 0) firstVisible = static_cast<int>(c);
        lastVisible = static_cast<int>(c);
        if (x >= col.left && x < col.left + col.width) found = static_cast<int>(c);
    }
    if (lastVisible < 0) return false;
    if (found < 0) found = x < 0 ? firstVisible : lastVisible;
    long r = static_cast<long>(g->firstRow) + (y < 0 ? 0 : y / g->rowHeight);
    column = static_cast<uint32_t>(found);
    row = static_cast<uint32_t>(std::min<long>(r, static_cast<long>(count) - 1));
    return true;
}

bool OnButtonPart(GridState* g, uint32_t column, int x) {
    const GridColumnInfo& c = g->model.columns[column];
    return GridHasButtonPart(c) && x >= c.left + c.width - g->rowHeight;
}

// Follows the pointer while the button is held: scrolls at the edges and
// moves the current cell to the cell under the pointer.
void TrackPointer(GridState* g, int x, int y) {
    RECT client, grid;
    GetClientRect(g->rows, &client);
    GetClientRect(g->self, &grid);
    if (y < 0) SendMessageA(g->self, WM_VSCROLL, SB_LINEUP, 0);
    if (y >= client.bottom) SendMessageA(g->self, WM_VSCROLL, SB_LINEDOWN, 0);
    if (x < g->scrollX) SendMessageA(g->self, WM_HSCROLL, SB_LINEUP, 0);
    if (x >= g->scrollX + grid.right) SendMessageA(g->self, WM_HSCROLL, SB_LINEDOWN, 0);
    uint32_t column, row;
    if (!HitCell(g, x, y, column, row)) return;
    if (!g->hasLast || column != g->lastCol || row != g->lastRow) {
        g->pressOnButton = false;
        g->pressWasCurrent = false;
        if (g->buttonHeld) {
            g->buttonHeld = false;
            GridInvalidateRow(g, g->curRow);
        }
    }
    if (column != g->curCol || row != g->curRow) GridSetCurrentCell(g, column, row);
    g->hasLast = true;
    g->lastCol = g->curCol;
    g->lastRow = g->curRow;
}

void ButtonDown(GridState* g, int x, int y) {
    SetFocus(g->rows);
    SetCapture(g->rows);
    g->captured = true;
    uint32_t column, row;
    if (!HitCell(g, x, y, column, row)) return;
    bool wasCurrent = column == g->curCol && row == g->curRow;
    bool same = wasCurrent && g->hasLast && column == g->lastCol && row == g->lastRow;
    TrackPointer(g, x, y);
    g->pressOnButton = OnButtonPart(g, column, x);
    g->pressWasCurrent = wasCurrent;
    if (g->pressOnButton && wasCurrent) {
        g->buttonHeld = true;
        GridInvalidateRow(g, row);
    }
    if (same && g->model.columns[column].type == GCT_CHECK) GridActivateCell(g, column, row);
}

void ButtonUp(GridState* g) {
    bool activate = g->captured && g->pressOnButton && g->pressWasCurrent;
    g->captured = false;
    if (GetCapture() == g->rows) ReleaseCapture();
    if (g->buttonHeld) {
        g->buttonHeld = false;
        GridInvalidateRow(g, g->curRow);
    }
    if (activate)
        GridActivateCell(g, g->curCol, g->curRow);
    else
        g->pressOnButton = false;
}

int NextVisibleColumn(GridState* g, int step) {
    const GridModel& m = g->model;
    for (long c = static_cast<long>(g->curCol) + step;
         c >= 0 && c < static_cast<long>(m.columns.size()); c += step)
        if (m.columns[c].width > 0) return static_cast<int>(c);
    return -1;
}

} // namespace

LRESULT GridRowsMouse(GridState* g, UINT message, WPARAM, LPARAM l) {
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
        if (HitCell(g, x, y, column, row) && (column != g->curCol || row != g->curRow))
            GridSetCurrentCell(g, column, row);
        g->pressOnButton = OnButtonPart(g, g->curCol, x);
        GridActivateCell(g, g->curCol, g->curRow);
        break;
    }
    case WM_CAPTURECHANGED:
        g->captured = false;
        break;
    }
    return 0;
}

void GridRowsKeyDown(GridState* g, WPARAM key) {
    uint32_t count = GridRowCount(g->model);
    bool keypad = key >= VK_NUMPAD0 && key <= VK_NUMPAD9;
    if (keypad) g->swallowChar = true;
    if (key == VK_TAB) {
        HWND dialog = GetParent(g->self);
        HWND next =
            dialog ? GetNextDlgTabItem(dialog, g->self, GetKeyState(VK_SHIFT) < 0) : nullptr;
        if (next) SetFocus(next);
        return;
    }
    if (count == 0) return;
    long row = static_cast<long>(g->curRow);
    long page = std::max(GridVisibleRows(g), 1);
    switch (key) {
    case VK_RIGHT:
    case VK_NUMPAD6:
    case VK_LEFT:
    case VK_NUMPAD4: {
        int c = NextVisibleColumn(g, (key == VK_RIGHT || key == VK_NUMPAD6) ? 1 : -1);
        if (c >= 0) GridSetCurrentCell(g, static_cast<uint32_t>(c), g->curRow);
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
        GridActivateCell(g, g->curCol, g->curRow);
        return;
    default:
        if (keypad) g->swallowChar = false; // a digit that moves nothing types as usual
        return;
    }
    if (row < 0 || row >= static_cast<long>(count) || static_cast<uint32_t>(row) == g->curRow) {
        GridScrollIntoView(g);
        return;
    }
    GridSetCurrentCell(g, g->curCol, static_cast<uint32_t>(row));
}

void GridRowsChar(GridState* g, WPARAM ch) {
    if (g->swallowChar) {
        g->swallowChar = false;
        return;
    }
    if (ch == '\r' || ch == '\t' || ch == 27 || ch == '\n') return;
    if (GridRowCount(g->model) == 0) return;
    GridActivateCell(g, g->curCol, g->curRow);
    if (g->editor && g->editor != GRID_COMMIT_MARKER) SendMessageA(g->editor, WM_CHAR, ch, 0);
}

LRESULT CALLBACK GridRowsProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(l);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
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
        GridInvalidateRow(g, g->curRow);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
        return GridRowsMouse(g, message, w, l);
    case WM_KEYDOWN:
        GridRowsKeyDown(g, w);
        return 0;
    case WM_CHAR:
        GridRowsChar(g, w);
        return 0;
    case WM_MOUSEWHEEL:
        return SendMessageA(g->self, message, w, l);
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* item = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        item->itemHeight = 18;
        return TRUE;
    }
    case WM_DRAWITEM:
        return GridDrawChoiceItem(g, reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    }
    return DefWindowProcA(window, message, w, l);
}

// ------------------------------------------------------------------ header

namespace {

int EdgeAt(GridState* g, int x) {
    const GridModel& m = g->model;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        int right = col.left + col.width;
        if (x >= right - 2 && x <= right + 4) return static_cast<int>(c);
    }
    return -1;
}

int ColumnAt(GridState* g, int x) {
    const GridModel& m = g->model;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width > 0 && x >= col.left && x < col.left + col.width) return static_cast<int>(c);
    }
    return -1;
}

void MoveDivider(GridState* g, int x) {
    const GridColumnInfo& col = g->model.columns[g->edgeColumn];
    x = std::max(x, col.left);
    RECT client;
    GetClientRect(g->self, &client);
    MoveWindow(g->divider, x - g->scrollX - 1, 0, 2, client.bottom, TRUE);
}

} // namespace

LRESULT CALLBACK GridHeaderProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    GridState* g = reinterpret_cast<GridState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!g) return DefWindowProcA(window, message, w, l);
    bool inert = (g->style & GRS_INERTHEADER) != 0;
    int x = GET_X_LPARAM(l);
    switch (message) {
    case WM_SETCURSOR:
        if (!inert && g->headerMode != kHeaderIdle) {
            SetCursor(g->resizeCursor);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (inert) return 0;
        if (g->headerMode == kHeaderDragging) {
            MoveDivider(g, x);
        } else if (g->pressedColumn < 0) {
            g->headerMode = EdgeAt(g, x) >= 0 ? kHeaderOverEdge : kHeaderIdle;
            if (g->headerMode == kHeaderOverEdge) SetCursor(g->resizeCursor);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (inert) return 0;
        int edge = EdgeAt(g, x);
        if (edge >= 0) {
            g->headerMode = kHeaderDragging;
            g->edgeColumn = edge;
            SetCapture(window);
            SetCursor(g->resizeCursor);
            MoveDivider(g, x);
            ShowWindow(g->divider, SW_SHOW);
            SetWindowPos(g->divider, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        }
        int column = ColumnAt(g, x);
        if (column >= 0) {
            g->pressedColumn = column;
            g->model.columns[column].flags |= GCF_PRESSED;
            SetCapture(window);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (g->headerMode == kHeaderDragging) {
            g->headerMode = kHeaderIdle;
            ReleaseCapture();
            ShowWindow(g->divider, SW_HIDE);
            const GridColumnInfo& col = g->model.columns[g->edgeColumn];
            int width = std::max(x - col.left, 1);
            SendMessageA(g->self, GRM_SETCOLUMNWIDTH, static_cast<WPARAM>(g->edgeColumn), width);
            InvalidateRect(g->self, nullptr, FALSE);
            return 0;
        }
        if (g->pressedColumn >= 0) {
            int column = g->pressedColumn;
            g->pressedColumn = -1;
            ReleaseCapture();
            if (static_cast<size_t>(column) < g->model.columns.size())
                g->model.columns[column].flags &= ~GCF_PRESSED;
            InvalidateRect(window, nullptr, FALSE);
            GridNotify(g, GRN_HEADERCLICK, column, -1, nullptr, nullptr);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != window) {
            if (g->headerMode == kHeaderDragging) ShowWindow(g->divider, SW_HIDE);
            g->headerMode = kHeaderIdle;
            if (g->pressedColumn >= 0 &&
                static_cast<size_t>(g->pressedColumn) < g->model.columns.size()) {
                g->model.columns[g->pressedColumn].flags &= ~GCF_PRESSED;
                InvalidateRect(window, nullptr, FALSE);
            }
            g->pressedColumn = -1;
        }
        break;
    }
    return CallWindowProcA(g->headerProc, window, message, w, l);
}
