// The life of the board record and its service work item. The service
// does at PASSIVE_LEVEL what HID requests may not: it takes up the
// settings the control side wrote, sends a status answer held back for the
// board's answer delay, and writes the board's State when it is due
// (state_pacing.h).
#pragma once

#include "vboard/driver/virtual_board.h"

// Sets up the record when the HID class adds the device (PASSIVE_LEVEL).
NTSTATUS PrepareBoard(VirtualBoard* board, DEVICE_OBJECT* self);
// Reads identity and settings once the device has started (PASSIVE_LEVEL).
void StartBoard(VirtualBoard* board);
// The device is going away: fails queued reads; on removal also waits for
// the service to end and releases the key and the work item (PASSIVE_LEVEL).
void StopBoard(VirtualBoard* board, bool removal);

// Asks for a service pass. Callable at up to DISPATCH_LEVEL.
void RequestService(VirtualBoard* board);
