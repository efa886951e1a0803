// A simulated five-relay board: the record every process sees in shared
// memory, and the firmware's reaction to output reports (plain code).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kSimMaxBoards = 256;
constexpr int kSimReportLog = 16;
constexpr int kSimReportSize = 33;
constexpr int kSimStringChars = 64;

struct SimBoard {
    uint32_t in_use; // the slot holds a device
    uint16_t vendor_id;
    uint16_t product_id;
    uint16_t version_number;
    uint16_t product[kSimStringChars]; // UTF-16, zero-terminated
    uint16_t manufacturer[kSimStringChars];
    char firmware[5];
    uint8_t relays[5]; // 0 = COM at NC, 1 = COM at NO
    uint8_t led_mask;
    uint8_t plugged;        // visible to the HID enumeration
    uint8_t ready;          // answers with the ready flag set
    uint8_t silent;         // takes requests but never answers
    uint8_t held;           // held open by "another program": opens fail
    uint8_t refuses_writes; // output reports fail and never arrive
    uint8_t answer_pending;
    uint32_t owner_pid; // process that has the device open, 0 = closed
    uint32_t reports_received;
    uint8_t report_log[kSimReportLog][kSimReportSize]; // ring of the last reports
    // The commands among them (every tagged report but the status request),
    // kept apart so that frequent polling does not push them out of sight.
    uint32_t commands_received;
    uint8_t command_log[kSimReportLog];
    uint32_t heartbeat_ticks; // advanced by the panel to blink the heartbeat LED
};

// Fills a slot with a board in its power-on state: all relays at NC.
void SimFirmwareInit(SimBoard* board, uint16_t vendor_id, uint16_t product_id, const char* product,
                     const char* manufacturer, uint16_t version_number, const char* firmware);
// Copies an 8-bit text into a UTF-16 field (each byte one code unit).
void SimWidenText(const char* text, uint16_t* out, int capacity);
// The board receives one output report: logged, then acted upon when it
// carries the "Qvox" tag (relay commands, LED mask, status request).
void SimFirmwareReceive(SimBoard* board, const uint8_t* report, size_t length);
// The input report answering a pending status request; -1 when none is due
// (no request, or a silent board).
int SimFirmwareAnswer(SimBoard* board, uint8_t* out, size_t capacity);
// The last report received (nullptr before any).
const uint8_t* SimLastReport(const SimBoard* board);
// The command bytes received since `commands_received` was `since`, oldest
// first (the last kSimReportLog at most).
int SimCommandsSince(const SimBoard* board, uint32_t since, uint8_t* out, int capacity);
