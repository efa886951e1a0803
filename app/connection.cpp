#include "app/connection.h"

#include "app/app_state.h"
#include "app/status_bar.h"
#include "common/text_helpers.h"
#include "db/board_table.h"
#include "devlib/pellam_dll.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cstring>

ConnectionState g_connection;

namespace {

HWND Item(int id) {
    return GetDlgItem(g_main.window, id);
}

// Shows an image in a picture control; an unchanged image is not set again,
// so the ten polls a second repaint only what changed.
void ShowPicture(int control, int image) {
    HWND picture = Item(control);
    const LPARAM bitmap = reinterpret_cast<LPARAM>(Picture(image));
    if (SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != bitmap)
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, bitmap);
}

void EnableRelayEditButtons(BOOL enable) {
    for (int n = 0; n < kRelayCount; ++n)
        EnableWindow(Item(IDC_RELAY1_EDIT + n), enable);
}

TOOLINFOA ToolFor(int relay) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = g_main.window;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_RELAY1_PICTURE + relay));
    tool.lpszText = g_board_record.relays[relay].notes;
    return tool;
}

// One balloon tooltip per relay picture, made once and reused by every
// connection; Disconnect only removes the tools.
void AddRelayTooltips() {
    for (int n = 0; n < kRelayCount; ++n) {
        HWND& tip = g_connection.tooltips[n];
        if (!tip) {
            tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                  WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, g_main.window,
                                  nullptr, g_main.instance, nullptr);
        }
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        // A width far beyond the screen puts the tip in multi-line mode, so
        // line breaks in the notes are kept.
        SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 32767);
    }
}

} // namespace

bool ReadBoardSelection() {
    char text[64];
    GetWindowTextA(Item(IDC_BOARD_BOX), text, sizeof text);
    if (!ParseBoardSelection(text, g_connection.board_id_text, &g_connection.board_id)) {
        Disconnect();
        return false;
    }
    return true;
}

void Connect() {
    // With nothing in the board box there is no board to talk to: stay
    // disconnected rather than poll a board chosen earlier.
    if (!ReadBoardSelection()) return;
    // The relay settings are this board's before EDIT is enabled, even
    // while the board reports not ready and no poll reloads them.
    g_board_record = BoardRecord{};
    LoadBoardRecord();
    SetTimer(g_main.window, kPollTimer, 100, nullptr);
    SetStatusText(1, "Connected");
    SetStatusText(2, " MSG: Data Polling Started");
    EnableWindow(Item(IDC_CONNECT), FALSE);
    EnableWindow(Item(IDC_DISCONNECT), TRUE);
    EnableRelayEditButtons(TRUE);
    g_connection.progress = 0;
    SetTimer(g_main.window, kProgressTimer, 1000, nullptr);
    AddRelayTooltips();
    SetTimer(g_main.window, kTooltipTimer, 1000, nullptr);
    g_connection.connected = 1;
}

void Disconnect() {
    g_connection.connected = 0;
    KillTimer(g_main.window, kProgressTimer);
    KillTimer(g_main.window, kPollTimer);
    KillTimer(g_main.window, kTooltipTimer);
    SetStatusText(1, "Not Connected");
    SetStatusText(2, "MSG:   Click on connect");
    EnableWindow(Item(IDC_CONNECT), TRUE);
    EnableWindow(Item(IDC_DISCONNECT), FALSE);
    EnableWindow(Item(IDC_RELAY_SCRIPTS), FALSE);
    EnableRelayEditButtons(FALSE);
    BlankRelayPictures();
    ShowPicture(IDC_READY_INDICATOR, IDB_NOT_READY);
    for (int n = 0; n < kRelayCount; ++n) {
        SetWindowTextA(Item(IDC_RELAY1_NAME + n), "");
        SetWindowTextA(Item(IDC_RELAY1_LABEL + n), "");
    }
    SetWindowTextA(Item(IDC_FIRMWARE_VERSION), "");
    for (int n = 0; n < kRelayCount; ++n) {
        if (!g_connection.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(g_connection.tooltips[n], TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void BlankRelayPictures() {
    for (int n = 0; n < kRelayCount; ++n)
        ShowPicture(IDC_RELAY1_PICTURE + n, IDB_RELAY_BLANK);
}

// Sets a control's text only when it changed, so ten polls a second cause no
// needless repaints.
static void SetTextIfChanged(HWND control, const char* text) {
    char current[64];
    GetWindowTextA(control, current, sizeof current);
    if (std::strcmp(current, text) != 0) SetWindowTextA(control, text);
}

void RefreshRelayLabels() {
    LoadBoardRecord();
    for (int n = 0; n < kRelayCount; ++n) {
        const RelaySettings& relay = g_board_record.relays[n];
        SetTextIfChanged(Item(IDC_RELAY1_NAME + n), relay.name);
        const char* label = !g_connection.board_ready     ? ""
                            : g_connection.relay_at_nc[n] ? relay.nc_label
                                                          : relay.no_label;
        SetTextIfChanged(Item(IDC_RELAY1_LABEL + n), label);
    }
}

void PollBoard() {
    std::memset(g_connection.status, 0, sizeof g_connection.status);
    if (!ReadPellams(g_connection.board_id, reinterpret_cast<char*>(g_connection.status))) {
        Disconnect();
        return;
    }
    const StatusView view = ReadStatusBlock(g_connection.status);
    if (!view.ready) {
        ShowPicture(IDC_READY_INDICATOR, IDB_NOT_READY);
        BlankRelayPictures();
        g_connection.board_ready = 0;
        EnableWindow(Item(IDC_RELAY_SCRIPTS), FALSE);
        return;
    }
    ShowPicture(IDC_READY_INDICATOR, IDB_READY);
    g_connection.board_ready = 1;
    EnableWindow(Item(IDC_RELAY_SCRIPTS), TRUE);
    for (int n = 0; n < kRelayCount; ++n) {
        g_connection.relay_at_nc[n] = view.relay_at_nc[n] ? 1 : 0;
        ShowPicture(IDC_RELAY1_PICTURE + n, view.relay_at_nc[n] ? IDB_RELAY_NC : IDB_RELAY_NO);
    }
    RefreshRelayLabels();
    g_connection.led_mask = view.led_mask;
    std::memcpy(g_connection.firmware, view.firmware, sizeof g_connection.firmware);
    SetTextIfChanged(Item(IDC_FIRMWARE_VERSION), g_connection.firmware);
}

void AdvanceProgressText() {
    char text[64];
    ProgressText(g_connection.progress, text, sizeof text);
    SetStatusText(2, text);
    g_connection.progress = NextProgress(g_connection.progress);
}

void RefreshTooltips() {
    for (int n = 0; n < kRelayCount; ++n) {
        if (!g_connection.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(g_connection.tooltips[n], TTM_UPDATETIPTEXTA, 0,
                     reinterpret_cast<LPARAM>(&tool));
    }
}
