// The CellGrid control under Wine: messages and results, notification
// sequences and vetoes, mouse and keyboard, in-place editors, the header,
// and painted pixels read back from the window.
#include "tests/win/grid/grid_fixture.h"

#include "grid/grid_model.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

intptr_t P(const char* text) {
    return reinterpret_cast<intptr_t>(text);
}

std::string CellText(const GridFixture& f, int column, int row) {
    char buffer[600];
    std::memset(buffer, 'x', sizeof buffer);
    f.Send(GRM_GETCELLTEXT, GridCell(column, row), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void Click(const GridFixture& f, POINT p, bool doubleClick = false) {
    LPARAM at = MAKELPARAM(p.x, p.y);
    SendMessageA(f.rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(f.rows, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        SendMessageA(f.rows, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(f.rows, WM_LBUTTONUP, 0, at);
    }
}

void Key(HWND window, WPARAM key) {
    SendMessageA(window, WM_KEYDOWN, key, 0);
}

// A 16x16 image list with one image per colour.
HIMAGELIST SolidImages(std::initializer_list<COLORREF> colours) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24, 0, 4);
    HDC screen = GetDC(nullptr);
    for (COLORREF c : colours) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(c);
        RECT r = {0, 0, 16, 16};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        SelectObject(dc, old);
        DeleteDC(dc);
        ImageList_Add(list, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return list;
}

} // namespace

TEST(GridMessages, ColumnsRowsAndResults) {
    GridFixture f(0);
    EXPECT_EQ(f.AddColumn(GCT_TEXT, 80, "Name", 0), 0);
    EXPECT_EQ(f.AddColumn(GCT_NUMBER, 60, "Count", 20), 1);
    EXPECT_EQ(f.Send(GRM_GETCOLUMNCOUNT), 2);
    EXPECT_EQ(f.AddRow({P("alpha"), 12}), 0);
    EXPECT_EQ(f.AddRow({P("beta"), -3}), 1);
    EXPECT_EQ(f.AddColumn(GCT_TEXT, 10), -1);  // rows exist
    EXPECT_EQ(f.Send(GRM_INSERTROW, 1, 0), 1); // empty row in between
    EXPECT_EQ(f.Send(GRM_INSERTROW, 9, 0), -1);
    EXPECT_EQ(f.Send(GRM_GETROWCOUNT), 3);
    char text[32] = "zzzz";
    EXPECT_EQ(f.Send(GRM_GETCELLDATA, GridCell(0, 1), reinterpret_cast<LPARAM>(text)), GCT_TEXT);
    EXPECT_STREQ(text, "");
    int32_t number = 0x5EADBEEF;
    EXPECT_EQ(f.Send(GRM_GETCELLDATA, GridCell(1, 2), reinterpret_cast<LPARAM>(&number)),
              GCT_NUMBER);
    EXPECT_EQ(number, -3);
    EXPECT_EQ(f.Send(GRM_MOVEROW, 2, 0), 1);
    EXPECT_EQ(CellText(f, 0, 0), "beta");
    EXPECT_EQ(f.Send(GRM_DELETEROW, 0), 1);
    EXPECT_EQ(CellText(f, 0, 0), "alpha");
    EXPECT_EQ(f.Send(GRM_DELETEROW, 5), 0);

    // Descriptor copy, widths and left edges.
    GRIDCOLUMN d;
    std::memset(&d, 0xCD, sizeof d);
    EXPECT_EQ(f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d)), 1);
    EXPECT_EQ(d.width, 60);
    EXPECT_EQ(d.left, 80);
    EXPECT_EQ(d.size, 20);
    EXPECT_STREQ(d.header_text, "Count");
    EXPECT_STREQ(d.format, "");
    EXPECT_NE(d.editor, 0u);
    EXPECT_EQ(GetWindowLongA(reinterpret_cast<HWND>(d.editor), GWL_STYLE) & ES_RIGHT, ES_RIGHT);
    EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(d.editor), EM_GETLIMITTEXT, 0, 0), 11);
    EXPECT_EQ(f.Send(GRM_GETCOLUMN, 2, reinterpret_cast<LPARAM>(&d)), -1);
    f.Send(GRM_SETCOLUMNWIDTH, 0, 100);
    f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(d.left, 100);
    EXPECT_EQ(f.Send(GRM_GETCOLUMNWIDTH, 0), 100);

    // Heights, header text, format, colours.
    EXPECT_EQ(f.Send(GRM_GETROWHEIGHT), 18);
    f.Send(GRM_SETROWHEIGHT, 0, 0);
    EXPECT_EQ(f.Send(GRM_GETROWHEIGHT), 18);
    f.Send(GRM_SETROWHEIGHT, 0, 22);
    EXPECT_EQ(f.Send(GRM_GETROWHEIGHT), 22);
    f.Send(GRM_SETHEADERHEIGHT, 0, 25);
    EXPECT_EQ(f.Send(GRM_GETHEADERHEIGHT), 25);
    f.Send(GRM_SETHEADERTEXT, 0, P("Label"));
    EXPECT_EQ(f.Send(GRM_GETHEADERTEXT, 0, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "Label");
    f.Send(GRM_SETCOLUMNFORMAT, 1, P("#,###"));
    f.Send(GRM_SETCELLDATA, GridCell(1, 0), 1234567);
    EXPECT_EQ(CellText(f, 1, 0), "4,567");
    EXPECT_EQ(f.Send(GRM_GETLINECOLOR), RGB(192, 192, 192));
    f.Send(GRM_SETBACKCOLOR, RGB(1, 2, 3));
    f.Send(GRM_SETBACKCOLOR, RGB(4, 5, 6));
    EXPECT_EQ(f.Send(GRM_GETBACKCOLOR), RGB(4, 5, 6));
    COLORREF colours[2] = {0, 0};
    EXPECT_EQ(f.Send(GRM_GETROWCOLORS, 0, reinterpret_cast<LPARAM>(colours)), 1);
    EXPECT_EQ(colours[0], 0xFFFFFFFFu);
    COLORREF set[2] = {RGB(9, 9, 9), RGB(8, 8, 8)};
    f.Send(GRM_SETROWCOLORS, 0, reinterpret_cast<LPARAM>(set));
    f.Send(GRM_GETROWCOLORS, 0, reinterpret_cast<LPARAM>(colours));
    EXPECT_EQ(colours[1], RGB(8, 8, 8));
    RECT r;
    EXPECT_EQ(f.Send(GRM_GETCELLRECT, GridCell(1, 1), reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 22);
    EXPECT_EQ(r.bottom, 44);

    // Clearing rows keeps columns; columns can be added again.
    f.Send(GRM_CLEARROWS);
    EXPECT_EQ(f.Send(GRM_GETROWCOUNT), 0);
    EXPECT_EQ(f.AddColumn(GCT_CHECK, 30), 2);
    f.Send(GRM_GETHEADERTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Label");
    f.Send(GRM_CLEARALL);
    EXPECT_EQ(f.Send(GRM_GETCOLUMNCOUNT), 0);
    f.Send(GRM_DESIGNSAMPLE);
    EXPECT_EQ(f.Send(GRM_GETCOLUMNCOUNT), 1);
    EXPECT_EQ(f.Send(GRM_GETCOLUMNWIDTH, 0), 100);
    EXPECT_EQ(CellText(f, 0, 0), "CellGrid control");
    f.Send(GRM_GETHEADERTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "CellGrid control");
}

TEST(GridMessages, SelectionAndUpdateNotificationsWithVetoes) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 80);
    f.AddColumn(GCT_NUMBER, 80);
    f.AddRow({P("a"), 1});
    f.AddRow({P("b"), 2});
    g_log.notes.clear();
    EXPECT_EQ(f.Send(GRM_SETCURRENTCELL, 1, 1), 1);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 1, 1}, {GRN_AFTERSELCHANGE, 1, 1});
    EXPECT_EQ(f.Send(GRM_GETCURRENTCELL), static_cast<LRESULT>(GridCell(1, 1)));
    EXPECT_EQ(f.Send(GRM_SETCURRENTCELL, 2, 0), 0); // out of range: no notification
    EXPECT_NOTES();
    g_log.veto = {GRN_BEFORESELCHANGE};
    EXPECT_EQ(f.Send(GRM_SETCURRENTROW, 0), 0);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 1, 0});
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 1);
    g_log.veto = {GRN_BEFOREUPDATE};
    EXPECT_EQ(f.Send(GRM_SETCELLDATA, GridCell(0, 0), P("changed")), 0);
    EXPECT_NOTES({GRN_BEFOREUPDATE, 0, 0});
    EXPECT_EQ(CellText(f, 0, 0), "a");
    g_log.veto.clear();
    EXPECT_EQ(f.Send(GRM_SETCELLDATA, GridCell(0, 0), P("changed")), 1);
    EXPECT_NOTES({GRN_BEFOREUPDATE, 0, 0}, {GRN_AFTERUPDATE, 0, 0});
    EXPECT_EQ(CellText(f, 0, 0), "changed");
}

