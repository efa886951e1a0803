#include "grid/grid_paint.h"

#include "common/system/comctl32.h"
#include "grid/grid_cells.h"
#include "grid/grid_system_time.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The button face of the current choice or button-text cell.
constexpr int kButtonWidth = 17;
constexpr char kButtonLabel[] = "...";
constexpr int kCheckSize = 13;
// The focus rectangle is dotted in these colours.
constexpr COLORREF kFocusTextColour = RGB(0, 0, 0);
constexpr COLORREF kFocusBackColour = RGB(255, 255, 255);
// Room for a formatted date or time.
constexpr int kDateTextSize = 128;

UINT AlignFlags(int32_t align) {
    return align == GCA_CENTER ? DT_CENTER : align == GCA_RIGHT ? DT_RIGHT : DT_LEFT;
}

void DrawCellText(HDC dc, const RECT& cell, const std::string& text, int32_t align) {
    const int inset_x = GridPixels(kGridTextInsetX);
    RECT r = {cell.left + inset_x, cell.top + GridPixels(kGridTextInsetTop), cell.right - inset_x,
              cell.bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_TOP | AlignFlags(align));
}

// x of an object of the given width placed in the cell by its alignment.
int AlignedX(const RECT& cell, int width, int32_t align) {
    if (align == GCA_CENTER) return cell.left + (cell.right - cell.left - width) / 2;
    if (align == GCA_RIGHT) return cell.right - GridPixels(kGridTextInsetX) - width;
    return cell.left + GridPixels(kGridTextInsetX);
}

void DrawButtonFace(HDC dc, const RECT& cell, bool pressed) {
    RECT b = {cell.right - GridPixels(kButtonWidth), cell.top, cell.right, cell.bottom};
    DrawFrameControl(dc, &b, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    SelectedObject font(dc, GetStockObject(SYSTEM_FONT));
    COLORREF old_colour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (pressed) OffsetRect(&b, 1, 1);
    DrawTextA(dc, kButtonLabel, static_cast<int>(sizeof kButtonLabel - 1), &b,
              DT_SINGLELINE | DT_NOPREFIX | DT_CENTER | DT_VCENTER);
    SetTextColor(dc, old_colour);
}

// How the cells of one row are painted: the images of the paint pass and
// the row's background fill. `plain` holds while every pixel of a cell is
// still the fill before the cell is drawn; an owner-drawn cell may paint
// anywhere in the row, after which images are drawn directly again.
struct RowPaint {
    GridImageTiles* tiles;
    HBRUSH fill;
    COLORREF fill_colour;
    bool plain;
};

void DrawImage(HDC dc, HIMAGELIST images, int index, const RECT& cell, int32_t align,
               RowPaint& row) {
    int cx = 0, cy = 0;
    if (!images || !Comctl32Dll().ImageList_GetIconSize(images, &cx, &cy)) return;
    int x = AlignedX(cell, cx, align);
    int y = cell.top + (cell.bottom - cell.top - cy) / 2;
    if (row.plain &&
        row.tiles->Draw(dc, images, index, x, y, cx, cy, cell, row.fill, row.fill_colour))
        return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    Comctl32Dll().ImageList_Draw(images, index, dc, x, y, ILD_TRANSPARENT);
    RestoreDC(dc, saved);
}

std::string DateText(int32_t day, const std::string& format) {
    SYSTEMTIME st = GridDateSystemTime(day);
    char out[kDateTextSize] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, format.empty() ? DATE_SHORTDATE : 0, &st,
                   format.empty() ? nullptr : format.c_str(), out, sizeof out);
    return out;
}

std::string TimeText(int32_t seconds, const std::string& format) {
    SYSTEMTIME st = GridTimeSystemTime(seconds);
    char out[kDateTextSize] = "";
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, format.empty() ? nullptr : format.c_str(), out,
                   sizeof out);
    return out;
}

