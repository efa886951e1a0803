// The main window's process-wide state and the connection state it owns.
#pragma once

#include "app/panel_logic.h"

#include <windows.h>

#include <cstdint>

struct MainWindowState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND status_bar = nullptr;
    HBITMAP images[5] = {}; // pictures 100..104, kept for the life of the process
    HICON icon = nullptr;
    HCURSOR arrow = nullptr;
    HCURSOR hand = nullptr;
    int credit_counter = 0;
    char build_text[32] = "";
    WNDPROC logo_proc = nullptr;             // the logo's procedure before subclassing
    WNDPROC picture_procs[kRelayCount] = {}; // the relay pictures' procedures
};

struct ConnectionState {
    int connected = 0;
    int board_ready = 0;
    int relay_at_nc[kRelayCount] = {};
    uint8_t led_mask = 0;
    char firmware[5] = "";
    char board_id_text[5] = "";
    uint32_t board_id = 0;
    int progress = 0;
    uint8_t status[1024] = {};
    HWND tooltips[kRelayCount] = {};
};

extern MainWindowState g_main;
extern ConnectionState g_connection;

// Image handle of picture 100..104.
inline HBITMAP Picture(int id) {
    return g_main.images[id - 100];
}

enum MainTimer : UINT_PTR {
    kCreditTimer = 1,
    kProgressTimer = 2,
    kPollTimer = 3,
    kTooltipTimer = 4
};
