// The state of one CellGrid window, shared by the files of the control. The
// record is owned by the grid window (its extra word, also stored in the
// row area's extra word) and freed in WM_NCDESTROY.
#pragma once

#include "common/dpi.h"
#include "common/win32_owners.h"
#include "grid/grid_image_tiles.h"
#include "grid/grid_messages.h"
#include "grid/grid_model.h"
#include "grid/grid_row_buffer.h"

#include <windows.h>

#include <cstdint>

// Sizes in pixels at 96 DPI (100 %), and colours, of a new grid. The grid
// draws every size at the display's resolution: GridPixels.
constexpr int kGridDefaultHeaderHeight = 18;
constexpr int kGridDefaultRowHeight = 18;
// The header is this wide whatever the columns, so that scrolling only
// moves it.
constexpr int kGridHeaderWidth = 8192;
constexpr COLORREF kGridDefaultLineColour = RGB(192, 192, 192);
// Cell texts are inset this far from the left and right edges and the top.
constexpr int kGridTextInsetX = 3;
constexpr int kGridTextInsetTop = 2;
// A choice's image sits at the left of its cell or list item; the text
// starts this far right of where it would start without one.
constexpr int kGridChoiceImageIndent = 19;
// The width of the divider line shown while a column edge is dragged.
constexpr int kGridDividerWidth = 2;

// A size of the grid's design (pixels at 96 DPI) on the display.
inline int GridPixels(int pixels) {
    return ScaleToDisplay(pixels);
}

// The extra window word of the grid window and of its row area that holds
// the state.
constexpr int kGridStateWord = 0;
// The character Escape types (WM_CHAR).
constexpr WPARAM kGridEscapeChar = 0x1B;

enum GridHeaderMode { kHeaderIdle, kHeaderOverEdge, kHeaderDragging };

// What in-place editing is doing. Committing: a check-box or button-text
// value is being stored (with its notifications) without an editor window;
// like kNone, nothing is open then that could be ended or typed into.
enum class GridEditPhase { kNone, kEditing, kCommitting };

struct GridEdit {
    GridEditPhase phase = GridEditPhase::kNone;
    HWND editor = nullptr;        // the open editor while kEditing
    uint32_t column = 0, row = 0; // the cell an editor was last opened on
};

struct GridState {
    GridModel model;
    uint32_t cur_col = 0;
    uint32_t cur_row = 0;
    int header_height = GridPixels(kGridDefaultHeaderHeight);
    int row_height = GridPixels(kGridDefaultRowHeight);
    int scroll_x = 0;
    int client_width = 0, client_height = 0; // of the grid window, kept by GridLayout
    bool bar_refresh_posted = false;
    uint32_t first_row = 0;
    HWND parent = nullptr;
    HWND self = nullptr;
    HWND header = nullptr;
    HWND rows = nullptr;
    HWND divider = nullptr;
    UINT id = 0;
    HFONT font = nullptr; // the caller's font or the stock GUI font: never deleted here
    DWORD style = 0;
    HCURSOR resize_cursor = nullptr; // a shared system cursor: never destroyed
    COLORREF back = 0, line = 0, text = 0;
    HBRUSH brush = nullptr;      // the background: the system window brush or own_brush
    GdiObject<HBRUSH> own_brush; // made for a colour set by GRM_SETBACKCOLOR
    GdiObject<HPEN> pen;         // the grid lines, in the line colour
    GridEdit edit;
    WNDPROC header_proc = nullptr;
    // Row-area mouse state.
    bool captured = false;
    bool has_last = false; // last_col/last_row name the cell the mouse made current
    uint32_t last_col = 0, last_row = 0;
    bool press_on_button = false;   // press landed on a button part...
    bool press_was_current = false; // ...of the cell that was current before it
    bool button_held = false;       // draw the button face pressed
    bool swallow_char = false;      // a keypad move key: drop its character
    // Header mouse state.
    GridHeaderMode header_mode = kHeaderIdle;
    int edge_column = -1;
    int pressed_column = -1;
    // Off-screen drawing kept between paints (grid_paint.cpp).
    GridRowBuffer row_buffer;
    GridImageTiles tiles;
};

inline GridState* GridFromWindow(HWND window) {
    return reinterpret_cast<GridState*>(GetWindowLongPtrA(window, kGridStateWord));
}
