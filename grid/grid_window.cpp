// CellGrid: class registration, creation and destruction of a grid with its
// child windows, and the grid's window procedure. Nothing else in the
// control calls into this file.
#include "common/system/comctl32.h"
#include "grid/grid_cells.h"
#include "grid/grid_editors.h"
#include "grid/grid_header.h"
#include "grid/grid_input.h"
#include "grid/grid_paint.h"
#include "grid/grid_requests.h"
#include "grid/grid_scroll.h"
#include "grid/grid_state.h"

#include <commctrl.h>

#include <new>

namespace {

constexpr char kGridClass[] = "CellGrid";
constexpr char kRowsClass[] = "CellRows";
constexpr int kHeaderId = 1;
constexpr int kRowsId = 2;
// Child windows are placed by GridLayout right after they are made.
constexpr int kUnplacedSize = 10;

void SetState(HWND window, GridState* g) {
    SetWindowLongPtrA(window, kGridStateWord, reinterpret_cast<LONG_PTR>(g));
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
    g->line = kGridDefaultLineColour;
    g->text = GetSysColor(COLOR_WINDOWTEXT);
    g->brush = GetSysColorBrush(COLOR_WINDOW);
    g->pen.Reset(CreatePen(PS_SOLID, 1, g->line));
    g->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g->resize_cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    g->divider = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_BLACKRECT, 0, 0,
                                 GridPixels(kGridDividerWidth), kUnplacedSize, window, nullptr,
                                 instance, nullptr);
    g->header = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY,
                                0, 0, kGridHeaderWidth, g->header_height, window,
                                reinterpret_cast<HMENU>(static_cast<intptr_t>(kHeaderId)), instance,
                                nullptr);
    g->rows = CreateWindowExA(0, kRowsClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              kUnplacedSize, kUnplacedSize, window,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(kRowsId)), instance, g);
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
    if (g->rows && IsWindow(g->rows)) SetWindowLongPtrA(g->rows, kGridStateWord, 0);
    GridDestroyEditors(g);
    delete g;
}

void SetFont(GridState* g, WPARAM font, bool redraw) {
    g->font = reinterpret_cast<HFONT>(font);
    if (!g->font) g->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (GridColumnInfo& c : g->model.columns)
        if (c.editor) SendMessageA(reinterpret_cast<HWND>(c.editor), WM_SETFONT, font, 0);
    if (redraw) GridInvalidateAll(g);
}

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    GridState* g = GridFromWindow(window);
    if (message == WM_CREATE) return CreateState(window) ? 0 : -1;
    if (message == WM_NCDESTROY) {
        DestroyState(window, g);
        return DefWindowProcA(window, message, w, l);
    }
    if (!g) return DefWindowProcA(window, message, w, l);
    if (GridIsRequest(message)) return GridAnswerRequest(g, message, w, l);
    switch (message) {
    case kGridRefreshBars:
        GridFlushVerticalBar(g);
        return 0;
    case WM_SIZE:
        GridLayout(g);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g->rows);
        return 0;
    case WM_SETFONT:
        SetFont(g, w, LOWORD(l) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(g->font);
    case WM_STYLECHANGED:
        if (w == static_cast<WPARAM>(GWL_STYLE))
            g->style = reinterpret_cast<const STYLESTRUCT*>(l)->styleNew;
        GridInvalidateAll(g);
        return 0;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        if (item->hwndItem == g->header) GridPaintHeader(g, item);
        return TRUE;
    }
    case WM_VSCROLL:
        GridScroll(g, SB_VERT, LOWORD(w));
        return 0;
    case WM_HSCROLL:
        GridScroll(g, SB_HORZ, LOWORD(w));
        return 0;
    case WM_MOUSEWHEEL:
        GridScrollWheel(g, GET_WHEEL_DELTA_WPARAM(w));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, w, l);
}

} // namespace

bool RegisterGridClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_HOTKEY_CLASS | ICC_DATE_CLASSES};
    Comctl32Dll().InitCommonControlsEx(&icc);
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
