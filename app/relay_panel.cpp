#include "app/relay_panel.h"

#include "app/app_state.h"
#include "app/session.h"
#include "app/status_bar.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr int kTooltipMaxWidth = 32767; // far beyond the screen: multi-line tips
constexpr int kShownTextSize = 64;

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

// Sets a control's text only when it changed, so ten polls a second cause no
// needless repaints.
void SetTextIfChanged(HWND control, const char* text) {
    char current[kShownTextSize];
    GetWindowTextA(control, current, sizeof current);
    if (std::strcmp(current, text) != 0) SetWindowTextA(control, text);
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
    tool.lpszText = g_session.record.relays[relay].notes;
    return tool;
}

// One balloon tooltip per relay picture, made once and reused by every
// connection; Disconnect only removes the tools.
void AddRelayTooltips() {
    for (int n = 0; n < kRelayCount; ++n) {
        HWND& tip = g_main.tooltips[n];
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
        SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
    }
}

void ShowRelayLabels() {
    for (int n = 0; n < kRelayCount; ++n) {
        const RelaySettings& relay = g_session.record.relays[n];
        SetTextIfChanged(Item(IDC_RELAY1_NAME + n), relay.name);
        const char* label = !g_session.board_ready     ? ""
                            : g_session.relay_at_nc[n] ? relay.nc_label
                                                       : relay.no_label;
        SetTextIfChanged(Item(IDC_RELAY1_LABEL + n), label);
    }
}

} // namespace

bool ReadBoardSelection() {
    char text[kShownTextSize];
    GetWindowTextA(Item(IDC_BOARD_BOX), text, sizeof text);
    if (!SelectBoard(text)) {
        Disconnect();
        return false;
    }
    return true;
}

void Connect() {
    // With nothing in the board box there is no board to talk to: stay
    // disconnected rather than poll a board chosen earlier.
    if (!ReadBoardSelection()) return;
    SetTimer(g_main.window, kPollTimer, kPollPeriodMs, nullptr);
    SetStatusText(1, "Connected");
    SetStatusText(2, " MSG: Data Polling Started");
    EnableWindow(Item(IDC_CONNECT), FALSE);
    EnableWindow(Item(IDC_DISCONNECT), TRUE);
    // The relay settings are this board's before EDIT is enabled, even
    // while the board reports not ready and no poll reloads them.
    BeginSession();
    EnableRelayEditButtons(TRUE);
    g_main.progress = 0;
    SetTimer(g_main.window, kProgressTimer, kProgressPeriodMs, nullptr);
    AddRelayTooltips();
    SetTimer(g_main.window, kTooltipTimer, kTooltipPeriodMs, nullptr);
}

void Disconnect() {
    EndSession();
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
        if (!g_main.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(g_main.tooltips[n], TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void BlankRelayPictures() {
    for (int n = 0; n < kRelayCount; ++n)
        ShowPicture(IDC_RELAY1_PICTURE + n, IDB_RELAY_BLANK);
}

void RefreshRelayLabels() {
    ReloadBoardRecord();
    ShowRelayLabels();
}

void PollBoard() {
    switch (PollSession()) {
    case PollResult::kLost:
        Disconnect();
        return;
    case PollResult::kNotReady:
        ShowPicture(IDC_READY_INDICATOR, IDB_NOT_READY);
        BlankRelayPictures();
        EnableWindow(Item(IDC_RELAY_SCRIPTS), FALSE);
        return;
    case PollResult::kReady:
        ShowPicture(IDC_READY_INDICATOR, IDB_READY);
        EnableWindow(Item(IDC_RELAY_SCRIPTS), TRUE);
        for (int n = 0; n < kRelayCount; ++n)
            ShowPicture(IDC_RELAY1_PICTURE + n,
                        g_session.relay_at_nc[n] ? IDB_RELAY_NC : IDB_RELAY_NO);
        ShowRelayLabels();
        SetTextIfChanged(Item(IDC_FIRMWARE_VERSION), g_session.firmware);
        return;
    }
}

void AdvanceProgressText() {
    char text[kShownTextSize];
    ProgressText(g_main.progress, text, sizeof text);
    SetStatusText(2, text);
    g_main.progress = NextProgress(g_main.progress);
}

void RefreshTooltips() {
    for (int n = 0; n < kRelayCount; ++n) {
        if (!g_main.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(g_main.tooltips[n], TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}
