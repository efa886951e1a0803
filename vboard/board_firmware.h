// What a five-relay board does with the reports it receives: one definition
// shared by the simulated boards and the virtual board's HID minidriver.
// Freestanding: no C or C++ library, so the driver can compile it too.
//
// Reports are in their 33-byte wire form, laid out as devlib/protocol.h
// says: the library's side and the board's side read one definition.
#pragma once

#include "devlib/protocol.h"

#include <stddef.h>
#include <stdint.h>

constexpr int kBoardReportSize = kOutputReportSize;
constexpr int kBoardLogSize = 16;
// A short answer stops before the firmware text: too short for a status.
constexpr int kBoardShortAnswerSize = kStatusOffset + kBlockFirmware;

struct BoardFirmware {
    uint8_t relays[5]; // 0 = COM at NC, 1 = COM at NO
    uint8_t led_mask;
    uint8_t ready;          // answers with the ready flag set
    uint8_t silent;         // takes status requests but never answers them
    uint8_t refuses_writes; // takes no output report at all
    uint8_t short_answers;  // answers with kBoardShortAnswerSize bytes only
    uint8_t answer_pending;
    char firmware[5];         // four characters and a terminator
    uint32_t answer_delay_ms; // how long the transport holds each answer back
    uint32_t reports_received;
    uint8_t report_log[kBoardLogSize][kBoardReportSize]; // ring of the last reports
    // The commands among them (every tagged report but the status request),
    // kept apart so that frequent polling does not push them out of sight.
    uint32_t commands_received;
    uint8_t command_log[kBoardLogSize];
};

// The power-on state: all relays at NC, LED mask 0x3F, ready, no fault
// mode, nothing received.
void BoardPowerOn(BoardFirmware* board, const char* firmware);
// Sets the four firmware characters (shorter texts are padded with zeros).
void BoardSetFirmwareText(BoardFirmware* board, const char* text);
// The board receives one output report in wire form. False when it refuses
// writes: the report is then neither logged nor acted upon. A report with
// the "Qvox" tag switches a relay, sets the LED mask or asks for a status
// answer (which a silent board drops).
bool BoardReceive(BoardFirmware* board, const uint8_t* report, size_t length);
// The input report answering a pending status request, in wire form, into
// `out`: its length, or -1 when no answer is due or `out` is too small.
int BoardAnswer(BoardFirmware* board, uint8_t* out, size_t capacity);
// The last report received (nullptr before any).
const uint8_t* BoardLastReport(const BoardFirmware* board);
// The command bytes received since `commands_received` was `since`, oldest
// first (the last kBoardLogSize at most).
int BoardCommandsSince(const BoardFirmware* board, uint32_t since, uint8_t* out, int capacity);
