// The virtual board's values in its device's hardware key
// (vboard/control_format.h): the identity read when the device starts, the
// Control the control side writes, the State the driver writes. Registry
// access needs PASSIVE_LEVEL: these run in the start request and in the
// service work item only, never in a HID request.
#pragma once

#include "vboard/driver/virtual_board.h"

// The identity of a board whose key has none: product id 0x8001, version
// 0x0100, "SWITCHDECK 5s" by "Qvoxline Circuits".
void SetDefaultIdentity(VirtualBoard* board);
// Opens the device's hardware key (a board without one keeps its defaults
// and publishes nothing) and reads the identity from it.
void OpenControlChannel(VirtualBoard* board);
void CloseControlChannel(VirtualBoard* board);
// Reads Control and applies it to the board when it is new or changed.
void TakeUpControl(VirtualBoard* board);
// Writes `state` as the board's State value.
void WriteState(VirtualBoard* board, const VBoardState& state);
