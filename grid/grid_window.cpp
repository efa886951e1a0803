// CellGrid: class registration, creation and destruction, the message
// interface, notifications, current cell, activation and scrolling.
#include "grid/grid_internal.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

const char kGridClass[] = "CellGrid";
const char kRowsClass[] = "CellRows";

namespace {

constexpr int kHeaderId = 1;
constexpr int kRowsId = 2;
constexpr int kHeaderWidth = 8192;
constexpr int kScrollStepX = 16;
constexpr UINT kRefreshBars = WM_USER + 0x100; // posted to itself after rows change

void SetState(HWND window, GridState* g) {
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(g));
}

// The parent's window procedure, looked up once per sort, and the request
// record whose fixed fields are filled once.
struct SortContext {
    HWND parent;
    UINT id;
    WNDPROC proc;
    bool direct; // an ANSI window: its procedure address can be called as is
    COMPAREITEMSTRUCT item;
};

// Answers the sort's question about two fixed-size values by calling the
// parent's window procedure directly with WM_COMPAREITEM.
int CompareThroughParent(void* context, uint32_t row1, uint32_t row2, const void* a,
                         const void* b) {
    SortContext* s = static_cast<SortContext*>(context);
    if (!s->proc) return 0;
    s->item.itemID1 = row1;
    s->item.itemData1 = reinterpret_cast<ULONG_PTR>(a);
    s->item.itemID2 = row2;
    s->item.itemData2 = reinterpret_cast<ULONG_PTR>(b);
    LPARAM l = reinterpret_cast<LPARAM>(&s->item);
    LRESULT r = s->direct ? s->proc(s->parent, WM_COMPAREITEM, s->id, l)
                          : CallWindowProcA(s->proc, s->parent, WM_COMPAREITEM, s->id, l);
    return static_cast<int>(r);
}

bool CreateState(HWND window) {
    GridState* g = new (std::nothrow) GridState;
    if (!g) return false;
    SetState(window, g);
    g->self = window;
    g->parent = GetParent(window);
    g->id = static_cast<UINT>(GetDlgCtrlID(window));
    g->style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    g->back = GetSysColor(COLOR_WINDOW);
    g->line = RGB(192, 192, 192);
    g->text = GetSysColor(COLOR_WINDOWTEXT);
    g->brush = GetSysColorBrush(COLOR_WINDOW);
    g->pen.Reset(CreatePen(PS_SOLID, 1, g->line));
    g->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g->resize_cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    g->divider = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_BLACKRECT, 0, 0, 2, 10, window,
                                 nullptr, instance, nullptr);
    g->header = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY,
                                0, 0, kHeaderWidth, g->header_height, window,
                                reinterpret_cast<HMENU>(static_cast<intptr_t>(kHeaderId)), instance,
                                nullptr);
    g->rows = CreateWindowExA(0, kRowsClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10,
                              10, window, reinterpret_cast<HMENU>(static_cast<intptr_t>(kRowsId)),
                              instance, g);
    if (!g->divider || !g->header || !g->rows || !g->pen) return false;
    SetWindowLongPtrA(g->header, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g));
    g->header_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g->header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GridHeaderProc)));
    ShowScrollBar(window, SB_BOTH, TRUE);
    GridLayout(g);
    return true;
}

// The child windows go with the grid window; the editors the grid made, the
// brush, the pen and the off-screen bitmaps go with the state.
void DestroyState(HWND window, GridState* g) {
    SetState(window, nullptr);
    if (!g) return;
    if (g->rows && IsWindow(g->rows)) SetWindowLongPtrA(g->rows, 0, 0);
    GridDestroyEditors(g);
    delete g;
}

