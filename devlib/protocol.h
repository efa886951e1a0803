// The relay board's report protocol as numbers: where things stand in an
// output report and in the input report of a status request, the command
// bytes, and the `type` values of WritePellam.
#pragma once

#include <stdint.h> // the virtual board's driver, with no C++ library, uses these too

// Output report (33 bytes): report id 0, the tag "Qvox", the command byte,
// its parameter (the LED mask of the set-LED command), zeros.
constexpr uint32_t kOutputReportSize = 33;
constexpr uint32_t kReportTagOffset = 1;
constexpr uint32_t kReportTagSize = 4;
constexpr uint32_t kReportCommandOffset = 5;
constexpr uint32_t kReportParameterOffset = 6;

// Command bytes: 0..9 switch the relays, then these.
constexpr uint8_t kCommandStatusRequest = 0x0A;
constexpr uint8_t kCommandSetLedMask = 0x0B;
constexpr uint32_t kDeviceCommandCount = 13; // 0x00..0x0C, 0x0C never sent

// Input report: the status block is bytes 2..12 (relays 1-5, ready, LED
// mask, four firmware characters); ReadPellams hands it over with a 0 byte
// after it.
constexpr uint32_t kInputReportSize = 128;
constexpr uint32_t kStatusOffset = 2;
constexpr uint32_t kStatusBytes = 11;
constexpr uint32_t kStatusBlockSize = kStatusBytes + 1;
// Within the status block: relays 1-5 in bytes 0-4, then these.
constexpr uint32_t kBlockReady = 5;
constexpr uint32_t kBlockLedMask = 6;
constexpr uint32_t kBlockFirmware = 7;
constexpr uint32_t kFirmwareChars = 4;

// WritePellam types: relay n (1..5) to NC is 2(n-1), to NO 2(n-1)+1 (the
// relay command bytes), and type 11 sets the LED mask.
constexpr uint32_t kWriteRelayTypes = 10; // types 0..9
constexpr uint32_t kWriteLedMask = 11;
constexpr uint32_t RelayToNcType(int relay) {
    return static_cast<uint32_t>(2 * (relay - 1));
}
constexpr uint32_t RelayToNoType(int relay) {
    return RelayToNcType(relay) + 1;
}
