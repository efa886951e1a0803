// A stand-in for the kernel headers, so that the driver's request handling
// (hid_requests.cpp, read_queue.cpp) runs in a host test. It has the types,
// fields and calls that code uses, with the kernel's names; spin locks,
// cancel routines and completions are recorded, so a test sees every
// request that was completed while a spin lock was held.
#pragma once

#include "vboard/driver/hid_ids.h"

#include <cstddef>
#include <cstdint>

typedef int32_t NTSTATUS;
typedef uint8_t UCHAR;
typedef uint16_t USHORT;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef char16_t WCHAR;
typedef uint8_t BOOLEAN;
typedef UCHAR KIRQL;
typedef ULONG_PTR KSPIN_LOCK;
typedef void* HANDLE;
typedef void* PIO_WORKITEM;
#define NTAPI
#define FALSE 0
#define TRUE 1

constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_PENDING = 0x103;
constexpr NTSTATUS STATUS_CANCELLED = static_cast<NTSTATUS>(0xC0000120);
constexpr NTSTATUS STATUS_DELETE_PENDING = static_cast<NTSTATUS>(0xC0000056);
constexpr NTSTATUS STATUS_INVALID_PARAMETER = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS STATUS_BUFFER_TOO_SMALL = static_cast<NTSTATUS>(0xC0000023);
constexpr NTSTATUS STATUS_IO_DEVICE_ERROR = static_cast<NTSTATUS>(0xC0000185);
constexpr NTSTATUS STATUS_NOT_SUPPORTED = static_cast<NTSTATUS>(0xC00000BB);
constexpr char IO_NO_INCREMENT = 0;

struct KEVENT {
    bool signalled;
};

struct LIST_ENTRY {
    LIST_ENTRY* Flink;
    LIST_ENTRY* Blink;
};

inline void InitializeListHead(LIST_ENTRY* head) {
    head->Flink = head->Blink = head;
}
inline bool IsListEmpty(const LIST_ENTRY* head) {
    return head->Flink == head;
}
inline bool RemoveEntryList(LIST_ENTRY* entry) {
    LIST_ENTRY* next = entry->Flink;
    LIST_ENTRY* prev = entry->Blink;
    prev->Flink = next;
    next->Blink = prev;
    return next == prev;
}
inline LIST_ENTRY* RemoveHeadList(LIST_ENTRY* head) {
    LIST_ENTRY* entry = head->Flink;
    RemoveEntryList(entry);
    return entry;
}
inline void InsertTailList(LIST_ENTRY* head, LIST_ENTRY* entry) {
    entry->Flink = head;
    entry->Blink = head->Blink;
    head->Blink->Flink = entry;
    head->Blink = entry;
}
#define CONTAINING_RECORD(address, type, field)                                                    \
    reinterpret_cast<type*>(reinterpret_cast<char*>(address) - offsetof(type, field))

struct DEVICE_OBJECT {
    void* DeviceExtension;
};

struct IO_STACK_LOCATION {
    UCHAR MinorFunction;
    struct {
        struct {
            ULONG OutputBufferLength;
            ULONG InputBufferLength;
            ULONG IoControlCode;
            void* Type3InputBuffer;
        } DeviceIoControl;
    } Parameters;
};

struct IRP;
typedef void(NTAPI* PDRIVER_CANCEL)(DEVICE_OBJECT* device, IRP* irp);

struct IRP {
    struct {
        NTSTATUS Status;
        ULONG_PTR Information;
    } IoStatus;
    BOOLEAN Cancel;
    KIRQL CancelIrql;
    PDRIVER_CANCEL CancelRoutine;
    void* UserBuffer;
    bool pending_marked;
    struct {
        struct {
            LIST_ENTRY ListEntry;
        } Overlay;
    } Tail;
    IO_STACK_LOCATION stack; // the driver's own (current) stack location
};

inline IO_STACK_LOCATION* IoGetCurrentIrpStackLocation(IRP* irp) {
    return &irp->stack;
}
inline void IoMarkIrpPending(IRP* irp) {
    irp->pending_marked = true;
}
inline PDRIVER_CANCEL IoSetCancelRoutine(IRP* irp, PDRIVER_CANCEL routine) {
    PDRIVER_CANCEL old = irp->CancelRoutine;
    irp->CancelRoutine = routine;
    return old;
}
void IoReleaseCancelSpinLock(KIRQL irql);
void IoCompleteRequest(IRP* irp, char priority_boost);
void KeAcquireSpinLock(KSPIN_LOCK* lock, KIRQL* old_irql);
void KeReleaseSpinLock(KSPIN_LOCK* lock, KIRQL new_irql);

// The HID minidriver requests and records (codes are the stand-in's own).
enum : ULONG {
    IOCTL_HID_GET_DEVICE_DESCRIPTOR = 0x100,
    IOCTL_HID_GET_REPORT_DESCRIPTOR,
    IOCTL_HID_READ_REPORT,
    IOCTL_HID_WRITE_REPORT,
    IOCTL_HID_GET_STRING,
    IOCTL_HID_ACTIVATE_DEVICE,
    IOCTL_HID_DEACTIVATE_DEVICE,
    IOCTL_HID_GET_DEVICE_ATTRIBUTES,
    IOCTL_HID_SET_OUTPUT_REPORT,
};

struct HID_XFER_PACKET {
    UCHAR* reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
};

struct HID_DEVICE_EXTENSION {
    DEVICE_OBJECT* PhysicalDeviceObject;
    DEVICE_OBJECT* NextDeviceObject;
    void* MiniDeviceExtension;
};

struct HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
};

#pragma pack(push, 1)
struct HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
};
#pragma pack(pop)

// What the stand-in recorded.
struct FakeKernel {
    int spin_locks_held = 0;
    bool cancel_lock_held = false;
    struct Completion {
        IRP* irp;
        NTSTATUS status;
        ULONG_PTR information;
        bool under_lock; // a spin lock (the board's or the cancel lock) was held
    };
    Completion completions[64];
    int completion_count = 0;
};

extern FakeKernel g_kernel;

// Starts afresh: no lock held, nothing completed.
void ResetFakeKernel();
// The I/O manager cancelling a request: marks it, and calls its cancel
// routine, if it still has one, with the cancel spin lock held.
void CancelFakeIrp(DEVICE_OBJECT* device, IRP* irp);
