#include "grid/grid_requests.h"

#include "grid/grid_activation.h"
#include "grid/grid_cells.h"
#include "grid/grid_edit.h"
#include "grid/grid_editors.h"
#include "grid/grid_paint.h"
#include "grid/grid_scroll.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// GRM_DESIGNSAMPLE's column and row, for dialog editors.
constexpr int32_t kSampleWidth = 100;
constexpr int32_t kSampleSize = 31;
constexpr char kSampleText[] = "CellGrid control";

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

LRESULT CopyText(const std::string& text, LPARAM destination) {
    if (!destination) return 0;
    std::memcpy(reinterpret_cast<char*>(destination), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

void AfterColumnsChanged(GridState* g) {
    GridLayoutColumns(g->model);
    GridLayout(g);
    GridInvalidateAll(g);
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
    GridScheduleVerticalBar(g);
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

LRESULT DeleteRow(GridState* g, WPARAM row) {
    if (row >= GridRowCount(g->model)) return 0;
    // Deleting the edited row drops its edit; deleting another row commits
    // the edit first, while its row still has the same number.
    GridEndEdit(g, g->edit.phase == GridEditPhase::kEditing && g->edit.row == row);
    // (the parent may have changed the rows while the edit was committed)
    if (!GridDeleteRow(g->model, static_cast<uint32_t>(row))) return 0;
    AfterRowsChanged(g, static_cast<uint32_t>(row));
    return 1;
}

LRESULT MoveRow(GridState* g, WPARAM from, LPARAM to) {
    GridEndEdit(g, false);
    if (!GridMoveRow(g->model, static_cast<uint32_t>(from), static_cast<uint32_t>(to))) return 0;
    AfterRowsChanged(g, static_cast<uint32_t>(std::min<WPARAM>(from, to)));
    return 1;
}

LRESULT AddChoice(GridState* g, WPARAM column, LPARAM text) {
    GridModel& m = g->model;
    if (column >= m.columns.size() || m.columns[column].type != GCT_CHOICE || !text) return -1;
    GridColumnInfo& c = m.columns[column];
    int value = static_cast<int>(c.choices.size());
    c.choices.emplace_back(reinterpret_cast<const char*>(text));
    GridAddEditorChoice(c, reinterpret_cast<const char*>(text), value);
    return value;
}

LRESULT ClearChoices(GridState* g, WPARAM column) {
    GridModel& m = g->model;
    if (column >= m.columns.size() || m.columns[column].type != GCT_CHOICE) return 0;
    m.columns[column].choices.clear();
    GridClearEditorChoices(m.columns[column]);
    InvalidateRect(g->rows, nullptr, FALSE);
    return 1;
}

LRESULT GetCellRect(GridState* g, uint32_t column, uint32_t row, LPARAM destination) {
    if (!GridValidCell(g->model, column, row) || !destination) return 0;
    *reinterpret_cast<RECT*>(destination) = GridCellRect(g, column, row);
    return 1;
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
    GridInvalidateAll(g);
    return 1;
}

LRESULT SetColumnWidth(GridState* g, WPARAM column, LPARAM width) {
    if (column >= g->model.columns.size()) return 0;
    g->model.columns[column].width = std::max<int>(static_cast<int>(width), 0);
    AfterColumnsChanged(g);
    return 1;
}

LRESULT SetHeaderHeight(GridState* g, LPARAM height) {
    g->header_height = std::max<int>(static_cast<int>(height), 0);
    GridLayout(g);
    GridInvalidateAll(g);
    return 1;
}

LRESULT SetRowHeight(GridState* g, LPARAM height) {
    if (static_cast<int>(height) > 0) {
        g->row_height = static_cast<int>(height);
        GridLayout(g);
        GridInvalidateAll(g);
    }
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
    GridInvalidateAll(g);
    return 1;
}

LRESULT SetHeaderText(GridState* g, WPARAM column, LPARAM text) {
    if (column >= g->model.columns.size()) return 0;
    g->model.columns[column].header = text ? reinterpret_cast<const char*>(text) : "";
    InvalidateRect(g->header, nullptr, FALSE);
    return 1;
}

LRESULT SetColumnFormat(GridState* g, WPARAM column, LPARAM format) {
    if (column >= g->model.columns.size()) return 0;
    g->model.columns[column].format = format ? reinterpret_cast<const char*>(format) : "";
    InvalidateRect(g->rows, nullptr, FALSE);
    return 1;
}

LRESULT GetCellText(GridState* g, uint32_t column, uint32_t row, LPARAM destination) {
    if (!GridValidCell(g->model, column, row)) return 0;
    std::string text;
    GridCellText(g, row, column, text);
    return CopyText(text, destination);
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

void ClearAll(GridState* g) {
    ClearRows(g);
    GridDestroyEditors(g);
    GridClearAll(g->model);
    g->cur_col = 0;
    AfterColumnsChanged(g);
}

LRESULT GetRowColours(GridState* g, WPARAM row, LPARAM destination) {
    uint32_t c[2];
    if (!destination || !GridGetRowColours(g->model, static_cast<uint32_t>(row), c)) return 0;
    std::memcpy(reinterpret_cast<void*>(destination), c, sizeof c);
    return 1;
}

LRESULT SetRowColours(GridState* g, WPARAM row, LPARAM colours) {
    uint32_t c[2];
    if (!colours) return 0;
    std::memcpy(c, reinterpret_cast<const void*>(colours), sizeof c);
    if (!GridSetRowColours(g->model, static_cast<uint32_t>(row), c)) return 0;
    GridInvalidateRow(g, static_cast<uint32_t>(row));
    return 1;
}

LRESULT GetColumn(GridState* g, WPARAM column, LPARAM destination) {
    if (column >= g->model.columns.size() || !destination) return -1;
    *reinterpret_cast<GRIDCOLUMN*>(destination) = GridDescribeColumn(g->model.columns[column]);
    return 1;
}

void AddDesignSample(GridState* g) {
    GRIDCOLUMN c{};
    c.width = kSampleWidth;
    c.header_text = kSampleText;
    c.type = GCT_TEXT;
    c.size = kSampleSize;
    if (AddColumn(g, &c) < 0) return;
    std::vector<intptr_t> values(g->model.columns.size(), 0);
    values.back() = reinterpret_cast<intptr_t>(kSampleText);
    InsertRow(g, GridRowCount(g->model), reinterpret_cast<LPARAM>(values.data()));
}

} // namespace

bool GridIsRequest(UINT message) {
    return (message > GRM_FIRST && message <= GRM_GETCOLUMN) || message == GRM_DESIGNSAMPLE;
}

LRESULT GridAnswerRequest(GridState* g, UINT message, WPARAM w, LPARAM l) {
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
        return DeleteRow(g, w);
    case GRM_MOVEROW:
        return MoveRow(g, w, l);
    case GRM_ADDCHOICE:
        return AddChoice(g, w, l);
    case GRM_CLEARCHOICES:
        return ClearChoices(g, w);
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
        return GetCellRect(g, cell_col, cell_row, l);
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
        return SetColumnWidth(g, w, l);
    case GRM_GETHEADERHEIGHT:
        return g->header_height;
    case GRM_SETHEADERHEIGHT:
        return SetHeaderHeight(g, l);
    case GRM_GETROWHEIGHT:
        return g->row_height;
    case GRM_SETROWHEIGHT:
        return SetRowHeight(g, l);
    case GRM_CLEARROWS:
        ClearRows(g);
        return 1;
    case GRM_SORTCOLUMN:
        return SortColumn(g, static_cast<uint32_t>(w), static_cast<uint32_t>(l));
    case GRM_GETHEADERTEXT:
        return w < m.columns.size() ? CopyText(m.columns[w].header, l) : 0;
    case GRM_SETHEADERTEXT:
        return SetHeaderText(g, w, l);
    case GRM_GETCOLUMNFORMAT:
        return w < m.columns.size() ? CopyText(m.columns[w].format, l) : 0;
    case GRM_SETCOLUMNFORMAT:
        return SetColumnFormat(g, w, l);
    case GRM_GETCELLTEXT:
        return GetCellText(g, cell_col, cell_row, l);
    case GRM_CLEARALL:
        ClearAll(g);
        return 1;
    case GRM_GETROWCOLORS:
        return GetRowColours(g, w, l);
    case GRM_SETROWCOLORS:
        return SetRowColours(g, w, l);
    case GRM_GETCOLUMN:
        return GetColumn(g, w, l);
    case GRM_DESIGNSAMPLE:
        AddDesignSample(g);
        return 1;
    }
    return 0;
}
