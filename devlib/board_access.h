// Board discovery and the open-exchange-close cycle of the device library.
#pragma once

#include "devlib/hid_seam.h"
#include "devlib/protocol.h"

#include <cstdint>

// How long a status read waits for the board's answer before it fails.
// A silent board then makes the poll fail and disconnect instead of
// freezing the program's user-interface thread.
constexpr uint32_t kStatusReadTimeoutMs = 300;

constexpr uint32_t kDetailBufferSize = 500; // size field + path of 495 chars + NUL
constexpr uint32_t kDetailPathOffset = 4;   // the path follows the 32-bit size field
constexpr uint32_t kBoardListSize = 1024;   // room for 204 entries and the terminator
constexpr uint32_t kBoardListMaxEntries = 204;
constexpr uint32_t kReportCount = kDeviceCommandCount; // one ready-made report per command byte
constexpr uint32_t kRememberedPaths = 8;

// The device path of a board found before. A call opens the board there
// first and checks its ids; only when that fails does it walk the HID
// interfaces (which is what costs: the device set, and an open and an
// attribute request per interface).
struct RememberedPath {
    bool used;
    uint16_t product_id;
    char path[kDetailBufferSize - kDetailPathOffset];
};

// The library's one process-wide state record.
struct LibraryState {
    void* module;             // module handle received at load
    hid::Device board;        // the device open for the current exchange
    uint32_t interface_index; // walk position
    char detail[kDetailBufferSize];
    hid::Attributes attributes; // of the device examined last
    char board_list[kBoardListSize];
    int found;
    uint8_t reports[kReportCount][kOutputReportSize];
    uint8_t input[kInputReportSize];
    RememberedPath paths[kRememberedPaths];
    uint32_t next_path; // the entry a new path replaces when all are used
};

extern LibraryState g_library;

// Opens the board with vendor id 0 and exactly this product id; 1 on success.
int OpenBoard(uint32_t id);
// Closes the board handle (safe when nothing is open).
void CloseBoard();
// Stores the low byte of every UTF-16 code unit, terminator included, never
// writing more than `capacity` bytes.
void NarrowText(const uint16_t* wide, char* out, uint32_t capacity);
