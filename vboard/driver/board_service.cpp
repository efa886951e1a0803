#include "vboard/driver/board_service.h"

#include "vboard/driver/control_channel.h"
#include "vboard/driver/read_queue.h"
#include "vboard/driver/state_pacing.h"

namespace {

constexpr LONGLONG kTicksPerMs = 10000; // kernel times are in 100 ns

uint64_t NowMs() {
    return KeQueryInterruptTime() / kTicksPerMs;
}

// Waits `ms` or until the event is signalled, whichever comes first.
void WaitAtMost(KEVENT* event, uint32_t ms) {
    LARGE_INTEGER timeout;
    timeout.QuadPart = -kTicksPerMs * ms; // relative
    KeWaitForSingleObject(event, Executive, KernelMode, FALSE, &timeout);
}

// A status answer held back for the board's answer delay: sent once the
// delay has passed (or at once when the device goes away).
void SendHeldAnswer(VirtualBoard* board) {
    uint32_t delay_ms;
    {
        BoardLock lock(board);
        if (!board->answer_held) return;
        delay_ms = board->firmware.answer_delay_ms;
    }
    WaitAtMost(&board->removing, delay_ms);
    {
        BoardLock lock(board);
        board->answer_held = false;
    }
    DeliverAnswer(board);
}

// Writes the board's State when it is due. Returns 0, or how long to wait
// before a change may be written.
uint32_t PublishStateWhenDue(VirtualBoard* board) {
    if (!board->parameters) return 0;
    VBoardState state;
    ZeroBytes(&state, sizeof state);
    state.format = kVBoardFormat;
    bool removed;
    {
        BoardLock lock(board);
        CopyBytes(&state.firmware, &board->firmware, sizeof state.firmware);
        state.applied_serial = board->applied_serial;
        removed = board->removed;
    }
    const uint64_t now = NowMs();
    const PublishPlan plan = PlanStatePublication(
        board->has_published ? &board->published : nullptr, state, now - board->published_ms);
    // A board going away writes what it has without waiting.
    if (plan.when == PublishWhen::kNever) return 0;
    if (plan.when == PublishWhen::kLater && !removed) return plan.wait_ms;
    state.publications = ++board->publications;
    WriteState(board, state);
    CopyBytes(&board->published, &state, sizeof state);
    board->has_published = true;
    board->published_ms = now;
    return 0;
}

void NTAPI ServiceBoard(DEVICE_OBJECT*, void* context) {
    auto* board = static_cast<VirtualBoard*>(context);
    for (;;) {
        TakeUpControl(board);
        SendHeldAnswer(board);
        if (const uint32_t wait_ms = PublishStateWhenDue(board)) {
            // A new request (or removal) ends the wait early: the next pass
            // takes it up and plans the write again.
            WaitAtMost(&board->service_wake, wait_ms);
            continue;
        }
        BoardLock lock(board);
        if (board->service_again && !board->removed) {
            board->service_again = false;
            continue;
        }
        board->service_queued = false;
        board->service_again = false;
        KeSetEvent(&board->service_idle, IO_NO_INCREMENT, FALSE);
        return;
    }
}

} // namespace

NTSTATUS PrepareBoard(VirtualBoard* board, DEVICE_OBJECT* self) {
    ZeroBytes(board, sizeof *board);
    KeInitializeSpinLock(&board->lock);
    InitializeListHead(&board->reads);
    BoardPowerOn(&board->firmware, "0123");
    SetDefaultIdentity(board);
    auto* hid = static_cast<HID_DEVICE_EXTENSION*>(self->DeviceExtension);
    board->self = self;
    board->physical = hid->PhysicalDeviceObject;
    board->next = hid->NextDeviceObject;
    KeInitializeEvent(&board->service_idle, NotificationEvent, TRUE);
    KeInitializeEvent(&board->service_wake, SynchronizationEvent, FALSE);
    KeInitializeEvent(&board->removing, NotificationEvent, FALSE);
    board->service_item = IoAllocateWorkItem(self);
    return board->service_item ? STATUS_SUCCESS : STATUS_INSUFFICIENT_RESOURCES;
}

void StartBoard(VirtualBoard* board) {
    OpenControlChannel(board);
    {
        BoardLock lock(board);
        board->removed = false;
    }
    KeClearEvent(&board->removing);
    TakeUpControl(board);
    PublishStateWhenDue(board);
}

void StopBoard(VirtualBoard* board, bool removal) {
    {
        BoardLock lock(board);
        board->removed = true;
    }
    KeSetEvent(&board->removing, IO_NO_INCREMENT, FALSE);
    KeSetEvent(&board->service_wake, IO_NO_INCREMENT, FALSE);
    FailReads(board, STATUS_DELETE_PENDING);
    if (!removal) return;
    KeWaitForSingleObject(&board->service_idle, Executive, KernelMode, FALSE, nullptr);
    if (board->service_item) IoFreeWorkItem(board->service_item);
    board->service_item = nullptr;
    CloseControlChannel(board);
}

void RequestService(VirtualBoard* board) {
    bool queue;
    {
        BoardLock lock(board);
        if (board->removed || !board->service_item) return;
        queue = !board->service_queued;
        if (queue) {
            board->service_queued = true;
            KeClearEvent(&board->service_idle);
        } else {
            board->service_again = true;
        }
    }
    if (queue)
        IoQueueWorkItem(board->service_item, ServiceBoard, DelayedWorkQueue, board);
    else
        KeSetEvent(&board->service_wake, IO_NO_INCREMENT, FALSE); // a pass may be waiting
}
