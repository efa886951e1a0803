// The reads the HID class keeps waiting on the board
// (IOCTL_HID_READ_REPORT): queued under the board's lock, and completed,
// always after the lock is released, with the status answer when the
// firmware owes one, as cancelled, or as failed when the device goes away.
// Callable at up to DISPATCH_LEVEL.
#pragma once

#include "vboard/driver/virtual_board.h"

// Queues a read, or completes it at once when the board is going away or
// the read was cancelled before it was queued. STATUS_PENDING once queued.
NTSTATUS QueueRead(VirtualBoard* board, IRP* irp);
// Completes the oldest queued read with the status answer when one is due
// and not held back.
void DeliverAnswer(VirtualBoard* board);
// Completes every queued read with the given status.
void FailReads(VirtualBoard* board, NTSTATUS status);
