// The virtual board's device record and the routines its three parts share:
// the PnP and power plumbing (driver_entry.cpp), the HID requests with the
// board's firmware behind them (hid_requests.cpp) and the control channel
// in the device's registry key (control_channel.cpp).
//
// IRQL: HID requests may arrive at up to DISPATCH_LEVEL, so they touch only
// the record, under its spin lock. Every registry access happens at
// PASSIVE_LEVEL: in the start request, or in the service work item.
#pragma once

#include "vboard/control_format.h"
#include "vboard/driver/hid_minidriver.h"

struct VirtualBoard {
    KSPIN_LOCK lock; // guards everything below up to the identity
    BoardFirmware firmware;
    bool answer_held; // a status answer waits for the service to send it late
    LIST_ENTRY reads; // IOCTL_HID_READ_REPORT requests waiting for an answer
    bool removed;     // the device is going away: requests fail
    bool service_queued;
    bool service_again; // something changed while a service pass was running

    // Identity, read when the device starts.
    USHORT vendor_id;
    USHORT product_id;
    USHORT version_number;
    WCHAR product[kVBoardStringChars];
    WCHAR manufacturer[kVBoardStringChars];
    WCHAR serial_number[8];

    DEVICE_OBJECT* self;       // the functional device object made by the HID class
    DEVICE_OBJECT* physical;   // the root-enumerated device below it
    DEVICE_OBJECT* next;       // where requests go down
    HANDLE parameters;         // the device's hardware key; PASSIVE_LEVEL only
    PIO_WORKITEM service_item; // runs ServiceBoard
    KEVENT service_idle;       // signalled while no service pass is queued or running
    KEVENT removing;           // signalled when the device goes away (ends delays)
    uint32_t applied_serial;   // of the last Control taken up
    uint32_t publications;
};

// The board record's spin lock for one scope (HID requests and the work
// item take it; the registry is never touched while it is held).
class BoardLock {
  public:
    explicit BoardLock(VirtualBoard* board) : board_(board) {
        KeAcquireSpinLock(&board->lock, &irql_);
    }
    ~BoardLock() { KeReleaseSpinLock(&board_->lock, irql_); }
    BoardLock(const BoardLock&) = delete;
    BoardLock& operator=(const BoardLock&) = delete;

  private:
    VirtualBoard* board_;
    KIRQL irql_;
};

VirtualBoard* BoardOf(DEVICE_OBJECT* device);

// Sets up the record when the HID class adds the device (PASSIVE_LEVEL).
NTSTATUS PrepareBoard(VirtualBoard* board, DEVICE_OBJECT* self);
// Reads identity and settings once the device has started (PASSIVE_LEVEL).
void StartBoard(VirtualBoard* board);
// The device is going away: fails queued reads; on removal also waits for
// the service to end and releases the key and the work item (PASSIVE_LEVEL).
void StopBoard(VirtualBoard* board, bool removal);

// Asks for a service pass: take up Control, send a held answer, publish
// State. Callable at up to DISPATCH_LEVEL.
void RequestService(VirtualBoard* board);
// Completes the oldest queued read with the status answer when one is due
// and not held back. Callable at up to DISPATCH_LEVEL.
void DeliverAnswer(VirtualBoard* board);
// Completes every queued read with the given status.
void FailReads(VirtualBoard* board, NTSTATUS status);

NTSTATUS HandleHidRequest(VirtualBoard* board, IRP* irp);

// Byte helpers: there is no C library in a driver.
void CopyBytes(void* out, const void* in, SIZE_T n);
void ZeroBytes(void* out, SIZE_T n);
