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

PanelControls& Panel() {
    return g_main.panel;
}

// Shows an image in a picture control; an unchanged image is not set again,
// so the ten polls a second repaint only what changed.
void ShowPicture(HWND picture, int* shown, int image) {
    if (*shown == image) return;
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Picture(image)));
    *shown = image;
}

void ShowRelayPicture(int relay, int image) {
    ShowPicture(Panel().pictures[relay], &Panel().shown_images[relay], image);
}

void ShowIndicator(int image) {
    ShowPicture(Panel().indicator, &Panel().shown_indicator, image);
}

// Sets a control's text only when it differs from the text set last
// (`shown`), so ten polls a second neither repaint nor read texts back.
void SetTextIfChanged(HWND control, std::string* shown, const char* text) {
    if (*shown == text) return;
    SetWindowTextA(control, text);
    *shown = text;
}

// Enables or disables a control only when its state changes: each change
// of a window's style is a round trip to the window server.
void EnableIfChanged(HWND control, bool enable) {
    if ((IsWindowEnabled(control) != FALSE) != enable) EnableWindow(control, enable);
}

void EnableRelayEditButtons(bool enable) {
    for (HWND button : Panel().edit_buttons)
        EnableIfChanged(button, enable);
}

// EDIT shows the board's stored settings and saves over them: it waits
// until the board's row has been read, so blanks are never offered (and
// saved) as the stored values.
void EnableRelayEditButtonsWhenRowKnown() {
    EnableRelayEditButtons(g_session.connected && g_session.record_loaded);
}

TOOLINFOA ToolFor(int relay) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = g_main.window;
    tool.uId = reinterpret_cast<UINT_PTR>(Panel().pictures[relay]);
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
        Panel().tooltip_notes[n] = tool.lpszText;
        // A width far beyond the screen puts the tip in multi-line mode, so
        // line breaks in the notes are kept.
        SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
    }
}

void ShowRelayLabels() {
    for (int n = 0; n < kRelayCount; ++n) {
        const RelaySettings& relay = g_session.record.relays[n];
        SetTextIfChanged(Panel().names[n], &Panel().shown_names[n], relay.name);
        const char* label = !g_session.board_ready     ? ""
                            : g_session.relay_at_nc[n] ? relay.nc_label
                                                       : relay.no_label;
        SetTextIfChanged(Panel().labels[n], &Panel().shown_labels[n], label);
    }
}

} // namespace

void FindPanelControls() {
    PanelControls& panel = Panel();
    for (int n = 0; n < kRelayCount; ++n) {
        panel.names[n] = GetDlgItem(g_main.window, IDC_RELAY1_NAME + n);
        panel.labels[n] = GetDlgItem(g_main.window, IDC_RELAY1_LABEL + n);
        panel.pictures[n] = GetDlgItem(g_main.window, IDC_RELAY1_PICTURE + n);
        panel.edit_buttons[n] = GetDlgItem(g_main.window, IDC_RELAY1_EDIT + n);
        panel.shown_images[n] = 0;
    }
    panel.indicator = GetDlgItem(g_main.window, IDC_READY_INDICATOR);
    panel.firmware = GetDlgItem(g_main.window, IDC_FIRMWARE_VERSION);
    panel.scripts = GetDlgItem(g_main.window, IDC_RELAY_SCRIPTS);
    panel.connect = GetDlgItem(g_main.window, IDC_CONNECT);
    panel.disconnect = GetDlgItem(g_main.window, IDC_DISCONNECT);
    panel.board_box = GetDlgItem(g_main.window, IDC_BOARD_BOX);
    panel.shown_indicator = 0;
}

bool ReadBoardSelection() {
    char text[kShownTextSize];
    GetWindowTextA(Panel().board_box, text, sizeof text);
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
    SetStatusText(1, "Connected");
    SetStatusText(2, " MSG: Data Polling Started");
    EnableWindow(Panel().connect, FALSE);
    EnableWindow(Panel().disconnect, TRUE);
    // The relay settings are this board's before EDIT is enabled, even
    // while the board reports not ready and no poll reloads them.
    BeginSession();
    EnableRelayEditButtonsWhenRowKnown();
    g_main.progress = 0;
    AddRelayTooltips();
    // Started together, the one-second timers fall due with every tenth
    // poll: the program wakes ten times a second, not twelve.
    SetTimer(g_main.window, kPollTimer, kPollPeriodMs, nullptr);
    SetTimer(g_main.window, kProgressTimer, kProgressPeriodMs, nullptr);
    SetTimer(g_main.window, kTooltipTimer, kTooltipPeriodMs, nullptr);
}

void Disconnect() {
    EndSession();
    KillTimer(g_main.window, kProgressTimer);
    KillTimer(g_main.window, kPollTimer);
    KillTimer(g_main.window, kTooltipTimer);
    SetStatusText(1, "Not Connected");
    SetStatusText(2, "MSG:   Click on connect");
    EnableWindow(Panel().connect, TRUE);
    EnableWindow(Panel().disconnect, FALSE);
    EnableWindow(Panel().scripts, FALSE);
    EnableRelayEditButtons(false);
    BlankRelayPictures();
    ShowIndicator(IDB_NOT_READY);
    for (int n = 0; n < kRelayCount; ++n) {
        SetTextIfChanged(Panel().names[n], &Panel().shown_names[n], "");
        SetTextIfChanged(Panel().labels[n], &Panel().shown_labels[n], "");
    }
    SetTextIfChanged(Panel().firmware, &Panel().shown_firmware, "");
    for (int n = 0; n < kRelayCount; ++n) {
        if (!g_main.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        SendMessageA(g_main.tooltips[n], TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void BlankRelayPictures() {
    for (int n = 0; n < kRelayCount; ++n)
        ShowRelayPicture(n, IDB_RELAY_BLANK);
}

void ShowReadyIndicator(bool ready) {
    ShowIndicator(ready ? IDB_READY : IDB_NOT_READY);
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
        ShowIndicator(IDB_NOT_READY);
        BlankRelayPictures();
        EnableIfChanged(Panel().scripts, false);
        EnableRelayEditButtonsWhenRowKnown();
        return;
    case PollResult::kReady:
        ShowIndicator(IDB_READY);
        EnableIfChanged(Panel().scripts, true);
        EnableRelayEditButtonsWhenRowKnown();
        for (int n = 0; n < kRelayCount; ++n)
            ShowRelayPicture(n, g_session.relay_at_nc[n] ? IDB_RELAY_NC : IDB_RELAY_NO);
        ShowRelayLabels();
        SetTextIfChanged(Panel().firmware, &Panel().shown_firmware, g_session.firmware);
        return;
    }
}

void AdvanceProgressText() {
    char text[kShownTextSize];
    ProgressText(g_main.progress, text, sizeof text);
    SetStatusText(2, text);
    g_main.progress = NextProgress(g_main.progress);
}

// Notes edited since they were set show without reconnecting; unchanged
// notes are not set again.
void RefreshTooltips() {
    for (int n = 0; n < kRelayCount; ++n) {
        if (!g_main.tooltips[n]) continue;
        TOOLINFOA tool = ToolFor(n);
        if (Panel().tooltip_notes[n] == tool.lpszText) continue;
        SendMessageA(g_main.tooltips[n], TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        Panel().tooltip_notes[n] = tool.lpszText;
    }
}
