// pellam_vboard.sys: a virtual Pellam relay board as a WDM HID minidriver.
// It is the function driver of a root-enumerated device; the HID class
// driver sits on top of it and presents an ordinary HID device to user mode,
// so the device library reaches it through SetupAPI, HID and CreateFile
// exactly as it reaches a board on USB. This file is the PnP and power
// plumbing; the board answers HID requests in hid_requests.cpp.
#include "vboard/driver/board_service.h"
#include "vboard/driver/hid_requests.h"

namespace {

NTSTATUS NTAPI SignalEvent(DEVICE_OBJECT*, IRP*, void* context) {
    KeSetEvent(static_cast<KEVENT*>(context), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED; // the waiting dispatch routine completes the IRP
}

// IoCopyCurrentIrpStackLocationToNext without its call of the C library's
// memcpy.
void CopyStackLocationToNext(IRP* irp) {
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    CopyBytes(next, IoGetCurrentIrpStackLocation(irp),
              FIELD_OFFSET(IO_STACK_LOCATION, CompletionRoutine));
    next->Control = 0;
}

// Sends a PnP request down and waits until the drivers below finished it.
NTSTATUS ForwardAndWait(VirtualBoard* board, IRP* irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    CopyStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, SignalEvent, &done, TRUE, TRUE, TRUE);
    if (IoCallDriver(board->next, irp) == STATUS_PENDING)
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    return irp->IoStatus.Status;
}

NTSTATUS PassDown(VirtualBoard* board, IRP* irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(board->next, irp);
}

NTSTATUS NTAPI DispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
    VirtualBoard* board = BoardOf(device);
    switch (IoGetCurrentIrpStackLocation(irp)->MinorFunction) {
    case IRP_MN_START_DEVICE: {
        // The devices below start first; the board starts on top of them.
        NTSTATUS status = ForwardAndWait(board, irp);
        if (NT_SUCCESS(status)) StartBoard(board);
        irp->IoStatus.Status = status;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return status;
    }
    case IRP_MN_SURPRISE_REMOVAL:
        StopBoard(board, false);
        irp->IoStatus.Status = STATUS_SUCCESS;
        return PassDown(board, irp);
    case IRP_MN_REMOVE_DEVICE:
        // The HID class deletes the device object after this returns.
        StopBoard(board, true);
        irp->IoStatus.Status = STATUS_SUCCESS;
        return PassDown(board, irp);
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        return PassDown(board, irp);
    default:
        return PassDown(board, irp);
    }
}

NTSTATUS NTAPI DispatchPower(DEVICE_OBJECT* device, IRP* irp) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(BoardOf(device)->next, irp);
}

NTSTATUS NTAPI DispatchPassDown(DEVICE_OBJECT* device, IRP* irp) {
    return PassDown(BoardOf(device), irp);
}

NTSTATUS NTAPI DispatchHid(DEVICE_OBJECT* device, IRP* irp) {
    return HandleHidRequest(BoardOf(device), irp);
}

NTSTATUS NTAPI AddDevice(DRIVER_OBJECT*, DEVICE_OBJECT* device) {
    const NTSTATUS status = PrepareBoard(BoardOf(device), device);
    if (NT_SUCCESS(status)) device->Flags &= ~DO_DEVICE_INITIALIZING;
    return status;
}

void NTAPI Unload(DRIVER_OBJECT*) {}

} // namespace

VirtualBoard* BoardOf(DEVICE_OBJECT* device) {
    auto* hid = static_cast<HID_DEVICE_EXTENSION*>(device->DeviceExtension);
    return static_cast<VirtualBoard*>(hid->MiniDeviceExtension);
}

extern "C" NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path) {
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchHid;
    driver->MajorFunction[IRP_MJ_SYSTEM_CONTROL] = DispatchPassDown;

    HID_MINIDRIVER_REGISTRATION registration;
    ZeroBytes(&registration, sizeof registration);
    registration.Revision = HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registry_path;
    registration.DeviceExtensionSize = sizeof(VirtualBoard);
    // Reads wait for the board's answer; the HID class does not poll.
    registration.DevicesArePolled = FALSE;
    return HidRegisterMinidriver(&registration);
}
