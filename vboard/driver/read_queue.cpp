#include "vboard/driver/read_queue.h"

namespace {

void NTAPI CancelRead(DEVICE_OBJECT* device, IRP* irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    {
        BoardLock lock(BoardOf(device));
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    }
    CompleteRequest(irp, STATUS_CANCELLED, 0);
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

} // namespace

NTSTATUS QueueRead(VirtualBoard* board, IRP* irp) {
    NTSTATUS refusal = STATUS_SUCCESS;
    {
        BoardLock lock(board);
        if (board->removed) {
            refusal = STATUS_DELETE_PENDING;
        } else {
            IoSetCancelRoutine(irp, CancelRead);
            // Cancelled before it was queued, and its routine was not called:
            // it is ours to complete. If the routine was called, it waits for
            // the lock and takes the entry out again.
            if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr) {
                refusal = STATUS_CANCELLED;
            } else {
                IoMarkIrpPending(irp);
                InsertTailList(&board->reads, &irp->Tail.Overlay.ListEntry);
            }
        }
    }
    if (refusal != STATUS_SUCCESS) return CompleteRequest(irp, refusal, 0);
    DeliverAnswer(board); // an answer may already be due
    return STATUS_PENDING;
}

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
        CompleteRequest(irp, STATUS_BUFFER_TOO_SMALL, 0);
        return;
    }
    CopyBytes(irp->UserBuffer, wire + 1, data);
    CompleteRequest(irp, STATUS_SUCCESS, data);
}

void FailReads(VirtualBoard* board, NTSTATUS status) {
    for (;;) {
        IRP* irp;
        {
            BoardLock lock(board);
            irp = TakeRead(board);
        }
        if (!irp) return;
        CompleteRequest(irp, status, 0);
    }
}
