// Public interface of the CellGrid control: message and notification
// numbers, the column descriptor and the notification record. The program
// includes this header; everything in it but the notification record is
// free of windows.h so that the portable grid model shares it.
//
// Column descriptor: twelve fields in a fixed order. The four that carry a
// pointer or a handle (header text, format, extra, editor) are pointer-sized,
// so the record is 48 bytes in a 32-bit build and 72 bytes (with alignment
// padding) in a 64-bit one.
// The grid keeps its own copy of every field; header and format texts are
// copied into the grid, and GRM_GETCOLUMN hands out pointers to those copies
// (valid until that column's header or format is set again, or the columns
// are removed with GRM_CLEARALL).
//
// Row values (GRM_ADDROW, GRM_INSERTROW, GRM_SETCELLDATA) are pointer-sized
// elements (LPARAM): a text pointer for text cells, a data pointer for
// fixed-size data of more than 4 bytes, otherwise the value itself in the
// low 32 bits (fixed-size data of 1 to 4 bytes: the element's own low bytes).
#pragma once

#include <cstdint>

enum : unsigned {
    GRM_FIRST = 0x400, // WM_USER
    GRM_ADDCOLUMN = GRM_FIRST + 1,
    GRM_ADDROW = GRM_FIRST + 2,
    GRM_INSERTROW = GRM_FIRST + 3,
    GRM_DELETEROW = GRM_FIRST + 4,
    GRM_MOVEROW = GRM_FIRST + 5,
    GRM_ADDCHOICE = GRM_FIRST + 6,
    GRM_CLEARCHOICES = GRM_FIRST + 7,
    GRM_GETCURRENTCELL = GRM_FIRST + 8,
    GRM_SETCURRENTCELL = GRM_FIRST + 9,
    GRM_GETCURRENTCOLUMN = GRM_FIRST + 10,
    GRM_SETCURRENTCOLUMN = GRM_FIRST + 11,
    GRM_GETCURRENTROW = GRM_FIRST + 12,
    GRM_SETCURRENTROW = GRM_FIRST + 13,
    GRM_GETCOLUMNCOUNT = GRM_FIRST + 14,
    GRM_GETROWCOUNT = GRM_FIRST + 15,
    GRM_GETCELLDATA = GRM_FIRST + 16,
    GRM_SETCELLDATA = GRM_FIRST + 17,
    GRM_GETCELLRECT = GRM_FIRST + 18,
    GRM_SCROLLCELLINTOVIEW = GRM_FIRST + 19,
    GRM_GETBACKCOLOR = GRM_FIRST + 20,
    GRM_SETBACKCOLOR = GRM_FIRST + 21,
    GRM_GETLINECOLOR = GRM_FIRST + 22,
    GRM_SETLINECOLOR = GRM_FIRST + 23,
    GRM_GETTEXTCOLOR = GRM_FIRST + 24,
    GRM_SETTEXTCOLOR = GRM_FIRST + 25,
    GRM_ACTIVATECELL = GRM_FIRST + 26,
    GRM_ENDEDIT = GRM_FIRST + 27,
    GRM_GETCOLUMNWIDTH = GRM_FIRST + 28,
    GRM_SETCOLUMNWIDTH = GRM_FIRST + 29,
    GRM_GETHEADERHEIGHT = GRM_FIRST + 30,
    GRM_SETHEADERHEIGHT = GRM_FIRST + 31,
    GRM_GETROWHEIGHT = GRM_FIRST + 32,
    GRM_SETROWHEIGHT = GRM_FIRST + 33,
    GRM_CLEARROWS = GRM_FIRST + 34,
    GRM_SORTCOLUMN = GRM_FIRST + 35,
    GRM_GETHEADERTEXT = GRM_FIRST + 36,
    GRM_SETHEADERTEXT = GRM_FIRST + 37,
    GRM_GETCOLUMNFORMAT = GRM_FIRST + 38,
    GRM_SETCOLUMNFORMAT = GRM_FIRST + 39,
    GRM_GETCELLTEXT = GRM_FIRST + 40,
    GRM_CLEARALL = GRM_FIRST + 41,
    GRM_GETROWCOLORS = GRM_FIRST + 42,
    GRM_SETROWCOLORS = GRM_FIRST + 43,
    GRM_GETCOLUMN = GRM_FIRST + 44,
    // Sent by dialog editors: adds a sample column and row.
    GRM_DESIGNSAMPLE = 11023,
};

