#include "grid/grid_scroll.h"

#include "grid/grid_cells.h"
#include "grid/grid_edit.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kScrollStepX = 16;
constexpr int kWheelRows = 3;

} // namespace

void GridUpdateVerticalBar(GridState* g, bool redraw) {
    uint32_t count = GridRowCount(g->model);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMax = count ? static_cast<int>(count) - 1 : 0;
    si.nPage = static_cast<UINT>(GridVisibleRows(g));
    si.nPos = static_cast<int>(g->first_row);
    SetScrollInfo(g->self, SB_VERT, &si, redraw);
}

void GridScheduleVerticalBar(GridState* g) {
    if (g->bar_refresh_posted) return;
    g->bar_refresh_posted = true;
    if (!PostMessageA(g->self, kGridRefreshBars, 0, 0)) GridFlushVerticalBar(g);
}

void GridFlushVerticalBar(GridState* g) {
    if (!g->bar_refresh_posted) return;
    g->bar_refresh_posted = false;
    GridUpdateVerticalBar(g, true);
}

void GridLayout(GridState* g) {
    RECT client;
    GetClientRect(g->self, &client);
    int width = client.right, height = client.bottom;
    g->client_width = width;
    g->client_height = height;
    uint32_t count = GridRowCount(g->model);
    int visible = GridVisibleRows(g);
    // Keep the scroll positions inside their ranges.
    uint32_t max_first = count > static_cast<uint32_t>(visible) ? count - visible : 0;
    if (g->first_row > max_first) g->first_row = max_first;
    int max_x = std::max(g->model.total_width - width, 0);
    if (g->scroll_x > max_x) g->scroll_x = max_x;
    if (g->scroll_x < 0) g->scroll_x = 0;
    MoveWindow(g->header, -g->scroll_x, 0, kGridHeaderWidth, g->header_height, TRUE);
    MoveWindow(g->rows, -g->scroll_x, g->header_height, width + g->scroll_x,
               std::max(height - g->header_height, 0), TRUE);
    GridUpdateVerticalBar(g, true);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMax = std::max(g->model.total_width - 1, 0);
    si.nPage = static_cast<UINT>(width);
    si.nPos = g->scroll_x;
    SetScrollInfo(g->self, SB_HORZ, &si, TRUE);
}

void GridScroll(GridState* g, int bar, WORD request) {
    GridFlushVerticalBar(g); // the request is read against the bar's current range
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(g->self, bar, &si);
    long line = bar == SB_VERT ? 1 : GridPixels(kScrollStepX);
    long page = std::max<long>(static_cast<long>(si.nPage), 1);
    long pos = bar == SB_VERT ? static_cast<long>(g->first_row) : g->scroll_x;
    switch (request) {
    case SB_LINEUP:
        pos -= line;
        break;
    case SB_LINEDOWN:
        pos += line;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_VERT)
        GridSetFirstRow(g, pos);
    else
        GridSetScrollX(g, pos);
}

void GridScrollWheel(GridState* g, int delta) {
    int notches = std::max(std::abs(delta) / WHEEL_DELTA, 1);
    GridSetFirstRow(g, static_cast<long>(g->first_row) +
                           (delta > 0 ? -kWheelRows : kWheelRows) * notches);
}

void GridSetFirstRow(GridState* g, long first) {
    long count = static_cast<long>(GridRowCount(g->model));
    long max_first = std::max<long>(count - GridVisibleRows(g), 0);
    first = std::clamp<long>(first, 0, max_first);
    if (static_cast<uint32_t>(first) == g->first_row) return;
    GridEndEdit(g, false);
    g->first_row = static_cast<uint32_t>(first);
    InvalidateRect(g->rows, nullptr, FALSE);
    GridLayout(g);
}

void GridSetScrollX(GridState* g, long x) {
    if (x < 0) x = 0;
    if (x == g->scroll_x) return;
    GridEndEdit(g, false);
    g->scroll_x = static_cast<int>(x);
    GridLayout(g); // clamps and moves header and rows
    GridInvalidateAll(g);
}

void GridScrollIntoView(GridState* g) {
    if (GridRowCount(g->model) == 0) return;
    int visible = std::max(GridVisibleRows(g), 1);
    if (g->cur_row < g->first_row)
        GridSetFirstRow(g, g->cur_row);
    else if (g->cur_row >= g->first_row + static_cast<uint32_t>(visible))
        GridSetFirstRow(g, static_cast<long>(g->cur_row) - visible + 1);
    if (g->cur_col < g->model.columns.size()) {
        const GridColumnInfo& c = g->model.columns[g->cur_col];
        RECT client;
        GetClientRect(g->self, &client);
        if (c.left < g->scroll_x)
            GridSetScrollX(g, c.left);
        else if (c.left + c.width > g->scroll_x + client.right)
            GridSetScrollX(g, std::min<long>(c.left, c.left + c.width - client.right));
    }
}
