#include "grid/grid_editors.h"

#include "common/system/comctl32.h"
#include "grid/grid_system_time.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr UINT_PTR kSubclassId = 0x6772; // one subclass per editor
// The choice list shows up to this many items before it scrolls.
constexpr int kListRows = 8;
// Top and bottom border of the choice list.
constexpr int kListBorders = 2;
constexpr int kChoiceItemHeight = 18;
// Image and text of a choice list item, from its left edge.
constexpr int kChoiceImageX = 1;
constexpr int kChoiceTextGap = 2;
// Editors are sized over their cell when shown.
constexpr int kUnplacedSize = 10;

GridColumnInfo* EditColumn(GridState* g) {
    if (g->edit.column >= g->model.columns.size()) return nullptr;
    return &g->model.columns[g->edit.column];
}

bool IsOpenEditor(const GridState* g, HWND window) {
    return g->edit.phase == GridEditPhase::kEditing && g->edit.editor == window;
}

// Ending an edit stores through the grid, with notifications: the grid
// window does it when asked.
void AskGridToEndEdit(const GridState* g, bool cancel) {
    SendMessageA(g->self, GRM_ENDEDIT, GridCell(g->edit.column, g->edit.row), cancel ? 1 : 0);
}

// True when focus went to the editor itself or one of its own windows (a
// date picker's calendar or up-down control).
bool BelongsTo(HWND window, HWND editor) {
    for (HWND h = window; h; h = GetParent(h))
        if (h == editor) return true;
    return false;
}

void ShiftDate(HWND picker, int days, bool today) {
    SYSTEMTIME st{};
    if (today) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        DateTime_GetSystemtime(picker, &st);
        st.wYear = now.wYear;
        st.wMonth = now.wMonth;
        st.wDay = now.wDay;
    } else {
        if (DateTime_GetSystemtime(picker, &st) != GDT_VALID) return;
        SYSTEMTIME shifted = GridDateSystemTime(GridSystemTimeDate(st) + days);
        st.wYear = shifted.wYear;
        st.wMonth = shifted.wMonth;
        st.wDay = shifted.wDay;
    }
    st.wDayOfWeek = 0;
    DateTime_SetSystemtime(picker, GDT_VALID, &st);
}

