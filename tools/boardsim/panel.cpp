// The board panel: the "hardware" of our demos. Shows every simulated board
// or, with --virtual, every virtual board in Wine's HID stack (product id,
// relays, LEDs with a blinking heartbeat, ready flag, firmware) and lets a
// person plug, unplug, toggle the fault modes, switch relays by hand, and
// add or remove boards.
//   simpanel [--virtual [INF]]
#include "tools/boardsim/panel_boards.h"
#include "tools/boardsim/panel_layout.h"
#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum ControlId {
    kVidEdit = 100,
    kPidEdit,
    kProductEdit,
    kVersionEdit,
    kFirmwareEdit,
    kAddButton,
    kResetButton
};

struct PanelState {
    HWND window = nullptr;
    HFONT font = nullptr;
    HFONT big_font = nullptr;
    HFONT small_font = nullptr;
    int scroll = 0;
    uint32_t seen_changes = 0xFFFFFFFF;
    bool blink_on = false;
    std::vector<PanelBoard> boards;
} g;

const COLORREF kBackground = RGB(236, 239, 244);
const COLORREF kCard = RGB(255, 255, 255);
const COLORREF kInk = RGB(33, 37, 41);
const COLORREF kMuted = RGB(120, 128, 140);
const COLORREF kAccent = RGB(0, 94, 184);
const COLORREF kGreen = RGB(40, 167, 69);
const COLORREF kAmber = RGB(230, 150, 0);
const COLORREF kRed = RGB(205, 50, 50);

