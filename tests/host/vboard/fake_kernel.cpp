#include "tests/host/vboard/fake_kernel.h"

FakeKernel g_kernel;

void ResetFakeKernel() {
    g_kernel = FakeKernel{};
}

void KeAcquireSpinLock(KSPIN_LOCK* lock, KIRQL* old_irql) {
    ++*lock;
    ++g_kernel.spin_locks_held;
    *old_irql = 0;
}

void KeReleaseSpinLock(KSPIN_LOCK* lock, KIRQL) {
    --*lock;
    --g_kernel.spin_locks_held;
}

void IoReleaseCancelSpinLock(KIRQL) {
    g_kernel.cancel_lock_held = false;
}

void IoCompleteRequest(IRP* irp, char) {
    if (g_kernel.completion_count == 64) return;
    g_kernel.completions[g_kernel.completion_count++] = {
        irp, irp->IoStatus.Status, irp->IoStatus.Information,
        g_kernel.spin_locks_held > 0 || g_kernel.cancel_lock_held};
}

void CancelFakeIrp(DEVICE_OBJECT* device, IRP* irp) {
    irp->Cancel = TRUE;
    PDRIVER_CANCEL routine = IoSetCancelRoutine(irp, nullptr);
    if (!routine) return;
    g_kernel.cancel_lock_held = true;
    routine(device, irp);
}
