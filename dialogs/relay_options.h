// The Relay Board Options dialog: the board's relay and heartbeat LEDs.
#pragma once

#include <windows.h>

#include <cstdint>

struct RelayOptionsRequest {
    bool connected; // without a connection only the refusal is shown
    uint32_t board_id;
    uint8_t led_mask; // as the last ready poll reported it
    HICON icon;       // the program's main icon
};

// Modal over `owner`; "OK" sends the checked LEDs as the board's new mask.
void OpenRelayOptionsDialog(HINSTANCE instance, HWND owner, const RelayOptionsRequest& request);