TEST(GridMessages, CheckBoxActivationTogglesUnlessVetoed) {
    GridFixture f(0);
    f.AddColumn(GCT_CHECK, 30);
    f.AddRow({0});
    g_log.notes.clear();
    EXPECT_EQ(f.Send(GRM_ACTIVATECELL, 0, 0), 1);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 0, 0}, {GRN_AFTERSELCHANGE, 0, 0}, {GRN_BEFOREEDIT, 0, 0},
                 {GRN_CHECKCLICK, 0, 0}, {GRN_BEFOREUPDATE, 0, 0}, {GRN_AFTERUPDATE, 0, 0});
    int32_t v = 0;
    f.Send(GRM_GETCELLDATA, GridCell(0, 0), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 1);
    g_log.veto = {GRN_CHECKCLICK};
    f.Send(GRM_ACTIVATECELL, 0, 0);
    f.Send(GRM_GETCELLDATA, GridCell(0, 0), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 1);
    g_log.veto = {GRN_BEFOREEDIT};
    g_log.notes.clear();
    f.Send(GRM_ACTIVATECELL, 0, 0);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 0, 0}, {GRN_AFTERSELCHANGE, 0, 0}, {GRN_BEFOREEDIT, 0, 0});
}

TEST(GridMessages, SortsTextAndAsksParentForFixedData) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 80);
    f.AddColumn(GCT_DATA, 80, "", 8);
    char d1[8] = "ccc", d2[8] = "aaa", d3[8] = "bbb";
    f.AddRow({P("banana"), P(d1)});
    f.AddRow({P("Apple"), P(d2)});
    f.AddRow({P("cherry"), P(d3)});
    EXPECT_EQ(f.Send(GRM_SORTCOLUMN, 0, 1), 1);
    EXPECT_EQ(CellText(f, 0, 0), "cherry");
    EXPECT_EQ(CellText(f, 0, 2), "Apple");
    g_log.compareSize = 8;
    EXPECT_EQ(f.Send(GRM_SORTCOLUMN, 1, 0), 1);
    EXPECT_GT(g_log.compareCalls, 0);
    EXPECT_EQ(CellText(f, 1, 0), "aaa");
    EXPECT_EQ(CellText(f, 1, 2), "ccc");
    f.Send(GRM_SORTCOLUMN, 1, 2); // reverse the last order
    EXPECT_EQ(CellText(f, 1, 0), "ccc");
    GRIDCOLUMN d;
    f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(d.flags & GCF_DESCENDING, GCF_DESCENDING);
}