// Black outer frame, window colour one pixel inside (hot-key and date editors).
void PaintFrame(HWND window) {
    WindowDc dc(window, WindowDc::WholeWindow{});
    if (!dc) return;
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    FrameRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
    FrameRect(dc.get(), &r, GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                            DWORD_PTR data) {
    GridState* g = reinterpret_cast<GridState*>(data);
    GridColumnInfo* c = EditColumn(g);
    bool open = IsOpenEditor(g, window);
    int type = c ? c->type : -1;
    switch (message) {
    case WM_GETDLGCODE:
        return Comctl32Dll().DefSubclassProc(window, message, w, l) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (open && (w == VK_RETURN || w == VK_ESCAPE)) {
            AskGridToEndEdit(g, w == VK_ESCAPE);
            return 0;
        }
        break;
    case WM_CHAR:
        if (w == '\r' || w == kGridEscapeChar) return 0;
        if (open && type == GCT_NUMBER && !((w >= '0' && w <= '9') || w == '-' || w == '\b')) {
            MessageBeep(0);
            return 0;
        }
        if (open && (type == GCT_DATE || type == GCT_TIME)) {
            if (w == '+' || w == '-') ShiftDate(window, w == '+' ? 1 : -1, false);
            if (w == 't' || w == 'T') ShiftDate(window, 0, true);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        if (open && !BelongsTo(reinterpret_cast<HWND>(w), window)) {
            LRESULT r = Comctl32Dll().DefSubclassProc(window, message, w, l);
            if (IsOpenEditor(g, window)) AskGridToEndEdit(g, false);
            return r;
        }
        break;
    case WM_MOUSEMOVE:
        if (type == GCT_CHOICE) { // the list's selection follows the pointer
            LRESULT item = SendMessageA(window, LB_ITEMFROMPOINT, 0, l);
            if (HIWORD(item) == 0) SendMessageA(window, LB_SETCURSEL, LOWORD(item), 0);
        }
        break;
    case WM_LBUTTONUP:
        if (type == GCT_CHOICE && open) {
            LRESULT r = Comctl32Dll().DefSubclassProc(window, message, w, l);
            AskGridToEndEdit(g, false);
            return r;
        }
        break;
    case WM_NCPAINT:
        if (type == GCT_HOTKEY || type == GCT_DATE || type == GCT_TIME) {
            Comctl32Dll().DefSubclassProc(window, message, w, l);
            PaintFrame(window);
            return 0;
        }
        break;
    }
    return Comctl32Dll().DefSubclassProc(window, message, w, l);
}

void SetEditorValue(const GridState* g, const GridColumnInfo& c, HWND editor, uint32_t row,
                    uint32_t column) {
    int32_t value = GridCellInt(g->model, row, column);
    switch (c.type) {
    case GCT_TEXT:
    case GCT_EDITBUTTONTEXT:
        SetWindowTextA(editor, GridCellString(g->model, row, column));
        SendMessageA(editor, EM_SETSEL, 0, -1);
        break;
    case GCT_NUMBER:
        SetWindowTextA(editor, std::to_string(value).c_str());
        SendMessageA(editor, EM_SETSEL, 0, -1);
        break;
    case GCT_HOTKEY:
        SendMessageA(editor, HKM_SETHOTKEY, LOWORD(value), 0);
        break;
    case GCT_DATE:
    case GCT_TIME: {
        SYSTEMTIME st = c.type == GCT_DATE ? GridDateSystemTime(value) : GridTimeSystemTime(value);
        DateTime_SetSystemtime(editor, GDT_VALID, &st);
        break;
    }
    case GCT_CHOICE: {
        LRESULT n = SendMessageA(editor, LB_GETCOUNT, 0, 0);
        SendMessageA(editor, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        for (LRESULT i = 0; i < n; ++i)
            if (SendMessageA(editor, LB_GETITEMDATA, i, 0) == value)
                SendMessageA(editor, LB_SETCURSEL, i, 0);
        break;
    }
    default:
        break;
    }
}

} // namespace

void GridCreateEditor(GridState* g, GridColumnInfo& c) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(g->self, GWLP_HINSTANCE));
    HWND editor = nullptr;
    DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    switch (c.type) {
    case GCT_TEXT:
    case GCT_EDITBUTTONTEXT:
    case GCT_NUMBER:
        editor = CreateWindowExA(
            0, "EDIT", "",
            child | WS_BORDER | ES_AUTOHSCROLL | (c.type == GCT_NUMBER ? ES_RIGHT : ES_LEFT), 0, 0,
            kUnplacedSize, kUnplacedSize, g->rows, nullptr, instance, nullptr);
        if (editor) SendMessageA(editor, EM_LIMITTEXT, GridEditLimit(c), 0);
        break;
    case GCT_CHOICE:
        // A popup owned by the row area, so the list can reach past the grid.
        editor = CreateWindowExA(WS_EX_TOOLWINDOW, "LISTBOX", "",
                                 WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_SORT | LBS_HASSTRINGS |
                                     LBS_OWNERDRAWFIXED | LBS_NOTIFY,
                                 0, 0, kUnplacedSize, kUnplacedSize, g->rows, nullptr, instance,
                                 nullptr);
        break;
    case GCT_HOTKEY:
        editor = CreateWindowExA(WS_EX_CLIENTEDGE, HOTKEY_CLASSA, "", child, 0, 0, kUnplacedSize,
                                 kUnplacedSize, g->rows, nullptr, instance, nullptr);
        break;
    case GCT_DATE:
    case GCT_TIME:
        editor =
            CreateWindowExA(WS_EX_CLIENTEDGE, DATETIMEPICK_CLASSA, "",
                            child | (c.type == GCT_DATE ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT), 0,
                            0, kUnplacedSize, kUnplacedSize, g->rows, nullptr, instance, nullptr);
        break;
    case GCT_DATA:
        if (c.editor) {
            HWND own = reinterpret_cast<HWND>(c.editor);
            ShowWindow(own, SW_HIDE);
            SetParent(own, g->rows);
            SendMessageA(own, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), 0);
            Comctl32Dll().SetWindowSubclass(own, EditorProc, kSubclassId,
                                            reinterpret_cast<DWORD_PTR>(g));
        }
        return;
    default:
        return;
    }
    c.editor = reinterpret_cast<uintptr_t>(editor);
    c.own_editor = editor != nullptr;
    if (!editor) return;
    SendMessageA(editor, WM_SETFONT, reinterpret_cast<WPARAM>(g->font), 0);
    Comctl32Dll().SetWindowSubclass(editor, EditorProc, kSubclassId,
                                    reinterpret_cast<DWORD_PTR>(g));
}

void GridDestroyEditors(GridState* g) {
    g->edit.phase = GridEditPhase::kNone;
    g->edit.editor = nullptr;
    for (GridColumnInfo& c : g->model.columns) {
        HWND editor = reinterpret_cast<HWND>(c.editor);
        if (editor && IsWindow(editor)) {
            Comctl32Dll().RemoveWindowSubclass(editor, EditorProc, kSubclassId);
            if (c.own_editor) DestroyWindow(editor);
        }
        c.editor = 0;
        c.own_editor = false;
    }
}

