// The control channel between the virtual board's driver and the programs
// that control it (vboard.exe, the board panel, tests): values in the
// device's hardware key ("Device Parameters" under the device's key in
// HKLM\SYSTEM\CurrentControlSet\Enum). Freestanding, like the driver.
//
// Written by the control side before the device starts, read once at start:
//   VendorId, ProductId, VersionNumber (REG_DWORD), ProductString,
//   ManufacturerString (REG_SZ).
// Written by the control side, read by the driver whenever it takes up its
// settings (at start, and after each string request of the control side):
//   Control (REG_BINARY, VBoardControl).
// Written by the driver after it took up its settings, and after reports
// when the board changed (at most every 250 ms, driver/state_pacing.h):
//   State (REG_BINARY, VBoardState).
#pragma once

#include "vboard/board_firmware.h"

#include <stdint.h>

constexpr uint32_t kVBoardFormat = 1; // first field of both records

// The board's fault modes and firmware text, and one-off requests (switch
// relays, set the LED mask, power on afresh) carried out once per serial.
struct VBoardControl {
    uint32_t format;
    uint32_t serial; // changed by the control side with every new Control
    uint8_t ready;
    uint8_t silent;
    uint8_t refuses_writes;
    uint8_t short_answers;
    uint32_t answer_delay_ms;
    char firmware[4];
    uint8_t power_on;         // request: back to the power-on state first
    uint8_t set_relays_mask;  // request: bit n-1 switches relay n ...
    uint8_t set_relays_to_no; // ... to NO when its bit is set here, else to NC
    uint8_t set_led_mask;     // request: 1 sets the LED mask to led_mask
    uint8_t led_mask;
    uint8_t reserved[3];
};

struct VBoardState {
    uint32_t format;
    uint32_t applied_serial; // the serial of the last Control taken up
    uint32_t publications;   // counts every State written
    uint32_t reserved;
    BoardFirmware firmware; // relays, LED mask, fault modes, the reports received
};

// Value names in the device's hardware key.
#define VBOARD_VALUE_VENDOR_ID L"VendorId"
#define VBOARD_VALUE_PRODUCT_ID L"ProductId"
#define VBOARD_VALUE_VERSION L"VersionNumber"
#define VBOARD_VALUE_PRODUCT L"ProductString"
#define VBOARD_VALUE_MANUFACTURER L"ManufacturerString"
#define VBOARD_VALUE_CONTROL L"Control"
#define VBOARD_VALUE_STATE L"State"

// The hardware id the INF matches, and the strings of a board added with
// none of its own.
#define VBOARD_HARDWARE_ID L"root\\pellam_vboard"
#define VBOARD_DEFAULT_PRODUCT L"SWITCHDECK 5s"
#define VBOARD_DEFAULT_MANUFACTURER L"Qvoxline Circuits"
constexpr int kVBoardStringChars = 64; // product and manufacturer, terminator included