// The Relay Scripts use: a double click, or a key press, on an image cell
// notifies with that cell's row already current.
TEST(GridInput, ImageCellActivatedByDoubleClickAndKeyWithItsRowCurrent) {
    GridFixture f(0x01 | 0x04 | 0x08 | 0x20);
    HIMAGELIST images = SolidImages({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)});
    f.AddColumn(GCT_DATA, 40, "ID", 5);
    f.AddColumn(GCT_IMAGE, 50, "Edit", 0, reinterpret_cast<uintptr_t>(images));
    f.AddColumn(GCT_IMAGE, 50, "Delete", 0, reinterpret_cast<uintptr_t>(images));
    for (int i = 0; i < 4; ++i)
        f.AddRow({P("1"), 2, 1});
    g_log.notes.clear();
    Click(f, f.CellCentre(2, 2)); // single click: selects only
    EXPECT_TRUE(g_log.imageData.empty());
    Click(f, f.CellCentre(2, 3), true);
    ASSERT_EQ(g_log.imageData.size(), 1u);
    EXPECT_EQ(g_log.imageData[0], 1);
    EXPECT_EQ(g_log.imageRowCurrent[0], 3u);
    Key(f.rows, VK_UP);
    SendMessageA(f.rows, WM_CHAR, 'x', 0);
    ASSERT_EQ(g_log.imageData.size(), 2u);
    EXPECT_EQ(g_log.imageRowCurrent[1], 2u);
    g_log.notes.clear();
    Key(f.rows, VK_LEFT);
    Key(f.rows, VK_RETURN);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 1, 2}, {GRN_AFTERSELCHANGE, 1, 2},
                 {GRN_BEFORESELCHANGE, 1, 2}, {GRN_AFTERSELCHANGE, 1, 2}, {GRN_BEFOREEDIT, 1, 2},
                 {GRN_IMAGECLICK, 1, 2});
    EXPECT_EQ(g_log.imageData.back(), 2);
    ImageList_Destroy(images);
}

