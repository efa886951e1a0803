// A simulated five-relay board: the record every process sees in shared
// memory. What the board does with reports is the shared board firmware;
// this record adds the device around it (identity, strings, plugged, held).
#pragma once

#include "vboard/board_firmware.h"

#include <cstddef>
#include <cstdint>

constexpr int kSimMaxBoards = 256;
constexpr int kSimReportLog = kBoardLogSize;
constexpr int kSimReportSize = kBoardReportSize;
constexpr int kSimStringChars = 64;

struct SimBoard : BoardFirmware {
    uint32_t in_use; // the slot holds a device
    uint16_t vendor_id;
    uint16_t product_id;
    uint16_t version_number;
    uint16_t product[kSimStringChars]; // UTF-16, zero-terminated
    uint16_t manufacturer[kSimStringChars];
    uint8_t plugged;          // visible to the HID enumeration
    uint8_t held;             // held open by "another program": opens fail
    uint32_t owner_pid;       // process that has the device open, 0 = closed
    uint32_t heartbeat_ticks; // advanced by the panel to blink the heartbeat LED
    // When each command of the command log arrived (performance counter in
    // microseconds, the same clock in every process), for timing measurements.
    int64_t command_times_us[kSimReportLog];
};

// Fills a slot with a board in its power-on state: all relays at NC.
void SimFirmwareInit(SimBoard* board, uint16_t vendor_id, uint16_t product_id, const char* product,
                     const char* manufacturer, uint16_t version_number, const char* firmware);
// Copies an 8-bit text into a UTF-16 field (each byte one code unit).
void SimWidenText(const char* text, uint16_t* out, int capacity);

inline const uint8_t* SimLastReport(const SimBoard* board) {
    return BoardLastReport(board);
}
inline int SimCommandsSince(const SimBoard* board, uint32_t since, uint8_t* out, int capacity) {
    return BoardCommandsSince(board, since, out, capacity);
}