void FillRectColor(HDC dc, const PanelRect& r, COLORREF color) {
    RECT rc{r.left, r.top, r.right, r.bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void RoundBox(HDC dc, const PanelRect& r, COLORREF fill, COLORREF edge, int radius) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Text(HDC dc, int x, int y, const char* text, COLORREF color, HFONT font) {
    SelectObject(dc, font);
    SetTextColor(dc, color);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void CenteredText(HDC dc, const PanelRect& r, const char* text, COLORREF color, HFONT font) {
    SelectObject(dc, font);
    SetTextColor(dc, color);
    RECT rc{r.left, r.top, r.right, r.bottom};
    DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Dot(HDC dc, int cx, int cy, int radius, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ ob = SelectObject(dc, brush);
    HGDIOBJ op = SelectObject(dc, pen);
    Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(brush);
    DeleteObject(pen);
}

// A relay as its contacts: COM on the left, a lever to NC (top) or NO (bottom).
void DrawRelay(HDC dc, const PanelRect& r, int index, bool at_no, bool live) {
    RoundBox(dc, r, RGB(248, 249, 251), RGB(210, 214, 220), 8);
    char label[8];
    std::snprintf(label, sizeof label, "R%d", index + 1);
    Text(dc, r.left + 6, r.top + 3, label, kMuted, g.small_font);
    const COLORREF metal = live ? kInk : kMuted;
    const int com_x = r.left + 16, com_y = r.top + 34;
    const int nc_y = r.top + 22, no_y = r.top + 46, tip_x = r.right - 14;
    Dot(dc, com_x, com_y, 3, metal);
    Dot(dc, tip_x, nc_y, 3, at_no ? kMuted : kGreen);
    Dot(dc, tip_x, no_y, 3, at_no ? kAccent : kMuted);
    Line(dc, com_x, com_y, tip_x - 4, at_no ? no_y : nc_y, metal, 3);
    Text(dc, tip_x - 30, nc_y - 9, "NC", at_no ? kMuted : kGreen, g.small_font);
    Text(dc, tip_x - 30, no_y - 4, "NO", at_no ? kAccent : kMuted, g.small_font);
}

void DrawLed(HDC dc, const PanelRect& r, const char* label, bool enabled, bool lit) {
    const COLORREF color =
        !enabled ? RGB(200, 204, 210) : (lit ? RGB(255, 60, 60) : RGB(120, 30, 30));
    Dot(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2, 7, color);
    Text(dc, r.left - 2, r.bottom + 1, label, kMuted, g.small_font);
}

void DrawButton(HDC dc, const PanelRect& r, const char* label, bool active) {
    RoundBox(dc, r, active ? kAccent : RGB(233, 236, 239), active ? kAccent : RGB(200, 204, 210),
             6);
    CenteredText(dc, r, label, active ? RGB(255, 255, 255) : kInk, g.small_font);
}

const char* kActionNames[] = {
    "", "Ready", "Silent", "Held", "Refuses writes", "Short answers", "Slow answers", "Remove"};

void DrawCard(HDC dc, int index, int width) {
    const PanelBoard& b = g.boards[index];
    const PanelRect card = CardRect(index, g.scroll, width);
    RoundBox(dc, card, b.plugged ? kCard : RGB(245, 245, 245), RGB(200, 204, 210), 12);
    char text[160];
    std::snprintf(text, sizeof text, "%04X", b.product_id);
    Text(dc, card.left + 16, card.top + 10, text, b.plugged ? kInk : kMuted, g.big_font);
    Text(dc, card.left + 16, card.top + 48, b.product.c_str(), kInk, g.font);
    std::snprintf(text, sizeof text, "VID %04X  ver %04X  fw %.4s", b.vendor_id, b.version_number,
                  b.firmware);
    Text(dc, card.left + 16, card.top + 68, text, kMuted, g.small_font);
    const bool fault = b.held || b.silent || b.refuses_writes || b.short_answers;
    const char* state = !b.plugged          ? "UNPLUGGED"
                        : b.held            ? "HELD ELSEWHERE"
                        : b.silent          ? "SILENT"
                        : b.refuses_writes  ? "REFUSES WRITES"
                        : b.short_answers   ? "SHORT ANSWERS"
                        : b.answer_delay_ms ? "SLOW ANSWERS"
                        : b.ready           ? "READY"
                                            : "NOT READY";
    const COLORREF state_color = !b.plugged                        ? kMuted
                                 : fault                           ? kRed
                                 : (b.ready && !b.answer_delay_ms) ? kGreen
                                                                   : kAmber;
    Dot(dc, card.left + 21, card.top + 93, 5, state_color);
    Text(dc, card.left + 32, card.top + 86, state, state_color, g.small_font);
    if (b.in_use) Text(dc, card.left + 130, card.top + 86, "in use", kAccent, g.small_font);

    for (int r = 0; r < 5; ++r)
        DrawRelay(dc, RelayRect(card, r), r, b.relays[r] != 0, b.plugged);
    static const char* kLedNames[6] = {"R1", "R2", "R3", "R4", "R5", "HB"};
    for (int l = 0; l < 6; ++l) {
        const bool enabled = b.plugged && (b.led_mask >> l) & 1;
        const bool lit = l < 5 ? b.relays[l] != 0 : g.blink_on;
        DrawLed(dc, LedRect(card, l), kLedNames[l], enabled, lit);
    }
    const bool active[] = {
        false,           b.ready != 0,           b.silent, b.held, b.refuses_writes,
        b.short_answers, b.answer_delay_ms != 0, false};
    for (int i = 0; i < static_cast<int>(BoardAction::Count); ++i) {
        const auto action = static_cast<BoardAction>(i);
        if (!CanAct(action)) continue;
        const char* label =
            action == BoardAction::Plug ? (b.plugged ? "Unplug" : "Plug in") : kActionNames[i];
        DrawButton(dc, ButtonRect(card, action), label, active[i]);
    }
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    // Off-screen composition: the panel repaints ten times a second.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    SetBkMode(dc, TRANSPARENT);
    FillRectColor(dc, {0, 0, client.right, client.bottom}, kBackground);
    for (int i = 0; i < static_cast<int>(g.boards.size()); ++i)
        DrawCard(dc, i, client.right);
    if (g.boards.empty())
        Text(dc, kCardMargin + 8, kToolbarHeight + 24,
             ShowsVirtualBoards() ? "No virtual board. Add one above."
                                  : "No simulated board. Add one above.",
             kMuted, g.font);
    FillRectColor(dc, {0, 0, client.right, kToolbarHeight}, RGB(255, 255, 255));
    Line(dc, 0, kToolbarHeight - 1, client.right, kToolbarHeight - 1, RGB(210, 214, 220), 1);
    static const char* kLabels[5] = {"Vendor id", "Product id", "Product string", "Version",
                                     "Firmware"};
    static const int kLabelX[5] = {12, 92, 172, 352, 432};
    for (int i = 0; i < 5; ++i)
        Text(dc, kLabelX[i], 6, kLabels[i], kMuted, g.small_font);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(window, &ps);
}

void UpdateScrollRange(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const int content = kCardMargin + static_cast<int>(g.boards.size()) * (kCardHeight + kCardGap);
    const int view = client.bottom - kToolbarHeight;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS,         0,
                  content,   static_cast<UINT>(view > 0 ? view : 0), 0,
                  0};
    const int max_scroll = content > view ? content - view : 0;
    if (g.scroll > max_scroll) g.scroll = max_scroll;
    si.nPos = g.scroll;
    SetScrollInfo(window, SB_VERT, &si, TRUE);
}

// Simulated boards say when they changed; virtual boards are compared.
void Refresh(HWND window, bool force) {
    if (!ShowsVirtualBoards()) {
        const SimTable* table = SimTableView();
        if (!force && table->changes == g.seen_changes) return;
        g.seen_changes = table->changes;
    }
    std::vector<PanelBoard> boards = SnapshotBoards();
    if (!force && boards == g.boards) return;
    g.boards = std::move(boards);
    UpdateScrollRange(window);
    InvalidateRect(window, nullptr, FALSE);
}

void Click(HWND window, int x, int y) {
    RECT client;
    GetClientRect(window, &client);
    for (int i = 0; i < static_cast<int>(g.boards.size()); ++i) {
        const PanelRect card = CardRect(i, g.scroll, client.right);
        if (!card.Contains(x, y) || y < kToolbarHeight) continue;
        const PanelBoard b = g.boards[i];
        for (int r = 0; r < 5; ++r)
            if (RelayRect(card, r).Contains(x, y)) SwitchBoardRelay(b, r);
        for (int a = 0; a < static_cast<int>(BoardAction::Count); ++a)
            if (ButtonRect(card, static_cast<BoardAction>(a)).Contains(x, y))
                ActOnBoard(b, static_cast<BoardAction>(a));
    }
    Refresh(window, true);
}

unsigned FieldNumber(HWND window, int id, unsigned fallback) {
    char text[32];
    GetDlgItemTextA(window, id, text, sizeof text);
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 16);
    return (end == text || v > 0xFFFF) ? fallback : static_cast<unsigned>(v);
}

void AddFromFields(HWND window) {
    char product[kSimStringChars], firmware[8];
    GetDlgItemTextA(window, kProductEdit, product, sizeof product);
    GetDlgItemTextA(window, kFirmwareEdit, firmware, sizeof firmware);
    const unsigned pid = FieldNumber(window, kPidEdit, 0x8002);
    if (!AddPanelBoard(
            static_cast<uint16_t>(FieldNumber(window, kVidEdit, 0)), static_cast<uint16_t>(pid),
            product, static_cast<uint16_t>(FieldNumber(window, kVersionEdit, 0x0100)), firmware)) {
        MessageBoxA(window,
                    ShowsVirtualBoards() ? "The virtual board could not be added."
                                         : "The simulator holds no more boards.",
                    "Board panel", MB_ICONWARNING);
        return;
    }
    char next[8];
    std::snprintf(next, sizeof next, "%04X", (pid + 1) & 0xFFFF);
    SetDlgItemTextA(window, kPidEdit, next);
    Refresh(window, true);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
           int id) {
    HWND child = CreateWindowExA(
        cls[0] == 'E' ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
    return child;
}

void CreateToolbar(HWND window) {
    Child(window, "EDIT", "0000", ES_UPPERCASE | WS_TABSTOP, 12, 24, 72, 24, kVidEdit);
    Child(window, "EDIT", "8002", ES_UPPERCASE | WS_TABSTOP, 92, 24, 72, 24, kPidEdit);
    Child(window, "EDIT", "SWITCHDECK 5s", WS_TABSTOP, 172, 24, 172, 24, kProductEdit);
    Child(window, "EDIT", "0100", ES_UPPERCASE | WS_TABSTOP, 352, 24, 72, 24, kVersionEdit);
    Child(window, "EDIT", "0123", WS_TABSTOP, 432, 24, 72, 24, kFirmwareEdit);
    Child(window, "BUTTON", "Add board", BS_PUSHBUTTON | WS_TABSTOP, 520, 22, 100, 28, kAddButton);
    Child(window, "BUTTON", "Reset to default", BS_PUSHBUTTON | WS_TABSTOP, 630, 22, 130, 28,
          kResetButton);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CREATE:
        g.window = window;
        CreateToolbar(window);
        // Virtual boards are read from the registry: a little less often.
        SetTimer(window, 1, ShowsVirtualBoards() ? 200 : 100, nullptr);
        SetTimer(window, 2, 500, nullptr);
        Refresh(window, true);
        return 0;
    case WM_TIMER:
        if (w == 2) {
            g.blink_on = !g.blink_on;
            InvalidateRect(window, nullptr, FALSE);
        } else {
            Refresh(window, false);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(w) == kAddButton) AddFromFields(window);
        if (LOWORD(w) == kResetButton) {
            ResetPanelBoards();
            Refresh(window, true);
        }
        return 0;
    case WM_LBUTTONDOWN:
        Click(window, static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
        return 0;
    case WM_MOUSEWHEEL:
        g.scroll -= GET_WHEEL_DELTA_WPARAM(w) / 2;
        if (g.scroll < 0) g.scroll = 0;
        UpdateScrollRange(window);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(window, SB_VERT, &si);
        switch (LOWORD(w)) {
        case SB_LINEUP:
            g.scroll -= 30;
            break;
        case SB_LINEDOWN:
            g.scroll += 30;
            break;
        case SB_PAGEUP:
            g.scroll -= static_cast<int>(si.nPage);
            break;
        case SB_PAGEDOWN:
            g.scroll += static_cast<int>(si.nPage);
            break;
        case SB_THUMBTRACK:
            g.scroll = si.nTrackPos;
            break;
        }
        if (g.scroll < 0) g.scroll = 0;
        UpdateScrollRange(window);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_SIZE:
        UpdateScrollRange(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

HFONT MakeFont(int height, int weight) {
    return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Tahoma");
}

// The driver's INF in dist/vboard/, beside this program's dist/sim/.
std::string DefaultInf() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string inf(path, n);
    inf = inf.substr(0, inf.find_last_of('\\'));
    return inf.substr(0, inf.find_last_of('\\') + 1) + "vboard\\pellam_vboard.inf";
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    const std::string args = command_line;
    if (args.compare(0, 9, "--virtual") == 0) {
        const size_t inf = args.find_first_not_of(' ', 9);
        UseVirtualBoards(inf == std::string::npos ? DefaultInf() : args.substr(inf));
    }
    if (!OpenBoards()) return 1;
    g.font = MakeFont(13, FW_NORMAL);
    g.small_font = MakeFont(11, FW_NORMAL);
    g.big_font = MakeFont(28, FW_BOLD);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.lpszClassName = "PellamBoardSimulator";
    RegisterClassA(&wc);
    RECT size{0, 0, kPanelWidth + GetSystemMetrics(SM_CXVSCROLL),
              kToolbarHeight + 3 * (kCardHeight + kCardGap) + kCardMargin};
    AdjustWindowRect(&size, WS_OVERLAPPEDWINDOW | WS_VSCROLL, FALSE);
    HWND window = CreateWindowA(
        wc.lpszClassName, ShowsVirtualBoards() ? "Pellam virtual boards" : "Pellam board simulator",
        WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
        size.right - size.left, size.bottom - size.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(g.font);
    DeleteObject(g.small_font);
    DeleteObject(g.big_font);
    return static_cast<int>(msg.wParam);
}