TEST(GridInput, ArrowsSkipHiddenColumnsAndStopAtTheEnds) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 50);
    f.AddColumn(GCT_TEXT, 0);
    f.AddColumn(GCT_TEXT, 50);
    f.AddColumn(GCT_TEXT, 0);
    for (int i = 0; i < 3; ++i)
        f.AddRow({P("a"), P("b"), P("c"), P("d")});
    Key(f.rows, VK_RIGHT);
    EXPECT_EQ(f.Send(GRM_GETCURRENTCOLUMN), 2);
    Key(f.rows, VK_RIGHT); // only a hidden column beyond
    EXPECT_EQ(f.Send(GRM_GETCURRENTCOLUMN), 2);
    Key(f.rows, VK_NUMPAD4);
    EXPECT_EQ(f.Send(GRM_GETCURRENTCOLUMN), 0);
    Key(f.rows, VK_LEFT);
    EXPECT_EQ(f.Send(GRM_GETCURRENTCOLUMN), 0);
    Key(f.rows, VK_END);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 2);
    Key(f.rows, VK_DOWN);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 2);
    Key(f.rows, VK_HOME);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 0);
}

TEST(GridInput, PageKeysMoveByWholeRowsAndClamp) {
    GridFixture f(0, 300, 140);
    f.AddColumn(GCT_NUMBER, 50);
    for (int i = 0; i < 12; ++i)
        f.AddRow({i});
    RECT client;
    GetClientRect(f.grid, &client);
    const int page = (client.bottom - 18) / 18; // whole rows below the header
    ASSERT_GE(page, 3);
    Key(f.rows, VK_NEXT);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), page);
    Key(f.rows, VK_NEXT);
    Key(f.rows, VK_NEXT);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 11);
    g_log.notes.clear();
    Key(f.rows, VK_NEXT); // on the last row: stays, no selection change
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 11);
    EXPECT_NOTES();
    RECT r;
    f.Send(GRM_GETCELLRECT, GridCell(0, 11), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.top, (page - 1) * 18); // scrolled so that the last row is visible
    Key(f.rows, VK_PRIOR);
    EXPECT_EQ(f.Send(GRM_GETCURRENTROW), 11 - page);
    // The wheel scrolls three rows per notch.
    f.Send(GRM_SETCURRENTROW, 0);
    SendMessageA(f.rows, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    f.Send(GRM_GETCELLRECT, GridCell(0, 0), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.top, -3 * 18);
}

// The vertical bar is set once rows stop coming in, and a scroll request
// made before that already sees every row.
TEST(GridInput, ScrollBarFollowsAddedRows) {
    GridFixture f(0, 300, 140);
    f.AddColumn(GCT_NUMBER, 50);
    for (int i = 0; i < 100; ++i)
        f.AddRow({i});
    SendMessageA(f.grid, WM_VSCROLL, SB_BOTTOM, 0); // no message pumped yet
    RECT r, client;
    f.Send(GRM_GETCELLRECT, GridCell(0, 99), reinterpret_cast<LPARAM>(&r));
    GetClientRect(f.rows, &client);
    EXPECT_GT(r.top, 0);
    EXPECT_LE(r.bottom, client.bottom); // the last row at the bottom of the page
    for (int i = 0; i < 50; ++i)
        f.AddRow({i});
    f.Pump();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(f.grid, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 149);
    EXPECT_EQ(si.nPos, 99 - r.top / 18);                  // the first visible row
    EXPECT_EQ(si.nPos + static_cast<int>(si.nPage), 100); // a page of whole rows
}

