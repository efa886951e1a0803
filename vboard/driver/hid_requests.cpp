// The HID requests of the virtual board: descriptors, attributes and
// strings, output reports into the board's firmware, and reads that wait
// for its status answer. Everything here may run at DISPATCH_LEVEL.
#include "vboard/driver/virtual_board.h"

namespace {

constexpr UCHAR kReportDataBytes = kBoardReportSize - 1; // no report id on the wire

// One vendor-defined collection with a 32-byte input and a 32-byte output
// report, without report id.
const UCHAR kReportDescriptor[] = {
    0x06, 0x00,
    0xFF,       // Usage Page (vendor defined 0xFF00)
    0x09, 0x01, // Usage (1)
    0xA1, 0x01, // Collection (Application)
    0x09, 0x02, //   Usage (2)
    0x15, 0x00, //   Logical Minimum (0)
    0x26, 0xFF,
    0x00,                   //   Logical Maximum (255)
    0x75, 0x08,             //   Report Size (8)
    0x95, kReportDataBytes, //   Report Count (32)
    0x81, 0x02,             //   Input (Data, Variable, Absolute)
    0x09, 0x03,             //   Usage (3)
    0x15, 0x00,             //   Logical Minimum (0)
    0x26, 0xFF,
    0x00,                   //   Logical Maximum (255)
    0x75, 0x08,             //   Report Size (8)
    0x95, kReportDataBytes, //   Report Count (32)
    0x91, 0x02,             //   Output (Data, Variable, Absolute)
    0xC0,                   // End Collection
};

NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

void NTAPI CancelRead(DEVICE_OBJECT* device, IRP* irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    {
        BoardLock lock(BoardOf(device));
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    }
    Complete(irp, STATUS_CANCELLED, 0);
}

// Takes the oldest queued read that is not being cancelled (lock held).
IRP* TakeRead(VirtualBoard* board) {
    while (!IsListEmpty(&board->reads)) {
        LIST_ENTRY* entry = RemoveHeadList(&board->reads);
        IRP* irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if (IoSetCancelRoutine(irp, nullptr) != nullptr) return irp;
        // Its cancel routine is running and removes the entry itself.
        InitializeListHead(entry);
    }
    return nullptr;
}

NTSTATUS QueueRead(VirtualBoard* board, IRP* irp) {
    {
        BoardLock lock(board);
        if (board->removed) return Complete(irp, STATUS_DELETE_PENDING, 0);
        IoSetCancelRoutine(irp, CancelRead);
        // Cancelled before it was queued, and its routine was not called yet.
        if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr)
            return Complete(irp, STATUS_CANCELLED, 0);
        IoMarkIrpPending(irp);
        InsertTailList(&board->reads, &irp->Tail.Overlay.ListEntry);
    }
    DeliverAnswer(board); // an answer may already be due
    return STATUS_PENDING;
}

// An output report into the firmware. Without report ids the HID class
// passes either the 32 data bytes (Wine) or the whole report with its id
// byte 0 in front (Windows); the firmware takes the wire form.
NTSTATUS WriteReport(VirtualBoard* board, IRP* irp) {
    auto* packet = static_cast<HID_XFER_PACKET*>(irp->UserBuffer);
    if (!packet || !packet->reportBuffer) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    const ULONG length = packet->reportBufferLen;
    uint8_t wire[kBoardReportSize];
    ZeroBytes(wire, sizeof wire);
    if (length >= kBoardReportSize)
        CopyBytes(wire, packet->reportBuffer, kBoardReportSize);
    else
        CopyBytes(wire + 1, packet->reportBuffer, length);
    bool taken;
    {
        BoardLock lock(board);
        if (board->removed) return Complete(irp, STATUS_DELETE_PENDING, 0);
        taken = BoardReceive(&board->firmware, wire, sizeof wire);
        if (taken && board->firmware.answer_pending && board->firmware.answer_delay_ms > 0)
            board->answer_held = true; // the service sends it late
    }
    if (!taken) return Complete(irp, STATUS_IO_DEVICE_ERROR, 0);
    Complete(irp, STATUS_SUCCESS, length);
    DeliverAnswer(board); // the read waiting for this status request
    RequestService(board);
    return STATUS_SUCCESS;
}