// Notification codes (the code field of the notification record).
enum : unsigned {
    GRN_HEADERCLICK = 1,
    GRN_BUTTONCLICK = 2,
    GRN_CHECKCLICK = 3,
    GRN_IMAGECLICK = 4,
    GRN_BEFORESELCHANGE = 5,
    GRN_AFTERSELCHANGE = 6,
    GRN_BEFOREEDIT = 7,
    GRN_AFTEREDIT = 8,
    GRN_BEFOREUPDATE = 9,
    GRN_AFTERUPDATE = 10,
    GRN_USERCONVERT = 11,
};

// Cell types.
enum : int32_t {
    GCT_TEXT = 0,
    GCT_NUMBER = 1,
    GCT_CHECK = 2,
    GCT_CHOICE = 3,
    GCT_HOTKEY = 4,
    GCT_BUTTONTEXT = 5,
    GCT_IMAGE = 6,
    GCT_DATE = 7,
    GCT_TIME = 8,
    GCT_DATA = 9,
    GCT_EDITBUTTONTEXT = 10,
};

// Alignments of header and cell texts.
enum : int32_t { GCA_LEFT = 0, GCA_CENTER = 1, GCA_RIGHT = 2 };

// Column flags kept by the grid.
enum : uint32_t { GCF_PRESSED = 0x01, GCF_DESCENDING = 0x02 };

// Grid window style bits (low bits of the window style).
enum : uint32_t {
    GRS_NOSELCOLOR = 0x01, // no highlight colours; focus rectangle even unfocused
    GRS_NOFOCUSRECT = 0x02,
    GRS_HLINES = 0x04,
    GRS_VLINES = 0x08,
    GRS_FRAME = 0x10,
    GRS_INERTHEADER = 0x20,
};

// Control type of the compare-item request for fixed-size data columns,
// and of the owner-draw request for fixed-size cells the parent paints.
enum : unsigned { ODT_CELLGRID = 6 };

struct GRIDCOLUMN {
    int32_t width;           // pixels; 0 hides the column
    const char* header_text; // may be null
    int32_t header_align;    // GCA_*
    int32_t cell_align;      // GCA_*
    int32_t type;            // GCT_*
    int32_t size;            // edit limit, digits, or fixed data byte count
    const char* format;      // number, date and time columns; may be null
    uintptr_t extra;         // HIMAGELIST of image and choice columns
    uint32_t flags;          // GCF_* (kept by the grid)
    int32_t left;            // left edge in pixels (kept by the grid)
    uintptr_t editor;        // HWND of the in-place editor
    uint32_t reserved;       // copied, never interpreted
};

static_assert(sizeof(GRIDCOLUMN) == (sizeof(void*) == 8 ? 72 : 48), "descriptor layout");

// Packs a cell argument: row in the high 16 bits, column in the low 16.
inline uint32_t GridCell(uint32_t column, uint32_t row) {
    return ((row & 0xFFFF) << 16) | (column & 0xFFFF);
}

#ifdef _WIN32
#include <windows.h>

// Record of every grid notification (WM_NOTIFY, wParam = control id). The
// first three fields are the standard NMHDR: grid window, id, code.
struct GRIDNOTIFY {
    NMHDR hdr;
    int column;
    int row;     // -1 for GRN_HEADERCLICK
    HWND window; // the in-place editor for GRN_BEFOREEDIT and GRN_AFTEREDIT
    void* data;  // the cell value concerned
    int veto;    // 0 from the grid; the parent sets non-zero to refuse
};

// Adds a column with a centred header, the way every list of the program
// shows them. `extra` is the image list of image and choice columns.
// Returns the new column's index, or -1 when the grid refuses it.
inline int AddGridColumn(HWND grid, int32_t type, int32_t width, const char* header,
                         int32_t cell_align = GCA_LEFT, int32_t size = 0,
                         const char* format = nullptr, uintptr_t extra = 0) {
    GRIDCOLUMN c{};
    c.width = width;
    c.header_text = header;
    c.header_align = GCA_CENTER;
    c.cell_align = cell_align;
    c.type = type;
    c.size = size;
    c.format = format;
    c.extra = extra;
    return static_cast<int>(SendMessageA(grid, GRM_ADDCOLUMN, 0, reinterpret_cast<LPARAM>(&c)));
}

// Registers CellGrid and CellRows for the module; call once at start-up.
// Returns false when a class could not be registered.
bool RegisterGridClasses(HINSTANCE instance);
#endif