TEST(GridEditors, EscapeCancelsEnterCommits) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 100, "", 8);
    f.AddRow({P("before")});
    EXPECT_EQ(f.Send(GRM_ACTIVATECELL, 0, 0), 1);
    HWND editor = g_log.lastEditor;
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 8);
    SetWindowTextA(editor, "typed");
    Key(editor, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(CellText(f, 0, 0), "before");

    f.Send(GRM_ACTIVATECELL, 0, 0);
    char shown[32];
    GetWindowTextA(editor, shown, sizeof shown);
    EXPECT_STREQ(shown, "before");
    SetWindowTextA(editor, "after");
    g_log.notes.clear();
    Key(editor, VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_NOTES({GRN_AFTEREDIT, 0, 0}, {GRN_BEFOREUPDATE, 0, 0}, {GRN_AFTERUPDATE, 0, 0});
    EXPECT_EQ(CellText(f, 0, 0), "after");

    // Typing on the cell opens the editor with the character.
    SendMessageA(f.rows, WM_CHAR, 'Q', 0);
    EXPECT_TRUE(IsWindowVisible(editor));
    GetWindowTextA(editor, shown, sizeof shown);
    EXPECT_STREQ(shown, "Q");
    g_log.veto = {GRN_AFTEREDIT};
    f.Send(GRM_ENDEDIT, GridCell(0, 0), 0);
    EXPECT_EQ(CellText(f, 0, 0), "after");
}

// Every way of leaving an open text editor: only Escape throws the typing
// away; focus moving anywhere else stores it, as Enter does.
TEST(GridEditors, LeavingTheEditorStoresUnlessEscaped) {
    struct Case {
        const char* name;
        void (*leave)(const GridFixture& f, HWND editor, HWND other);
        const char* stored;
    } cases[] = {
        {"Enter", [](const GridFixture&, HWND editor, HWND) { Key(editor, VK_RETURN); }, "typed"},
        {"Escape", [](const GridFixture&, HWND editor, HWND) { Key(editor, VK_ESCAPE); }, "old"},
        {"focus to the rows", [](const GridFixture& f, HWND, HWND) { SetFocus(f.rows); }, "typed"},
        {"focus to another window", [](const GridFixture&, HWND, HWND other) { SetFocus(other); },
         "typed"},
        {"click on another cell",
         [](const GridFixture& f, HWND, HWND) {
             SetFocus(f.rows);
             Click(f, f.CellCentre(0, 1));
         },
         "typed"},
    };
    for (const Case& c : cases) {
        GridFixture f(0);
        f.AddColumn(GCT_TEXT, 100);
        f.AddRow({P("old")});
        f.AddRow({P("below")});
        HWND other = CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE, 700, 0, 60, 20,
                                     nullptr, nullptr, nullptr, nullptr);
        f.Send(GRM_ACTIVATECELL, 0, 0);
        HWND editor = g_log.lastEditor;
        ASSERT_NE(editor, nullptr) << c.name;
        SetFocus(editor);
        SetWindowTextA(editor, "typed");
        c.leave(f, editor, other);
        f.Pump();
        EXPECT_FALSE(IsWindowVisible(editor)) << c.name;
        EXPECT_EQ(CellText(f, 0, 0), c.stored) << c.name;
        EXPECT_EQ(CellText(f, 0, 1), "below") << c.name;
        DestroyWindow(other);
    }
}

TEST(GridEditors, NumberEditorTakesDigitsAndMinusOnly) {
    GridFixture f(0);
    f.AddColumn(GCT_NUMBER, 100);
    f.AddRow({5});
    f.Send(GRM_ACTIVATECELL, 0, 0);
    HWND editor = g_log.lastEditor;
    ASSERT_NE(editor, nullptr);
    SetWindowTextA(editor, "");
    for (char ch : std::string("-4a2."))
        SendMessageA(editor, WM_CHAR, ch, 0);
    char shown[32];
    GetWindowTextA(editor, shown, sizeof shown);
    EXPECT_STREQ(shown, "-42");
    Key(editor, VK_RETURN);
    int32_t v = 0;
    f.Send(GRM_GETCELLDATA, GridCell(0, 0), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, -42);
}

// An open editor keeps its cell when other rows are inserted or deleted.
TEST(GridEditors, EditLandsInItsOwnRowWhenRowsShift) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM row;
        const char* rowsAfter;
    } cases[] = {
        {"insert above", GRM_INSERTROW, 0, "new r0 r1 edited r3"},
        {"delete above", GRM_DELETEROW, 0, "r1 edited r3"},
        {"delete below", GRM_DELETEROW, 3, "r0 r1 edited"},
    };
    for (const Case& c : cases) {
        GridFixture f(0);
        f.AddColumn(GCT_TEXT, 100);
        for (const char* text : {"r0", "r1", "r2", "r3"})
            f.AddRow({P(text)});
        f.Send(GRM_ACTIVATECELL, 0, 2);
        ASSERT_NE(g_log.lastEditor, nullptr) << c.name;
        SetWindowTextA(g_log.lastEditor, "edited");
        intptr_t inserted[] = {P("new")};
        f.Send(c.message, c.row,
               c.message == GRM_INSERTROW ? reinterpret_cast<LPARAM>(inserted) : 0);
        f.Send(GRM_ENDEDIT, 0, 0); // commits whatever is still open
        std::string rows;
        for (int r = 0; r < f.Send(GRM_GETROWCOUNT); ++r)
            rows += (r ? " " : "") + CellText(f, 0, r);
        EXPECT_EQ(rows, c.rowsAfter) << c.name;
    }
}

