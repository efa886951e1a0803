// Shows three grids holding every cell type, for looking at and for the
// screenshot in docs/. Usage: grid_demo.exe [milliseconds before it closes]
#include "grid/grid_messages.h"
#include "grid/grid_model.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Three 16x16 images (a disc, a square, a triangle) on a white mask colour.
HIMAGELIST MakeImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 48, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HBRUSH red = CreateSolidBrush(RGB(220, 40, 40));
    HBRUSH green = CreateSolidBrush(RGB(30, 160, 60));
    HBRUSH blue = CreateSolidBrush(RGB(40, 80, 220));
    HGDIOBJ oldBrush = SelectObject(dc, red);
    Ellipse(dc, 1, 1, 15, 15);
    SelectObject(dc, green);
    Rectangle(dc, 18, 2, 30, 14);
    SelectObject(dc, blue);
    POINT tri[3] = {{40, 1}, {46, 14}, {34, 14}};
    Polygon(dc, tri, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, RGB(255, 255, 255));
    DeleteObject(red);
    DeleteObject(green);
    DeleteObject(blue);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

void Fill(HWND grid, HIMAGELIST imageList) {
    const uintptr_t images = reinterpret_cast<uintptr_t>(imageList);
    AddGridColumn(grid, GCT_TEXT, 90, "Text", GCA_LEFT);
    AddGridColumn(grid, GCT_NUMBER, 75, "Number", GCA_RIGHT, 0, "#,###,###");
    AddGridColumn(grid, GCT_CHECK, 45, "Check", GCA_CENTER);
    AddGridColumn(grid, GCT_CHOICE, 95, "Choice", GCA_LEFT, 0, nullptr, images);
    AddGridColumn(grid, GCT_HOTKEY, 105, "Hot key", GCA_LEFT);
    AddGridColumn(grid, GCT_BUTTONTEXT, 85, "Button", GCA_LEFT);
    AddGridColumn(grid, GCT_IMAGE, 45, "Image", GCA_CENTER, 0, nullptr, images);
    AddGridColumn(grid, GCT_DATE, 80, "Date", GCA_LEFT);
    AddGridColumn(grid, GCT_TIME, 70, "Time", GCA_LEFT);
    AddGridColumn(grid, GCT_DATA, 60, "Data", GCA_CENTER, 5);
    AddGridColumn(grid, GCT_EDITBUTTONTEXT, 85, "Edit+button", GCA_LEFT);
    for (const char* choice : {"Disc", "Square", "Triangle"})
        SendMessageA(grid, GRM_ADDCHOICE, 3, reinterpret_cast<LPARAM>(choice));
    const char* names[] = {"Relay 1", "Pump", "Heater", "Valve"};
    const char* files[] = {"boot.cfg", "", "run.txt", "log.txt"};
    char ids[4][8] = {"17", "204", "3091", "12345"};
    for (int i = 0; i < 4; ++i) {
        intptr_t row[11] = {
            reinterpret_cast<intptr_t>(names[i]),
            i == 1 ? -42 : 1234567 * (i + 1),
            i % 2,
            i % 3,
            (i == 0   ? 0x0346
             : i == 1 ? 0x0171
             : i == 2 ? 0x0441
                      : 0x007B), // Ctrl+Shift+F, ...
            reinterpret_cast<intptr_t>(files[i]),
            i % 3,
            GridDateToDay(2026, 12, 7 + i),
            8 * 3600 + i * 3725,
            reinterpret_cast<intptr_t>(ids[i]),
            reinterpret_cast<intptr_t>(names[3 - i]),
        };
        SendMessageA(grid, GRM_ADDROW, 0, reinterpret_cast<LPARAM>(row));
    }
}

LRESULT CALLBACK DemoProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_TIMER) DestroyWindow(window);
    return DefWindowProcA(window, message, w, l);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command, int) {
    RegisterGridClasses(instance);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DemoProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "GridDemo";
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, "GridDemo", "CellGrid", WS_POPUP | WS_VISIBLE, 0, 0, 900, 450,
                                nullptr, nullptr, instance, nullptr);
    HIMAGELIST images = MakeImages();
    // Three looks: highlighted current row with all lines; the Relay Scripts
    // look (no highlight, white, blue text); frame lines only.
    const DWORD styles[3] = {GRS_HLINES | GRS_VLINES, GRS_NOSELCOLOR | GRS_HLINES | GRS_VLINES,
                             GRS_FRAME};
    const int current[3] = {5, 3, 10}; // the three button faces
    for (int i = 0; i < 3; ++i) {
        HWND grid = CreateWindowExA(WS_EX_CLIENTEDGE, "CellGrid", "",
                                    WS_CHILD | WS_VISIBLE | styles[i], 10, 10 + i * 145, 880, 135,
                                    main, reinterpret_cast<HMENU>(static_cast<intptr_t>(140 + i)),
                                    instance, nullptr);
        if (i == 1) {
            SendMessageA(grid, GRM_SETBACKCOLOR, RGB(255, 255, 255), 0);
            SendMessageA(grid, GRM_SETLINECOLOR, RGB(128, 128, 128), 0);
            SendMessageA(grid, GRM_SETTEXTCOLOR, RGB(0, 0, 128), 0);
            SendMessageA(grid, GRM_SETROWHEIGHT, 0, 20);
        }
        Fill(grid, images);
        COLORREF colours[2] = {RGB(255, 250, 205), static_cast<COLORREF>(-1)};
        SendMessageA(grid, GRM_SETROWCOLORS, 3, reinterpret_cast<LPARAM>(colours));
        SendMessageA(grid, GRM_SETCURRENTCELL, current[i], 1);
        if (i == 0) SetFocus(grid);
    }
    int ms = std::atoi(command);
    if (ms > 0) SetTimer(main, 1, static_cast<UINT>(ms), nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ImageList_Destroy(images);
    return 0;
}
