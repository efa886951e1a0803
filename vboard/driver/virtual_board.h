// The virtual board's device record, shared by the driver's parts: the PnP
// and power plumbing (driver_entry.cpp), the HID requests
// (hid_requests.cpp), the reads waiting for an answer (read_queue.cpp), the
// service work item (board_service.cpp) and the values of the device's
// registry key (control_channel.cpp). Calls go one way only:
//   driver_entry -> hid_requests -> board_service -> control_channel
//   hid_requests, board_service -> read_queue
//
// IRQL: HID requests may arrive at up to DISPATCH_LEVEL, so they touch only
// the record, under its spin lock. Every registry access happens at
// PASSIVE_LEVEL: in the start request, or in the service work item.
// Requests are completed only while the lock is free: the completion
// routine of a driver above may send its next request straight back in.
#pragma once

#ifdef PELLAM_KERNEL_STAND_IN
#include PELLAM_KERNEL_STAND_IN // a host test's stand-in for the kernel
#else
#include "vboard/driver/hid_minidriver.h"
#endif
#include "vboard/control_format.h"

#include <stdint.h>

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
    PIO_WORKITEM service_item; // runs the service pass
    KEVENT service_idle;       // signalled while no service pass is queued or running
    KEVENT service_wake;       // ends a service pass's wait for its next State write
    KEVENT removing;           // signalled when the device goes away (ends delays)
    uint32_t applied_serial;   // of the last Control taken up
    uint32_t publications;

    // The State last written, and when (the service pass's own).
    VBoardState published;
    bool has_published;
    uint64_t published_ms;
};

// The board record's spin lock for one scope (HID requests and the work
// item take it; the registry is never touched and no request is completed
// while it is held).
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

// Ends a request with its status and the bytes it returns.
inline NTSTATUS CompleteRequest(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// Byte helpers: there is no C library in a driver. Volatile stores keep the
// compiler from turning the loops into calls of memcpy and memset.
inline void CopyBytes(void* out, const void* in, SIZE_T n) {
    auto* o = static_cast<volatile UCHAR*>(out);
    const auto* i = static_cast<const UCHAR*>(in);
    for (SIZE_T k = 0; k < n; ++k)
        o[k] = i[k];
}

inline void ZeroBytes(void* out, SIZE_T n) {
    auto* o = static_cast<volatile UCHAR*>(out);
    for (SIZE_T k = 0; k < n; ++k)
        o[k] = 0;
}