TEST(GridEditors, ButtonTextNotifiesAndStoresParentsText) {
    GridFixture f(0);
    f.AddColumn(GCT_BUTTONTEXT, 120);
    f.AddRow({P("path")});
    g_log.notes.clear();
    f.Send(GRM_ACTIVATECELL, 0, 0);
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 0, 0}, {GRN_AFTERSELCHANGE, 0, 0}, {GRN_BEFOREEDIT, 0, 0},
                 {GRN_BUTTONCLICK, 0, 0}, {GRN_BEFOREUPDATE, 0, 0}, {GRN_AFTERUPDATE, 0, 0});
    g_log.veto = {GRN_BUTTONCLICK};
    f.Send(GRM_ACTIVATECELL, 0, 0);
    EXPECT_EQ(g_log.notes.back().code, static_cast<UINT>(GRN_BUTTONCLICK));
}

TEST(GridHeader, ClickNotifiesAndEdgeDragResizes) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 80, "A");
    f.AddColumn(GCT_TEXT, 80, "B");
    ASSERT_NE(f.header, nullptr);
    g_log.notes.clear();
    SendMessageA(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 8));
    GRIDCOLUMN d;
    f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(d.flags & GCF_PRESSED, GCF_PRESSED);
    SendMessageA(f.header, WM_LBUTTONUP, 0, MAKELPARAM(120, 8));
    EXPECT_NOTES({GRN_HEADERCLICK, 1, -1});
    f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(d.flags & GCF_PRESSED, 0u);

    SendMessageA(f.header, WM_MOUSEMOVE, 0, MAKELPARAM(81, 8));
    HWND divider = FindWindowExA(f.grid, nullptr, "Static", nullptr);
    if (divider == f.header) divider = FindWindowExA(f.grid, divider, "Static", nullptr);
    SendMessageA(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(81, 8));
    EXPECT_TRUE(IsWindowVisible(divider));
    SendMessageA(f.header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-20, 8));
    RECT r;
    GetWindowRect(divider, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(f.grid, &p);
    EXPECT_EQ(p.x, -1); // never left of the column's left edge (0), 2 pixels wide
    SendMessageA(f.header, WM_LBUTTONUP, 0, MAKELPARAM(110, 8));
    EXPECT_FALSE(IsWindowVisible(divider));
    EXPECT_EQ(f.Send(GRM_GETCOLUMNWIDTH, 0), 110);
    f.Send(GRM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(d.left, 110);
    EXPECT_NOTES();
}

TEST(GridHeader, InertHeaderNeitherResizesNorNotifies) {
    GridFixture f(0x20);
    f.AddColumn(GCT_TEXT, 80, "A");
    f.AddColumn(GCT_TEXT, 80, "B");
    g_log.notes.clear();
    SendMessageA(f.header, WM_MOUSEMOVE, 0, MAKELPARAM(81, 8));
    SendMessageA(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(81, 8));
    SendMessageA(f.header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 8));
    SendMessageA(f.header, WM_LBUTTONUP, 0, MAKELPARAM(120, 8));
    SendMessageA(f.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 8));
    SendMessageA(f.header, WM_LBUTTONUP, 0, MAKELPARAM(40, 8));
    EXPECT_EQ(f.Send(GRM_GETCOLUMNWIDTH, 0), 80);
    EXPECT_NOTES();
    EXPECT_EQ(GetCapture(), nullptr);
}

// Pixels of a painted row read back from the window: grid lines in the line
// colour, text in the text colour, the image of an image cell.
TEST(GridPaint, CellPixels) {
    GridFixture f(GRS_NOSELCOLOR | GRS_NOFOCUSRECT | GRS_HLINES | GRS_VLINES);
    HIMAGELIST images = SolidImages({RGB(0, 200, 0)});
    f.Send(GRM_SETBACKCOLOR, RGB(255, 255, 255));
    f.Send(GRM_SETLINECOLOR, RGB(255, 0, 0));
    f.Send(GRM_SETTEXTCOLOR, RGB(0, 0, 255));
    f.Send(GRM_SETROWHEIGHT, 0, 20);
    f.AddColumn(GCT_TEXT, 80);
    f.AddColumn(GCT_IMAGE, 50, "", 0, reinterpret_cast<uintptr_t>(images));
    f.AddColumn(GCT_TEXT, 0); // hidden: paints nothing
    f.AddRow({P("WWWW"), 0, P("hidden")});
    f.AddRow({P(""), 0, P("")});
    UpdateWindow(f.parent);
    RedrawWindow(f.grid, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    f.Pump();

    HDC window = GetDC(f.rows);
    HDC mem = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, 200, 60);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, 200, 60, window, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mem, 79, 10), RGB(255, 0, 0));  // vertical line, column 0
    EXPECT_EQ(GetPixel(mem, 40, 19), RGB(255, 0, 0));  // horizontal line, row 0
    EXPECT_EQ(GetPixel(mem, 129, 30), RGB(255, 0, 0)); // vertical line, column 1, row 1
    EXPECT_EQ(GetPixel(mem, 83, 10), RGB(0, 200, 0));  // the image, left-aligned
    EXPECT_EQ(GetPixel(mem, 98, 3), RGB(0, 200, 0));   // 16 by 16, vertically centred
    EXPECT_EQ(GetPixel(mem, 99, 10), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem, 90, 1), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem, 160, 10), RGB(255, 255, 255)); // right of the last column
    int textPixels = 0, other = 0;
    for (int y = 1; y < 18; ++y)
        for (int x = 1; x < 78; ++x) {
            COLORREF c = GetPixel(mem, x, y);
            if (c == RGB(0, 0, 255))
                ++textPixels;
            else if (c != RGB(255, 255, 255))
                ++other;
        }
    EXPECT_GT(textPixels, 20);
    EXPECT_EQ(other, 0); // no anti-aliasing on this font: only text and background
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(f.rows, window);
    ImageList_Destroy(images);
}