// Fills buffer (kGridConvertBuffer bytes) with the raw fixed-size value and
// lets the parent convert it. Returns the parent's veto.
int ConvertData(GridState* g, uint32_t row, uint32_t column, char* buffer) {
    std::memset(buffer, 0, kGridConvertBuffer);
    const uint8_t* value = GridCellValue(g->model, row, column);
    size_t size = GridCellDataSize(g->model, row, column);
    if (value) std::memcpy(buffer, value, std::min(size, kGridConvertBuffer - 1));
    int veto = GridNotify(g, GRN_USERCONVERT, static_cast<int>(column), static_cast<int>(row),
                          nullptr, buffer);
    buffer[kGridConvertBuffer - 1] = 0;
    return veto;
}

void DrawCell(GridState* g, HDC dc, uint32_t row, uint32_t column, const RECT& cell,
              bool current_cell, UINT state, RowPaint& paint) {
    const GridColumnInfo& c = g->model.columns[column];
    int32_t value = GridCellInt(g->model, row, column);
    std::string text;
    switch (c.type) {
    case GCT_TEXT:
    case GCT_BUTTONTEXT:
    case GCT_EDITBUTTONTEXT: {
        RECT r = cell;
        bool button = current_cell && c.type != GCT_TEXT;
        if (button) r.right -= GridPixels(kButtonWidth);
        DrawCellText(dc, r, GridCellString(g->model, row, column), c.cell_align);
        if (button) DrawButtonFace(dc, cell, g->button_held);
        break;
    }
    case GCT_CHECK: {
        RECT box;
        const int size = GridPixels(kCheckSize);
        box.left = AlignedX(cell, size, c.cell_align);
        box.top = cell.top + (cell.bottom - cell.top - size) / 2;
        box.right = box.left + size;
        box.bottom = box.top + size;
        DrawFrameControl(dc, &box, DFC_BUTTON,
                         DFCS_BUTTONCHECK | DFCS_FLAT | (value ? DFCS_CHECKED : 0));
        break;
    }
    case GCT_CHOICE: {
        RECT r = cell;
        if (current_cell) r.right -= GridPixels(kButtonWidth);
        if (c.extra) {
            // The image's own room: up to where the shifted text starts.
            RECT image = r;
            const int indent = GridPixels(kGridChoiceImageIndent);
            image.right = std::min(r.right, r.left + indent + GridPixels(kGridTextInsetX));
            DrawImage(dc, reinterpret_cast<HIMAGELIST>(c.extra), value, image, GCA_LEFT, paint);
            r.left += indent;
        }
        GridPortableCellText(g->model, row, column, text);
        DrawCellText(dc, r, text, c.cell_align);
        if (current_cell) {
            RECT b = {cell.right - GridPixels(kButtonWidth), cell.top, cell.right, cell.bottom};
            DrawFrameControl(dc, &b, DFC_SCROLL,
                             DFCS_SCROLLDOWN | (g->button_held ? DFCS_PUSHED : 0));
        }
        break;
    }
    case GCT_IMAGE:
        DrawImage(dc, reinterpret_cast<HIMAGELIST>(c.extra), value, cell, c.cell_align, paint);
        break;
    case GCT_DATA: {
        char buffer[kGridConvertBuffer];
        if (ConvertData(g, row, column, buffer)) {
            paint.plain = false;
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_CELLGRID;
            item.CtlID = g->id;
            item.itemID = row;
            item.itemAction = ODA_DRAWENTIRE;
            item.itemState = state;
            item.hwndItem = g->self;
            item.hDC = dc;
            item.rcItem = cell;
            item.itemData = column;
            if (g->parent)
                SendMessageA(g->parent, WM_DRAWITEM, g->id, reinterpret_cast<LPARAM>(&item));
        } else {
            DrawCellText(dc, cell, buffer, c.cell_align);
        }
        break;
    }
    default:
        GridCellText(g, row, column, text);
        DrawCellText(dc, cell, text, c.cell_align);
        break;
    }
}