const WCHAR* StringOf(VirtualBoard* board, ULONG id) {
    switch (id) {
    case kHidStringManufacturer:
    case kWineStringManufacturer:
        return board->manufacturer;
    case kHidStringProduct:
    case kWineStringProduct:
        return board->product;
    case kHidStringSerialNumber:
    case kWineStringSerialNumber:
        return board->serial_number;
    default:
        return nullptr;
    }
}

NTSTATUS GetString(VirtualBoard* board, IRP* irp, ULONG out_size) {
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    // The low word is the string id, the high word a language id.
    const ULONG id = static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(
                         stack->Parameters.DeviceIoControl.Type3InputBuffer)) &
                     0xFFFF;
    const WCHAR* text = StringOf(board, id);
    if (!text) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    ULONG bytes = sizeof(WCHAR);
    while (text[bytes / sizeof(WCHAR) - 1] != 0)
        bytes += sizeof(WCHAR);
    if (out_size < bytes) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    CopyBytes(irp->UserBuffer, text, bytes);
    // Nothing but the control side asks for the serial number: it has
    // changed the board's settings, which the service takes up.
    if (id == kHidStringSerialNumber || id == kWineStringSerialNumber) RequestService(board);
    return Complete(irp, STATUS_SUCCESS, bytes);
}

} // namespace

void DeliverAnswer(VirtualBoard* board) {
    uint8_t wire[kBoardReportSize];
    int length = -1;
    IRP* irp = nullptr;
    {
        BoardLock lock(board);
        if (board->answer_held || !board->firmware.answer_pending) return;
        irp = TakeRead(board);
        if (!irp) return;
        length = BoardAnswer(&board->firmware, wire, sizeof wire);
    }
    // Without report ids a read returns the data bytes only.
    const ULONG out_size =
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
    const ULONG data = length > 0 ? static_cast<ULONG>(length) - 1 : 0;
    if (out_size < data) {
        Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        return;
    }
    CopyBytes(irp->UserBuffer, wire + 1, data);
    Complete(irp, STATUS_SUCCESS, data);
}

void FailReads(VirtualBoard* board, NTSTATUS status) {
    for (;;) {
        IRP* irp;
        {
            BoardLock lock(board);
            irp = TakeRead(board);
        }
        if (!irp) return;
        Complete(irp, status, 0);
    }
}

NTSTATUS HandleHidRequest(VirtualBoard* board, IRP* irp) {
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG out_size = stack->Parameters.DeviceIoControl.OutputBufferLength;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        auto* descriptor = static_cast<HID_DESCRIPTOR*>(irp->UserBuffer);
        if (out_size < sizeof *descriptor) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        ZeroBytes(descriptor, sizeof *descriptor);
        descriptor->bLength = sizeof *descriptor;
        descriptor->bDescriptorType = kHidHidDescriptorType;
        descriptor->bcdHID = 0x0111;
        descriptor->bNumDescriptors = 1;
        descriptor->DescriptorList[0].bReportType = kHidReportDescriptorType;
        descriptor->DescriptorList[0].wReportLength = sizeof kReportDescriptor;
        return Complete(irp, STATUS_SUCCESS, sizeof *descriptor);
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        if (out_size < sizeof kReportDescriptor) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        CopyBytes(irp->UserBuffer, kReportDescriptor, sizeof kReportDescriptor);
        return Complete(irp, STATUS_SUCCESS, sizeof kReportDescriptor);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        auto* attributes = static_cast<HID_DEVICE_ATTRIBUTES*>(irp->UserBuffer);
        if (out_size < sizeof *attributes) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        ZeroBytes(attributes, sizeof *attributes);
        attributes->Size = sizeof *attributes;
        attributes->VendorID = board->vendor_id;
        attributes->ProductID = board->product_id;
        attributes->VersionNumber = board->version_number;
        return Complete(irp, STATUS_SUCCESS, sizeof *attributes);
    }
    case IOCTL_HID_GET_STRING:
        return GetString(board, irp, out_size);
    case IOCTL_HID_WRITE_REPORT:
    case IOCTL_HID_SET_OUTPUT_REPORT:
        return WriteReport(board, irp);
    case IOCTL_HID_READ_REPORT:
        return QueueRead(board, irp);
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(irp, STATUS_SUCCESS, 0);
    default:
        // No feature reports, no input report on request, no idle
        // notification: the board answers status requests only.
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}