// Images on the plain, highlighted and coloured rows, centred and clipped by
// a narrow right-aligned cell, come out exactly as ImageList_Draw draws them.
TEST(GridPaint, ImagesAsImageListDrawsThemOnEveryBackground) {
    GridFixture f(GRS_NOFOCUSRECT);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    HDC window = GetDC(f.rows);
    HDC mem = CreateCompatibleDC(window);
    HBITMAP strip = CreateCompatibleBitmap(window, 48, 16);
    HGDIOBJ old = SelectObject(mem, strip);
    RECT all = {0, 0, 48, 16};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(GRAY_BRUSH));
    for (int i = 0; i < 3; ++i)
        Ellipse(mem, 16 * i + i, 1 + i, 16 * i + 15, 15);
    SelectObject(mem, oldBrush);
    SelectObject(mem, old);
    ImageList_AddMasked(images, strip, RGB(255, 255, 255)); // white is transparent
    DeleteObject(strip);

    const COLORREF back = RGB(250, 250, 210), text = RGB(0, 0, 128), row3 = RGB(200, 220, 255);
    f.Send(GRM_SETBACKCOLOR, back);
    f.Send(GRM_SETTEXTCOLOR, text);
    f.AddColumn(GCT_TEXT, 40);
    AddGridColumn(f.grid, GCT_IMAGE, 50, "", GCA_CENTER, 0, nullptr,
                  reinterpret_cast<uintptr_t>(images));
    AddGridColumn(f.grid, GCT_IMAGE, 10, "", GCA_RIGHT, 0, nullptr,
                  reinterpret_cast<uintptr_t>(images));
    struct Row {
        int image;
        COLORREF fill, text;
    } rows[] = {
        {0, back, text},
        {1, GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)}, // current row
        {2, row3, text},
        {7, back, text}, // no such image: the cell stays plain
    };
    for (const Row& r : rows)
        f.AddRow({P("x"), r.image, r.image});
    COLORREF colours[2] = {row3, static_cast<COLORREF>(-1)};
    f.Send(GRM_SETROWCOLORS, 2, reinterpret_cast<LPARAM>(colours));
    f.Send(GRM_SETCURRENTCELL, 0, 1);
    RedrawWindow(f.grid, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    f.Pump();

    HBITMAP shot = CreateCompatibleBitmap(window, 100, 18);
    HDC expected = CreateCompatibleDC(window);
    HBITMAP drawn = CreateCompatibleBitmap(window, 100, 18);
    HGDIOBJ oldShot = SelectObject(mem, shot);
    HGDIOBJ oldDrawn = SelectObject(expected, drawn);
    for (int i = 0; i < 4; ++i) {
        BitBlt(mem, 0, 0, 100, 18, window, 0, 18 * i, SRCCOPY);
        RECT cells = {40, 0, 100, 18};
        HBRUSH fill = CreateSolidBrush(rows[i].fill);
        FillRect(expected, &cells, fill);
        DeleteObject(fill);
        SetTextColor(expected, rows[i].text);
        ImageList_Draw(images, rows[i].image, expected, 40 + (50 - 16) / 2, 1, ILD_TRANSPARENT);
        int saved = SaveDC(expected);
        IntersectClipRect(expected, 90, 0, 100, 18);
        ImageList_Draw(images, rows[i].image, expected, 100 - 3 - 16, 1, ILD_TRANSPARENT);
        RestoreDC(expected, saved);
        int differ = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 40; x < 100; ++x)
                differ += GetPixel(mem, x, y) != GetPixel(expected, x, y);
        EXPECT_EQ(differ, 0) << "row " << i;
    }
    SelectObject(mem, oldShot);
    SelectObject(expected, oldDrawn);
    DeleteObject(shot);
    DeleteObject(drawn);
    DeleteDC(expected);
    DeleteDC(mem);
    ReleaseDC(f.rows, window);
    ImageList_Destroy(images);
}

