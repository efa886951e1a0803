#include "vboard/driver/hid_requests.h"

#include "vboard/driver/board_service.h"
#include "vboard/driver/read_queue.h"

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

// An output report into the firmware. Without report ids the HID class
// passes either the 32 data bytes (Wine) or the whole report with its id
// byte 0 in front (Windows); the firmware takes the wire form.
NTSTATUS WriteReport(VirtualBoard* board, IRP* irp) {
    auto* packet = static_cast<HID_XFER_PACKET*>(irp->UserBuffer);
    if (!packet || !packet->reportBuffer) return CompleteRequest(irp, STATUS_INVALID_PARAMETER, 0);
    const ULONG length = packet->reportBufferLen;
    uint8_t wire[kBoardReportSize];
    ZeroBytes(wire, sizeof wire);
    if (length >= kBoardReportSize)
        CopyBytes(wire, packet->reportBuffer, kBoardReportSize);
    else
        CopyBytes(wire + 1, packet->reportBuffer, length);
    bool removed, taken = false;
    {
        BoardLock lock(board);
        removed = board->removed;
        if (!removed) taken = BoardReceive(&board->firmware, wire, sizeof wire);
        if (taken && board->firmware.answer_pending && board->firmware.answer_delay_ms > 0)
            board->answer_held = true; // the service sends it late
    }
    if (removed) return CompleteRequest(irp, STATUS_DELETE_PENDING, 0);
    if (!taken) return CompleteRequest(irp, STATUS_IO_DEVICE_ERROR, 0);
    CompleteRequest(irp, STATUS_SUCCESS, length);
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
    if (!text) return CompleteRequest(irp, STATUS_INVALID_PARAMETER, 0);
    ULONG bytes = sizeof(WCHAR);
    while (text[bytes / sizeof(WCHAR) - 1] != 0)
        bytes += sizeof(WCHAR);
    if (out_size < bytes) return CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
    CopyBytes(irp->UserBuffer, text, bytes);
    // Nothing but the control side asks for the serial number: it has
    // changed the board's settings, which the service takes up.
    if (id == kHidStringSerialNumber || id == kWineStringSerialNumber) RequestService(board);
    return CompleteRequest(irp, STATUS_SUCCESS, bytes);
}

} // namespace

NTSTATUS HandleHidRequest(VirtualBoard* board, IRP* irp) {
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG out_size = stack->Parameters.DeviceIoControl.OutputBufferLength;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        auto* descriptor = static_cast<HID_DESCRIPTOR*>(irp->UserBuffer);
        if (out_size < sizeof *descriptor) return CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
        ZeroBytes(descriptor, sizeof *descriptor);
        descriptor->bLength = sizeof *descriptor;
        descriptor->bDescriptorType = kHidHidDescriptorType;
        descriptor->bcdHID = 0x0111;
        descriptor->bNumDescriptors = 1;
        descriptor->DescriptorList[0].bReportType = kHidReportDescriptorType;
        descriptor->DescriptorList[0].wReportLength = sizeof kReportDescriptor;
        return CompleteRequest(irp, STATUS_SUCCESS, sizeof *descriptor);
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        if (out_size < sizeof kReportDescriptor)
            return CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
        CopyBytes(irp->UserBuffer, kReportDescriptor, sizeof kReportDescriptor);
        return CompleteRequest(irp, STATUS_SUCCESS, sizeof kReportDescriptor);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
        auto* attributes = static_cast<HID_DEVICE_ATTRIBUTES*>(irp->UserBuffer);
        if (out_size < sizeof *attributes) return CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
        ZeroBytes(attributes, sizeof *attributes);
        attributes->Size = sizeof *attributes;
        attributes->VendorID = board->vendor_id;
        attributes->ProductID = board->product_id;
        attributes->VersionNumber = board->version_number;
        return CompleteRequest(irp, STATUS_SUCCESS, sizeof *attributes);
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
        return CompleteRequest(irp, STATUS_SUCCESS, 0);
    default:
        // No feature reports, no input report on request, no idle
        // notification: the board answers status requests only.
        return CompleteRequest(irp, STATUS_NOT_SUPPORTED, 0);
    }
}
