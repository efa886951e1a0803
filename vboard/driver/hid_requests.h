// The HID requests of the virtual board: descriptors, attributes and
// strings, output reports into the board's firmware, and reads that wait
// for its status answer. Callable at up to DISPATCH_LEVEL.
#pragma once

#include "vboard/driver/virtual_board.h"

// Handles one IRP_MJ_INTERNAL_DEVICE_CONTROL request from the HID class.
NTSTATUS HandleHidRequest(VirtualBoard* board, IRP* irp);