TEST(GridInput, DragMovesTheCurrentCellAndCheckBoxTogglesOnSecondClick) {
    GridFixture f(0);
    f.AddColumn(GCT_TEXT, 60);
    f.AddColumn(GCT_CHECK, 40);
    for (int i = 0; i < 4; ++i)
        f.AddRow({P("r"), 0});
    POINT a = f.CellCentre(0, 0), b = f.CellCentre(1, 2);
    SendMessageA(f.rows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
    SendMessageA(f.rows, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.x, b.y));
    EXPECT_EQ(f.Send(GRM_GETCURRENTCELL), static_cast<LRESULT>(GridCell(1, 2)));
    SendMessageA(f.rows, WM_LBUTTONUP, 0, MAKELPARAM(b.x, b.y));
    EXPECT_EQ(GetCapture(), nullptr);
    int32_t v = 0;
    f.Send(GRM_GETCELLDATA, GridCell(1, 2), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 0); // dragging onto a check box only selects it
    Click(f, b);
    f.Send(GRM_GETCELLDATA, GridCell(1, 2), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 1);
    POINT c = f.CellCentre(1, 3);
    Click(f, c); // first click on another check box selects it
    f.Send(GRM_GETCELLDATA, GridCell(1, 3), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 0);
}

TEST(GridInput, ButtonPartOfTheCurrentCellNotifies) {
    GridFixture f(0);
    f.AddColumn(GCT_BUTTONTEXT, 120);
    f.AddRow({P("one")});
    f.AddRow({P("two")});
    RECT r;
    f.Send(GRM_GETCELLRECT, GridCell(0, 1), reinterpret_cast<LPARAM>(&r));
    POINT button = {r.right - 5, (r.top + r.bottom) / 2};
    g_log.notes.clear();
    Click(f, button); // not current yet: selects only
    EXPECT_NOTES({GRN_BEFORESELCHANGE, 0, 1}, {GRN_AFTERSELCHANGE, 0, 1});
    Click(f, button);
    ASSERT_FALSE(g_log.notes.empty());
    EXPECT_EQ(NotesText(g_log.notes).find("(2 c0 r1)") != std::string::npos, true)
        << NotesText(g_log.notes);
}

TEST(GridEditors, ChoiceListCommitsTheItemValueAndDatePickerSteps) {
    GridFixture f(0);
    f.AddColumn(GCT_CHOICE, 100);
    f.AddColumn(GCT_DATE, 100);
    EXPECT_EQ(f.Send(GRM_ADDCHOICE, 0, P("Zulu")), 0);
    EXPECT_EQ(f.Send(GRM_ADDCHOICE, 0, P("Alpha")), 1);
    EXPECT_EQ(f.Send(GRM_ADDCHOICE, 0, P("Mike")), 2);
    EXPECT_EQ(f.Send(GRM_ADDCHOICE, 1, P("x")), -1);
    const int32_t day = GridDateToDay(2024, 2, 28);
    f.AddRow({0, day});
    EXPECT_EQ(CellText(f, 0, 0), "Zulu");
    f.Send(GRM_ACTIVATECELL, 0, 0);
    HWND list = g_log.lastEditor;
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsWindowVisible(list));
    // The list shows the choices sorted; its selection is the cell's choice.
    char text[32];
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Alpha");
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    SendMessageA(list, LB_SETCURSEL, 1, 0); // "Mike"
    Key(list, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(CellText(f, 0, 0), "Zulu");
    f.Send(GRM_ACTIVATECELL, 0, 0);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    Key(list, VK_RETURN);
    EXPECT_EQ(CellText(f, 0, 0), "Mike");
    int32_t v = -1;
    f.Send(GRM_GETCELLDATA, GridCell(0, 0), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, 2);

    f.Send(GRM_ACTIVATECELL, 1, 0);
    HWND picker = g_log.lastEditor;
    ASSERT_NE(picker, nullptr);
    SendMessageA(picker, WM_CHAR, '+', 0);
    SendMessageA(picker, WM_CHAR, '+', 0);
    SendMessageA(picker, WM_CHAR, '-', 0);
    Key(picker, VK_RETURN);
    f.Send(GRM_GETCELLDATA, GridCell(1, 0), reinterpret_cast<LPARAM>(&v));
    EXPECT_EQ(v, day + 1); // 29 February 2024
}
