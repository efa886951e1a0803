// The main window's process-wide state: its handles, what it loaded at
// start-up and what its timers advance.
#pragma once

#include "about/credits_animation.h"
#include "app/panel_logic.h"

#include <windows.h>

#include <string>

// Timers of the main window and their periods.
enum MainTimer : UINT_PTR {
    kCreditTimer = 1,   // rotates the credit line, always
    kProgressTimer = 2, // the polling progress text, while connected
    kPollTimer = 3,     // polls the board, while connected
    kTooltipTimer = 4   // refreshes the relay tooltips, while connected
};
constexpr UINT kCreditPeriodMs = 2000;
constexpr UINT kProgressPeriodMs = 1000;
constexpr UINT kPollPeriodMs = 100;
constexpr UINT kTooltipPeriodMs = 1000;

constexpr int kPictureCount = 5; // pictures 100..104
constexpr size_t kBuildTextSize = 32;

// The relay panel's controls, looked up once: under Wine every GetDlgItem
// and every read of a picture's image is a round trip to the window server,
// which ten polls a second would pay again and again. The images shown are
// remembered for the same reason.
struct PanelControls {
    HWND names[kRelayCount];
    HWND labels[kRelayCount];
    HWND pictures[kRelayCount];
    HWND edit_buttons[kRelayCount];
    HWND indicator, firmware, scripts, connect, disconnect, board_box;
    int shown_images[kRelayCount]; // picture id each relay picture shows, 0 before any
    int shown_indicator;
    // The texts the panel set last, compared instead of read back.
    std::string shown_names[kRelayCount], shown_labels[kRelayCount], shown_firmware;
    std::string tooltip_notes[kRelayCount]; // the notes each relay's tooltip shows
};

struct MainWindowState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND status_bar = nullptr;
    HBITMAP images[kPictureCount] = {}; // kept for the life of the process
    HICON icon = nullptr;
    HCURSOR arrow = nullptr;
    HCURSOR hand = nullptr;
    int credit_counter = 0;
    char maker_line[kMakerLineSize] = ""; // the credit line with the current year
    char build_text[kBuildTextSize] = "";
    CreditText about_credit = kCreditText;   // the About box's, with the current year
    AboutAnimation about_animation;          // carries over from one About box to the next
    int progress = 0;                        // polling progress, 0..19
    HWND tooltips[kRelayCount] = {};         // made at the first Connect, kept
    WNDPROC logo_proc = nullptr;             // the logo's procedure before subclassing
    WNDPROC picture_procs[kRelayCount] = {}; // the relay pictures' procedures
    PanelControls panel = {};
};

extern MainWindowState g_main;

// Image handle of picture 100..104.
inline HBITMAP Picture(int id) {
    return g_main.images[id - 100];
}