LRESULT CopyText(const std::string& text, LPARAM destination) {
    if (!destination) return 0;
    std::memcpy(reinterpret_cast<char*>(destination), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

void RepaintAll(GridState* g) {
    InvalidateRect(g->header, nullptr, FALSE);
    InvalidateRect(g->rows, nullptr, FALSE);
}

void AfterColumnsChanged(GridState* g) {
    GridLayoutColumns(g->model);
    GridLayout(g);
    RepaintAll(g);
}

// Brings the vertical bar up to date now if a refresh is still pending.
void FlushVerticalBar(GridState* g) {
    if (!g->bar_refresh_posted) return;
    g->bar_refresh_posted = false;
    GridUpdateVerticalBar(g, true);
}

// Repaints the visible rows from from_row on and schedules a refresh of the
// vertical bar. Adding many rows in a row stays cheap: rows below the page
// need no paint, and the bar is set once, when the posted refresh arrives,
// instead of once per row.
void AfterRowsChanged(GridState* g, uint32_t from_row) {
    uint32_t count = GridRowCount(g->model);
    if (g->cur_row >= count) g->cur_row = count ? count - 1 : 0;
    uint32_t visible = static_cast<uint32_t>(GridVisibleRows(g));
    if (from_row <= g->first_row + visible) {
        RECT r = {0, 0, g->client_width + g->scroll_x, g->client_height};
        if (from_row > g->first_row)
            r.top = static_cast<LONG>(from_row - g->first_row) * g->row_height;
        InvalidateRect(g->rows, &r, FALSE);
    }
    uint32_t max_first = count > visible ? count - visible : 0;
    if (g->first_row > max_first) {
        GridLayout(g);
        return;
    }
    if (!g->bar_refresh_posted) {
        g->bar_refresh_posted = true;
        if (!PostMessageA(g->self, kRefreshBars, 0, 0)) FlushVerticalBar(g);
    }
}

LRESULT AddColumn(GridState* g, const GRIDCOLUMN* column) {
    if (!column) return -1;
    int index = GridAddColumn(g->model, *column);
    if (index < 0) return -1;
    GridCreateEditor(g, g->model.columns[index]);
    AfterColumnsChanged(g);
    return index;
}

LRESULT InsertRow(GridState* g, uint32_t position, LPARAM values) {
    // An insert shifts the rows below it: commit the open edit into its own
    // row first. Appending moves no row, so an edit stays open.
    if (position < GridRowCount(g->model)) GridEndEdit(g, false);
    int index = GridInsertRow(g->model, position, reinterpret_cast<const intptr_t*>(values));
    if (index < 0) return -1;
    AfterRowsChanged(g, static_cast<uint32_t>(index));
    return index;
}

LRESULT SetColour(GridState* g, UINT message, COLORREF colour) {
    switch (message) {
    case GRM_SETBACKCOLOR: {
        GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
        if (!brush) return 0;
        g->own_brush = std::move(brush); // releases the one made for the last colour
        g->brush = g->own_brush.get();
        g->back = colour;
        break;
    }
    case GRM_SETLINECOLOR: {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
        if (!pen) return 0;
        g->pen = std::move(pen);
        g->line = colour;
        break;
    }
    default:
        g->text = colour;
        break;
    }
    RepaintAll(g);
    return 1;
}

LRESULT SortColumn(GridState* g, uint32_t column, uint32_t order) {
    GridEndEdit(g, false);
    SortContext context{};
    context.parent = g->parent;
    context.id = g->id;
    context.item.CtlType = ODT_CELLGRID;
    context.item.CtlID = g->id;
    context.item.hwndItem = g->self;
    if (g->parent) {
        context.proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(g->parent, GWLP_WNDPROC));
        context.direct = !IsWindowUnicode(g->parent);
    }
    if (!GridSortColumn(g->model, column, order, CompareThroughParent, &context)) return 0;
    RepaintAll(g);
    return 1;
}

void ClearRows(GridState* g) {
    GridEndEdit(g, true);
    GridClearRows(g->model);
    g->cur_row = 0;
    g->first_row = 0;
    g->has_last = false;
    InvalidateRect(g->rows, nullptr, FALSE);
    GridLayout(g);
}

void AddDesignSample(GridState* g) {
    GRIDCOLUMN c{};
    c.width = 100;
    c.header_text = "CellGrid control";
    c.type = GCT_TEXT;
    c.size = 31;
    if (AddColumn(g, &c) < 0) return;
    std::vector<intptr_t> values(g->model.columns.size(), 0);
    values.back() = reinterpret_cast<intptr_t>("CellGrid control");
    InsertRow(g, GridRowCount(g->model), reinterpret_cast<LPARAM>(values.data()));
}

void Scroll(GridState* g, int bar, WORD request) {
    FlushVerticalBar(g); // the request is read against the bar's current range
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(g->self, bar, &si);
    long line = bar == SB_VERT ? 1 : kScrollStepX;
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

LRESULT GridMessage(GridState* g, UINT message, WPARAM w, LPARAM l) {
    GridModel& m = g->model;
    uint32_t count = GridRowCount(m);
    uint32_t cell_col = LOWORD(w), cell_row = HIWORD(w);
    switch (message) {
    case GRM_ADDCOLUMN:
        return AddColumn(g, reinterpret_cast<const GRIDCOLUMN*>(l));
    case GRM_ADDROW:
        return InsertRow(g, count, l);
    case GRM_INSERTROW:
        return InsertRow(g, static_cast<uint32_t>(w), l);
    case GRM_DELETEROW:
        if (w >= count) return 0;
        // Deleting the edited row drops its edit; deleting another row
        // commits the edit first, while its row still has the same number.
        GridEndEdit(g, g->edit.phase == GridEditPhase::kEditing && g->edit.row == w);
        // (the parent may have changed the rows while the edit was committed)
        if (!GridDeleteRow(m, static_cast<uint32_t>(w))) return 0;
        AfterRowsChanged(g, static_cast<uint32_t>(w));
        return 1;
    case GRM_MOVEROW:
        GridEndEdit(g, false);
        if (!GridMoveRow(m, static_cast<uint32_t>(w), static_cast<uint32_t>(l))) return 0;
        AfterRowsChanged(g, static_cast<uint32_t>(std::min<WPARAM>(w, l)));
        return 1;
    case GRM_ADDCHOICE: {
        if (w >= m.columns.size() || m.columns[w].type != GCT_CHOICE || !l) return -1;
        GridColumnInfo& c = m.columns[w];
        int value = static_cast<int>(c.choices.size());
        c.choices.emplace_back(reinterpret_cast<const char*>(l));
        GridAddEditorChoice(g, c, reinterpret_cast<const char*>(l), value);
        return value;
    }
    case GRM_CLEARCHOICES:
        if (w >= m.columns.size() || m.columns[w].type != GCT_CHOICE) return 0;
        m.columns[w].choices.clear();
        GridClearEditorChoices(m.columns[w]);
        InvalidateRect(g->rows, nullptr, FALSE);
        return 1;
    case GRM_GETCURRENTCELL:
        return static_cast<LRESULT>(GridCell(g->cur_col, g->cur_row));
    case GRM_SETCURRENTCELL:
        return GridSetCurrentCell(g, static_cast<uint32_t>(w), static_cast<uint32_t>(l));
    case GRM_GETCURRENTCOLUMN:
        return g->cur_col;
    case GRM_SETCURRENTCOLUMN:
        return GridSetCurrentCell(g, static_cast<uint32_t>(w), g->cur_row);
    case GRM_GETCURRENTROW:
        return g->cur_row;
    case GRM_SETCURRENTROW:
        return GridSetCurrentCell(g, g->cur_col, static_cast<uint32_t>(w));
    case GRM_GETCOLUMNCOUNT:
        return static_cast<LRESULT>(m.columns.size());
    case GRM_GETROWCOUNT:
        return count;
    case GRM_GETCELLDATA:
        return GridGetCellData(m, cell_row, cell_col, reinterpret_cast<void*>(l));
    case GRM_SETCELLDATA:
        return GridStoreCell(g, cell_col, cell_row, l);
    case GRM_GETCELLRECT:
        if (!GridValidCell(m, cell_col, cell_row) || !l) return 0;
        *reinterpret_cast<RECT*>(l) = GridCellRect(g, cell_col, cell_row);
        return 1;
    case GRM_SCROLLCELLINTOVIEW:
        GridScrollIntoView(g);
        return 1;
    case GRM_GETBACKCOLOR:
        return g->back;
    case GRM_GETLINECOLOR:
        return g->line;
    case GRM_GETTEXTCOLOR:
        return g->text;
    case GRM_SETBACKCOLOR:
    case GRM_SETLINECOLOR:
    case GRM_SETTEXTCOLOR:
        return SetColour(g, message, static_cast<COLORREF>(w));
    case GRM_ACTIVATECELL:
        return GridActivateCell(g, static_cast<uint32_t>(w), static_cast<uint32_t>(l));
    case GRM_ENDEDIT:
        return GridEndEdit(g, l != 0);
    case GRM_GETCOLUMNWIDTH:
        return w < m.columns.size() ? m.columns[w].width : 0;
    case GRM_SETCOLUMNWIDTH:
        if (w >= m.columns.size()) return 0;
        m.columns[w].width = std::max<int>(static_cast<int>(l), 0);
        AfterColumnsChanged(g);
        return 1;
    case GRM_GETHEADERHEIGHT:
        return g->header_height;
    case GRM_SETHEADERHEIGHT:
        g->header_height = std::max<int>(static_cast<int>(l), 0);
        GridLayout(g);
        RepaintAll(g);
        return 1;
    case GRM_GETROWHEIGHT:
        return g->row_height;
    case GRM_SETROWHEIGHT:
        if (static_cast<int>(l) > 0) {
            g->row_height = static_cast<int>(l);
            GridLayout(g);
            RepaintAll(g);
        }
        return 1;
    case GRM_CLEARROWS:
        ClearRows(g);
        return 1;
    case GRM_SORTCOLUMN:
        return SortColumn(g, static_cast<uint32_t>(w), static_cast<uint32_t>(l));
    case GRM_GETHEADERTEXT:
        return w < m.columns.size() ? CopyText(m.columns[w].header, l) : 0;
    case GRM_SETHEADERTEXT:
        if (w >= m.columns.size()) return 0;
        m.columns[w].header = l ? reinterpret_cast<const char*>(l) : "";
        InvalidateRect(g->header, nullptr, FALSE);
        return 1;
    case GRM_GETCOLUMNFORMAT:
        return w < m.columns.size() ? CopyText(m.columns[w].format, l) : 0;
    case GRM_SETCOLUMNFORMAT:
        if (w >= m.columns.size()) return 0;
        m.columns[w].format = l ? reinterpret_cast<const char*>(l) : "";
        InvalidateRect(g->rows, nullptr, FALSE);
        return 1;
    case GRM_GETCELLTEXT: {
        if (!GridValidCell(m, cell_col, cell_row)) return 0;
        std::string text;
        GridCellText(g, cell_row, cell_col, text);
        return CopyText(text, l);
    }
    case GRM_CLEARALL:
        ClearRows(g);
        GridDestroyEditors(g);
        GridClearAll(m);
        g->cur_col = 0;
        AfterColumnsChanged(g);
        return 1;
    case GRM_GETROWCOLORS: {
        uint32_t c[2];
        if (!l || !GridGetRowColours(m, static_cast<uint32_t>(w), c)) return 0;
        std::memcpy(reinterpret_cast<void*>(l), c, sizeof c);
        return 1;
    }
    case GRM_SETROWCOLORS: {
        uint32_t c[2];
        if (!l) return 0;
        std::memcpy(c, reinterpret_cast<const void*>(l), sizeof c);
        if (!GridSetRowColours(m, static_cast<uint32_t>(w), c)) return 0;
        GridInvalidateRow(g, static_cast<uint32_t>(w));
        return 1;
    }
    case GRM_GETCOLUMN:
        if (w >= m.columns.size() || !l) return -1;
        *reinterpret_cast<GRIDCOLUMN*>(l) = GridDescribeColumn(m.columns[w]);
        return 1;
    case GRM_DESIGNSAMPLE:
        AddDesignSample(g);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    GridState* g = GridFromWindow(window);
    if (message == WM_CREATE) return CreateState(window) ? 0 : -1;
    if (message == WM_NCDESTROY) {
        DestroyState(window, g);
        return DefWindowProcA(window, message, w, l);
    }
    if (!g) return DefWindowProcA(window, message, w, l);
    if ((message > GRM_FIRST && message <= GRM_GETCOLUMN) || message == GRM_DESIGNSAMPLE)
        return GridMessage(g, message, w, l);
    switch (message) {
    case kRefreshBars:
        FlushVerticalBar(g);
        return 0;
    case WM_SIZE:
        GridLayout(g);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g->rows);
        return 0;
    case WM_SETFONT:
        g->font = reinterpret_cast<HFONT>(w);
        if (!g->font) g->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        for (GridColumnInfo& c : g->model.columns)
            if (c.editor) SendMessageA(reinterpret_cast<HWND>(c.editor), WM_SETFONT, w, 0);
        if (LOWORD(l)) RepaintAll(g);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g->font);
    case WM_STYLECHANGED:
        if (w == static_cast<WPARAM>(GWL_STYLE))
            g->style = reinterpret_cast<const STYLESTRUCT*>(l)->styleNew;
        RepaintAll(g);
        return 0;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        if (item->hwndItem == g->header) GridPaintHeader(g, item);
        return TRUE;
    }
    case WM_VSCROLL:
        Scroll(g, SB_VERT, LOWORD(w));
        return 0;
    case WM_HSCROLL:
        Scroll(g, SB_HORZ, LOWORD(w));
        return 0;
    case WM_MOUSEWHEEL: {
        int delta = GET_WHEEL_DELTA_WPARAM(w);
        int notches = std::max(std::abs(delta) / WHEEL_DELTA, 1);
        GridSetFirstRow(g, static_cast<long>(g->first_row) + (delta > 0 ? -3 : 3) * notches);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, w, l);
}

// Stores a value that activation produced without an editor.
void CommitValue(GridState* g, uint32_t column, uint32_t row, intptr_t value) {
    g->edit.phase = GridEditPhase::kCommitting;
    g->edit.editor = nullptr;
    GridStoreCell(g, column, row, value);
    g->edit.phase = GridEditPhase::kNone;
}

} // namespace