int LastVisibleColumn(const GridModel& m) {
    for (size_t i = m.columns.size(); i > 0; --i)
        if (m.columns[i - 1].width > 0) return static_cast<int>(i - 1);
    return -1;
}

void DrawGridLines(GridState* g, HDC dc, uint32_t row) {
    const GridModel& m = g->model;
    int h = g->row_height;
    SelectedObject pen(dc, g->pen.get());
    bool last_row = row + 1 == GridRowCount(m);
    if ((g->style & GRS_HLINES) || ((g->style & GRS_FRAME) && last_row)) {
        MoveToEx(dc, 0, h - 1, nullptr);
        LineTo(dc, m.total_width, h - 1);
    }
    int last_column = LastVisibleColumn(m);
    for (int c = 0; c <= last_column; ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        if ((g->style & GRS_VLINES) || ((g->style & GRS_FRAME) && c == last_column)) {
            int x = col.left + col.width - 1;
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, h);
        }
    }
}

// Draws one row into dc at (0, 0); width is the row area's width.
void DrawRow(GridState* g, HDC dc, uint32_t row, int width, GridImageTiles& tiles,
             COLORREF back_colour) {
    const GridModel& m = g->model;
    int h = g->row_height;
    bool current = row == g->cur_row;
    bool focused = GetFocus() == g->rows;
    uint32_t colours[2];
    GridGetRowColours(m, row, colours);
    COLORREF text_colour = colours[1] != kGridDefaultColour ? colours[1] : g->text;
    RECT all = {0, 0, width, h};
    FillRect(dc, &all, g->brush);
    RECT cells = {0, 0, std::min(m.total_width, width), h};
    RowPaint paint{&tiles, g->brush, back_colour, true};
    GdiObject<HBRUSH> row_brush;
    if (current && !(g->style & GRS_NOSELCOLOR)) {
        paint.fill = GetSysColorBrush(COLOR_HIGHLIGHT);
        paint.fill_colour = GetSysColor(COLOR_HIGHLIGHT);
        FillRect(dc, &cells, paint.fill);
        text_colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else if (colours[0] != kGridDefaultColour) {
        row_brush.Reset(CreateSolidBrush(colours[0]));
        paint.fill = row_brush.get();
        paint.fill_colour = colours[0];
        paint.plain = static_cast<bool>(row_brush);
        if (row_brush) FillRect(dc, &cells, row_brush.get());
    }
    SetTextColor(dc, text_colour);
    SetBkMode(dc, TRANSPARENT);
    // Selecting a font is costly under Wine's X11 driver (it reads the X
    // resource settings every time): the first row of a pass selects it, a
    // later row only when an owner-drawn cell left another one. The pass
    // restores the buffer's own font at its end (GridPaintRows).
    if (GetCurrentObject(dc, OBJ_FONT) != g->font) SelectObject(dc, g->font);
    UINT state = (current ? ODS_SELECTED : 0) | (current && focused ? ODS_FOCUS : 0);
    for (uint32_t c = 0; c < m.columns.size(); ++c) {
        const GridColumnInfo& col = m.columns[c];
        if (col.width <= 0) continue;
        RECT cell = {col.left, 0, col.left + col.width, h};
        DrawCell(g, dc, row, c, cell, current && c == g->cur_col, state, paint);
        SetTextColor(dc, text_colour);
    }
    row_brush.Reset();
    DrawGridLines(g, dc, row);
    // Focus rectangles of the current cell.
    bool show_focus = !(g->style & GRS_NOFOCUSRECT) && (focused || (g->style & GRS_NOSELCOLOR));
    if (current && show_focus && g->cur_col < m.columns.size() && m.columns[g->cur_col].width > 0) {
        const GridColumnInfo& col = m.columns[g->cur_col];
        RECT f = {col.left + (g->cur_col == 0 ? 0 : 1), 0, col.left + col.width, h};
        SetTextColor(dc, kFocusTextColour);
        SetBkColor(dc, kFocusBackColour);
        DrawFocusRect(dc, &f);
        if (focused) {
            InflateRect(&f, -1, -1);
            DrawFocusRect(dc, &f);
        }
    }
}

} // namespace