HWND GridShowEditor(GridState* g, uint32_t column, uint32_t row, const RECT& cell) {
    const GridColumnInfo& c = g->model.columns[column];
    HWND editor = reinterpret_cast<HWND>(c.editor);
    SetEditorValue(g, c, editor, row, column);
    if (c.type == GCT_CHOICE) {
        POINT at = {cell.left, cell.top};
        ClientToScreen(g->rows, &at);
        LRESULT items = SendMessageA(editor, LB_GETCOUNT, 0, 0);
        LRESULT item_height = SendMessageA(editor, LB_GETITEMHEIGHT, 0, 0);
        int height =
            static_cast<int>(std::clamp<LRESULT>(items, 1, kListRows) * item_height) + kListBorders;
        SetWindowPos(editor, HWND_TOPMOST, at.x, at.y, cell.right - cell.left, height,
                     SWP_SHOWWINDOW);
    } else {
        SetWindowPos(editor, HWND_TOP, cell.left, cell.top, cell.right - cell.left,
                     cell.bottom - cell.top, SWP_SHOWWINDOW);
    }
    return editor;
}

void GridReadEditor(const GridState* g, std::string& text, int32_t& number, std::string& raw) {
    uint32_t column = g->edit.column, row = g->edit.row;
    HWND editor = g->edit.editor;
    if (column >= g->model.columns.size() || !editor) return;
    const GridColumnInfo& c = g->model.columns[column];
    char buffer[kGridConvertBuffer] = "";
    number = GridCellInt(g->model, row, column);
    switch (c.type) {
    case GCT_TEXT:
    case GCT_EDITBUTTONTEXT:
        GetWindowTextA(editor, buffer, sizeof buffer);
        text = buffer;
        break;
    case GCT_NUMBER:
        GetWindowTextA(editor, buffer, sizeof buffer);
        number = static_cast<int32_t>(std::strtol(buffer, nullptr, 10));
        break;
    case GCT_HOTKEY:
        number = LOWORD(SendMessageA(editor, HKM_GETHOTKEY, 0, 0));
        break;
    case GCT_DATE:
    case GCT_TIME: {
        SYSTEMTIME st{};
        if (DateTime_GetSystemtime(editor, &st) != GDT_VALID) break;
        number = c.type == GCT_DATE ? GridSystemTimeDate(st) : GridSystemTimeSeconds(st);
        break;
    }
    case GCT_CHOICE: {
        LRESULT selected = SendMessageA(editor, LB_GETCURSEL, 0, 0);
        if (selected >= 0)
            number = static_cast<int32_t>(SendMessageA(editor, LB_GETITEMDATA, selected, 0));
        break;
    }
    case GCT_DATA: {
        // The caller's window hands its text over as the new raw value.
        size_t size = GridCellDataSize(g->model, row, column);
        const uint8_t* value = GridCellValue(g->model, row, column);
        raw.assign(std::max<size_t>(size, 1), '\0');
        if (value) raw.assign(reinterpret_cast<const char*>(value), size);
        int n = GetWindowTextA(editor, buffer, sizeof buffer);
        if (n > 0) {
            raw.assign(std::max<size_t>(size, static_cast<size_t>(n) + 1), '\0');
            std::copy(buffer, buffer + n, raw.begin());
        }
        break;
    }
    default:
        break;
    }
}

void GridAddEditorChoice(GridColumnInfo& c, const char* text, int value) {
    HWND list = reinterpret_cast<HWND>(c.editor);
    if (!list) return;
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(list, LB_SETITEMDATA, index, value);
}

void GridClearEditorChoices(GridColumnInfo& c) {
    if (c.editor) SendMessageA(reinterpret_cast<HWND>(c.editor), LB_RESETCONTENT, 0, 0);
}

void GridMeasureChoiceItem(MEASUREITEMSTRUCT* item) {
    item->itemHeight = GridPixels(kChoiceItemHeight);
}

bool GridDrawChoiceItem(GridState* g, const DRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_LISTBOX || item->itemID == static_cast<UINT>(-1)) return false;
    const GridColumnInfo* column = nullptr;
    for (const GridColumnInfo& c : g->model.columns)
        if (reinterpret_cast<HWND>(c.editor) == item->hwndItem) column = &c;
    if (!column) return false;
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (column->extra) {
        int cx, cy;
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(column->extra);
        if (Comctl32Dll().ImageList_GetIconSize(images, &cx, &cy))
            Comctl32Dll().ImageList_Draw(images, static_cast<int>(item->itemData), dc,
                                         r.left + GridPixels(kChoiceImageX),
                                         r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
        r.left += GridPixels(kGridChoiceImageIndent);
    }
    char text[kGridConvertBuffer] = "";
    if (SendMessageA(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0) <
        static_cast<LRESULT>(sizeof text))
        SendMessageA(item->hwndItem, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    r.left += GridPixels(kChoiceTextGap);
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT);
    return true;
}