GridState* GridFromWindow(HWND window) {
    return reinterpret_cast<GridState*>(GetWindowLongPtrA(window, 0));
}

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

int GridVisibleRows(GridState* g) {
    int height = g->client_height - g->header_height;
    return height > 0 ? height / g->row_height : 0;
}

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
    MoveWindow(g->header, -g->scroll_x, 0, kHeaderWidth, g->header_height, TRUE);
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

void GridSetFirstRow(GridState* g, long first) {
    long count = static_cast<long>(GridRowCount(g->model));
    long max_first = std::max<long>(count - GridVisibleRows(g), 0);
    first = std::clamp<long>(first, 0, max_first);
    if (static_cast<uint32_t>(first) == g->first_row) return;
    GridEndEdit(g, false); // the editor would stay over another row
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
    RepaintAll(g);
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

RECT GridCellRect(GridState* g, uint32_t column, uint32_t row) {
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

LRESULT GridStoreCell(GridState* g, uint32_t column, uint32_t row, intptr_t value) {
    if (!GridValidCell(g->model, column, row)) return 0;
    const GridColumnInfo& c = g->model.columns[column];
    bool pointer = GridIsTextColumn(c) || GridFixedSize(c) > 4;
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
        GridShowEditor(g, column, row);
        return 1;
    }
    int32_t number;
    std::memcpy(&number, value.data(), 4);
    if (c.type == GCT_CHECK) {
        if (!GridNotify(g, GRN_CHECKCLICK, static_cast<int>(column), static_cast<int>(row), nullptr,
                        &number)) {
            CommitValue(g, column, row, number ? 0 : 1);
        }
    } else if (c.type == GCT_IMAGE) {
        GridNotify(g, GRN_IMAGECLICK, static_cast<int>(column), static_cast<int>(row), nullptr,
                   &number);
    } else if (button_text) {
        if (!GridNotify(g, GRN_BUTTONCLICK, static_cast<int>(column), static_cast<int>(row),
                        nullptr, value.data())) {
            value.back() = 0; // whatever the parent wrote stays a terminated text
            CommitValue(g, column, row, reinterpret_cast<intptr_t>(value.data()));
        }
    }
    return 1;
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
        if (GridIsTextColumn(c) || GridFixedSize(c) > 4) {
            value = reinterpret_cast<intptr_t>(&raw[0]);
        } else {
            uint32_t v = 0;
            std::memcpy(&v, raw.data(), 4);
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

bool RegisterGridClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_HOTKEY_CLASS | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = GridProc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kGridClass;
    bool ok = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = GridRowsProc;
    wc.lpszClassName = kRowsClass;
    ok = (RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) && ok;
    return ok;
}