bool GridCellText(GridState* g, uint32_t row, uint32_t column, std::string& text) {
    text.clear();
    if (!GridValidCell(g->model, column, row)) return true;
    const GridColumnInfo& c = g->model.columns[column];
    switch (c.type) {
    case GCT_DATE:
        text = DateText(GridCellInt(g->model, row, column), c.format);
        return true;
    case GCT_TIME:
        text = TimeText(GridCellInt(g->model, row, column), c.format);
        return true;
    case GCT_DATA: {
        char buffer[kGridConvertBuffer];
        int veto = ConvertData(g, row, column, buffer);
        text = buffer;
        return veto == 0;
    }
    default:
        GridPortableCellText(g->model, row, column, text);
        return true;
    }
}

void GridPaintHeader(GridState* g, const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT all = item->rcItem;
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, g->font);
    int x = 0;
    for (const GridColumnInfo& c : g->model.columns) {
        if (c.width <= 0) continue;
        RECT r = {c.left, all.top, c.left + c.width, all.bottom};
        bool pressed = (c.flags & GCF_PRESSED) != 0;
        DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const int inset_x = GridPixels(kGridTextInsetX);
        RECT t = {r.left + inset_x, r.top + GridPixels(kGridTextInsetTop), r.right - inset_x,
                  r.bottom};
        if (pressed) OffsetRect(&t, 1, 1);
        DrawTextA(dc, c.header.c_str(), static_cast<int>(c.header.size()), &t,
                  DT_SINGLELINE | DT_NOPREFIX | AlignFlags(c.header_align));
        x = r.right;
    }
    x = std::max(x, g->model.total_width);
    RECT rest = {x, all.top, all.right, all.bottom};
    DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT);
}

void GridPaintRows(GridState* g, HDC dc, const RECT& update) {
    RECT client;
    GetClientRect(g->rows, &client);
    int width = client.right;
    int h = g->row_height;
    uint32_t count = GridRowCount(g->model);
    uint32_t first = g->first_row + static_cast<uint32_t>(std::max<long>(update.top, 0) / h);
    uint32_t last = g->first_row + static_cast<uint32_t>(std::max<long>(update.bottom - 1, 0) / h);
    if (count == 0)
        last = 0;
    else
        last = std::min(last, count - 1);
    if (count > 0 && first <= last && width > 0) {
        // Without the off-screen bitmap nothing is painted: no row is
        // better than rows drawn straight onto the screen with flicker.
        HDC buffer = g->row_buffer.Get(dc, width, h);
        if (!buffer) return;
        // Each pass starts from the buffer's own state and leaves it so:
        // the grid's font may be deleted between paints, and an owner-drawn
        // cell may have changed colours or modes.
        int saved = SaveDC(buffer);
        g->tiles.BeginPass(dc);
        // The colour the grid's brush really fills with (the system brush
        // of a new grid follows the system colour).
        LOGBRUSH brush{};
        COLORREF back = GetObjectA(g->brush, sizeof brush, &brush) ? brush.lbColor : g->back;
        for (uint32_t row = first; row <= last; ++row) {
            DrawRow(g, buffer, row, width, g->tiles, back);
            int y = static_cast<int>(row - g->first_row) * h;
            BitBlt(dc, 0, y, width, h, buffer, 0, 0, SRCCOPY);
        }
        RestoreDC(buffer, saved);
    }
    int bottom = count > g->first_row ? static_cast<int>(count - g->first_row) * h : 0;
    if (bottom < client.bottom) {
        RECT below = {0, bottom, width, client.bottom};
        FillRect(dc, &below, g->brush);
    }
}
