#include "grid/grid_header.h"

#include "grid/grid_cells.h"
#include "grid/grid_state.h"

#include <windowsx.h>

#include <algorithm>

namespace {

// A column edge can be grabbed this far left and right of it.
constexpr int kEdgeGrabLeft = 2;
constexpr int kEdgeGrabRight = 4;

int EdgeAt(GridState* g, int x) {
    const GridModel& m = g->model;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        int right = col.left + col.width;
        if (x >= right - GridPixels(kEdgeGrabLeft) && x <= right + GridPixels(kEdgeGrabRight))
            return static_cast<int>(c);
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
    const GridColumnInfo& col = g->model.columns[g->edge_column];
    x = std::max(x, col.left);
    RECT client;
    GetClientRect(g->self, &client);
    // The line is centred on the pointer.
    const int width = GridPixels(kGridDividerWidth);
    MoveWindow(g->divider, x - g->scroll_x - width / 2, 0, width, client.bottom, TRUE);
}

} // namespace

LRESULT CALLBACK GridHeaderProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    GridState* g = reinterpret_cast<GridState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!g) return DefWindowProcA(window, message, w, l);
    bool inert = (g->style & GRS_INERTHEADER) != 0;
    int x = GET_X_LPARAM(l);
    switch (message) {
    case WM_SETCURSOR:
        if (!inert && g->header_mode != kHeaderIdle) {
            SetCursor(g->resize_cursor);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (inert) return 0;
        if (g->header_mode == kHeaderDragging) {
            MoveDivider(g, x);
        } else if (g->pressed_column < 0) {
            g->header_mode = EdgeAt(g, x) >= 0 ? kHeaderOverEdge : kHeaderIdle;
            if (g->header_mode == kHeaderOverEdge) SetCursor(g->resize_cursor);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (inert) return 0;
        int edge = EdgeAt(g, x);
        if (edge >= 0) {
            g->header_mode = kHeaderDragging;
            g->edge_column = edge;
            SetCapture(window);
            SetCursor(g->resize_cursor);
            MoveDivider(g, x);
            ShowWindow(g->divider, SW_SHOW);
            SetWindowPos(g->divider, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            return 0;
        }
        int column = ColumnAt(g, x);
        if (column >= 0) {
            g->pressed_column = column;
            g->model.columns[column].flags |= GCF_PRESSED;
            SetCapture(window);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (g->header_mode == kHeaderDragging) {
            g->header_mode = kHeaderIdle;
            ReleaseCapture();
            ShowWindow(g->divider, SW_HIDE);
            const GridColumnInfo& col = g->model.columns[g->edge_column];
            int width = std::max(x - col.left, 1);
            SendMessageA(g->self, GRM_SETCOLUMNWIDTH, static_cast<WPARAM>(g->edge_column), width);
            InvalidateRect(g->self, nullptr, FALSE);
            return 0;
        }
        if (g->pressed_column >= 0) {
            int column = g->pressed_column;
            g->pressed_column = -1;
            ReleaseCapture();
            if (static_cast<size_t>(column) < g->model.columns.size())
                g->model.columns[column].flags &= ~GCF_PRESSED;
            InvalidateRect(window, nullptr, FALSE);
            GridNotify(g, GRN_HEADERCLICK, column, -1, nullptr, nullptr);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != window) {
            if (g->header_mode == kHeaderDragging) ShowWindow(g->divider, SW_HIDE);
            g->header_mode = kHeaderIdle;
            if (g->pressed_column >= 0 &&
                static_cast<size_t>(g->pressed_column) < g->model.columns.size()) {
                g->model.columns[g->pressed_column].flags &= ~GCF_PRESSED;
                InvalidateRect(window, nullptr, FALSE);
            }
            g->pressed_column = -1;
        }
        break;
    }
    return CallWindowProcA(g->header_proc, window, message, w, l);
}
