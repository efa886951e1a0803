#include "tests/win/grid/grid_fixture.h"

#include <cstring>

ParentLog g_log;

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NOTIFY) {
        GRIDNOTIFY* n = reinterpret_cast<GRIDNOTIFY*>(l);
        g_log.notes.push_back({n->hdr.code, n->column, n->row});
        if (n->hdr.code == GRN_IMAGECLICK) {
            g_log.imageData.push_back(*static_cast<int*>(n->data));
            g_log.imageRowCurrent.push_back(
                static_cast<UINT>(SendMessageA(n->hdr.hwndFrom, GRM_GETCURRENTROW, 0, 0)));
        }
        if (n->hdr.code == GRN_BEFOREEDIT) g_log.lastEditor = n->window;
        if (g_log.veto.count(n->hdr.code)) n->veto = 1;
        return 0;
    }
    if (message == WM_COMPAREITEM) {
        const COMPAREITEMSTRUCT* c = reinterpret_cast<const COMPAREITEMSTRUCT*>(l);
        ++g_log.compareCalls;
        return std::memcmp(reinterpret_cast<const void*>(c->itemData1),
                           reinterpret_cast<const void*>(c->itemData2), g_log.compareSize);
    }
    return DefWindowProcA(window, message, w, l);
}

void RegisterParent() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "GridTestParent";
    RegisterClassA(&wc);
    RegisterGridClasses(GetModuleHandleA(nullptr));
}

} // namespace

std::string NotesText(const std::vector<Note>& notes) {
    std::string s;
    for (const Note& n : notes)
        s += "(" + std::to_string(n.code) + " c" + std::to_string(n.column) + " r" +
             std::to_string(n.row) + ") ";
    return s;
}

GridFixture::GridFixture(DWORD style, int width, int height) {
    RegisterParent();
    g_log = ParentLog();
    parent =
        CreateWindowExA(0, "GridTestParent", "grid test", WS_POPUP | WS_VISIBLE, 0, 0, width + 40,
                        height + 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    grid = CreateWindowExA(0, "CellGrid", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10,
                           width, height, parent, reinterpret_cast<HMENU>(140),
                           GetModuleHandleA(nullptr), nullptr);
    rows = FindWindowExA(grid, nullptr, "CellRows", nullptr);
    header = FindWindowExA(grid, nullptr, "Static", nullptr);
    while (header && !(GetWindowLongA(header, GWL_STYLE) & SS_NOTIFY))
        header = FindWindowExA(grid, header, "Static", nullptr);
    SetForegroundWindow(parent);
    SetFocus(grid);
    Pump();
    g_log.notes.clear();
}

GridFixture::~GridFixture() {
    DestroyWindow(parent);
    Pump();
}

int GridFixture::AddColumn(int type, int width, const char* text, int size, uintptr_t extra) {
    return AddGridColumn(grid, type, width, text, GCA_LEFT, size, nullptr, extra);
}

POINT GridFixture::CellCentre(int column, int row) const {
    RECT r{};
    Send(GRM_GETCELLRECT, GridCell(column, row), reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void GridFixture::Pump() const {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}
