// The virtual board's driver over a stand-in for the kernel: the HID
// requests end with the right status, and none is completed while a spin
// lock is held (the completion routine of a driver above may send its next
// read straight back into the board's lock). Also when the driver writes
// the board's State.
#include "tests/host/vboard/fake_kernel.h"
#include "vboard/driver/hid_requests.h"
#include "vboard/driver/read_queue.h"
#include "vboard/driver/state_pacing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

VirtualBoard* g_board = nullptr;
int g_service_requests = 0;

constexpr NTSTATUS kNotCompleted = 1;
constexpr ULONG kReadSize = 32; // a read's buffer: the 32 data bytes of a report

struct Rig {
    VirtualBoard board{};
    HID_DEVICE_EXTENSION extension{nullptr, nullptr, &board};
    DEVICE_OBJECT device{&extension};
    IRP read{}, write{};
    UCHAR read_buffer[64] = {};
    UCHAR report[33] = {};
    HID_XFER_PACKET packet{};

    Rig() {
        ResetFakeKernel();
        g_board = &board;
        g_service_requests = 0;
        InitializeListHead(&board.reads);
        BoardPowerOn(&board.firmware, "0123");
    }
    NTSTATUS Read(ULONG size = kReadSize) {
        read.stack.Parameters.DeviceIoControl.IoControlCode = IOCTL_HID_READ_REPORT;
        read.stack.Parameters.DeviceIoControl.OutputBufferLength = size;
        read.UserBuffer = read_buffer;
        return HandleHidRequest(&board, &read);
    }
    // An output report as Wine's HID class passes it: the 32 data bytes.
    NTSTATUS Write(UCHAR command) {
        std::memcpy(report, "Qvox", 4);
        report[4] = command;
        packet = {report, 32, 0};
        write.stack.Parameters.DeviceIoControl.IoControlCode = IOCTL_HID_WRITE_REPORT;
        write.UserBuffer = &packet;
        return HandleHidRequest(&board, &write);
    }
    NTSTATUS StatusOf(const IRP& irp) const {
        for (int i = 0; i < g_kernel.completion_count; ++i)
            if (g_kernel.completions[i].irp == &irp) return g_kernel.completions[i].status;
        return kNotCompleted;
    }
};

TEST(DriverRequests, NoRequestIsCompletedUnderALockAndEachEndsRight) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> run;
        NTSTATUS read, write;
    };
    const Case cases[] = {
        {"read while the board goes away",
         [](Rig& r) {
             r.board.removed = true;
             EXPECT_EQ(r.Read(), STATUS_DELETE_PENDING);
         },
         STATUS_DELETE_PENDING, kNotCompleted},
        {"write while the board goes away",
         [](Rig& r) {
             r.board.removed = true;
             EXPECT_EQ(r.Write(0x0A), STATUS_DELETE_PENDING);
         },
         kNotCompleted, STATUS_DELETE_PENDING},
        {"read cancelled before it was queued",
         [](Rig& r) {
             r.read.Cancel = TRUE;
             r.Read();
         },
         STATUS_CANCELLED, kNotCompleted},
        {"a status request answers the waiting read",
         [](Rig& r) {
             EXPECT_EQ(r.Read(), STATUS_PENDING);
             EXPECT_TRUE(r.read.pending_marked);
             r.Write(0x0A);
         },
         STATUS_SUCCESS, STATUS_SUCCESS},
        {"a read after the status request gets the answer",
         [](Rig& r) {
             r.Write(0x0A);
             r.Read();
         },
         STATUS_SUCCESS, STATUS_SUCCESS},
        {"a relay command answers no read",
         [](Rig& r) {
             r.Read();
             r.Write(0x03);
         },
         kNotCompleted, STATUS_SUCCESS},
        {"waiting read cancelled",
         [](Rig& r) {
             r.Read();
             CancelFakeIrp(&r.device, &r.read);
         },
         STATUS_CANCELLED, kNotCompleted},
        {"waiting read failed when the device goes away",
         [](Rig& r) {
             r.Read();
             FailReads(&r.board, STATUS_DELETE_PENDING);
         },
         STATUS_DELETE_PENDING, kNotCompleted},
        {"a board that refuses writes",
         [](Rig& r) {
             r.board.firmware.refuses_writes = 1;
             r.Write(0x0A);
         },
         kNotCompleted, STATUS_IO_DEVICE_ERROR},
        {"an answer too big for the read's buffer",
         [](Rig& r) {
             r.Read(8);
             r.Write(0x0A);
         },
         STATUS_BUFFER_TOO_SMALL, STATUS_SUCCESS},
        {"an answer held back, then sent by the service",
         [](Rig& r) {
             r.board.firmware.answer_delay_ms = 100;
             r.Read();
             r.Write(0x0A);
             EXPECT_EQ(r.StatusOf(r.read), kNotCompleted);
             EXPECT_TRUE(r.board.answer_held);
             r.board.answer_held = false;
             DeliverAnswer(&r.board);
         },
         STATUS_SUCCESS, STATUS_SUCCESS},
    };
    for (const Case& c : cases) {
        Rig r;
        c.run(r);
        for (int i = 0; i < g_kernel.completion_count; ++i)
            EXPECT_FALSE(g_kernel.completions[i].under_lock) << c.name << ": completion " << i;
        EXPECT_EQ(g_kernel.spin_locks_held, 0) << c.name;
        EXPECT_EQ(r.StatusOf(r.read), c.read) << c.name;
        EXPECT_EQ(r.StatusOf(r.write), c.write) << c.name;
        if (c.read == STATUS_SUCCESS) {
            // The data bytes of the status answer (the wire form without its
            // report id): relays, ready, LEDs and firmware from the second.
            EXPECT_EQ(r.read.IoStatus.Information, kReadSize) << c.name;
            const UCHAR expected[] = {0, 0, 0, 0, 0, 0, 1, 0x3F, '0', '1', '2', '3'};
            EXPECT_EQ(std::memcmp(r.read_buffer, expected, sizeof expected), 0) << c.name;
        }
        if (c.write == STATUS_SUCCESS) {
            EXPECT_GE(g_service_requests, 1) << c.name;
        }
    }
}

TEST(StatePacing, WritesChangesOnlyAndAtMostEverySpacing) {
    VBoardState published{};
    published.applied_serial = 7;
    BoardPowerOn(&published.firmware, "0123");
    struct Case {
        const char* name;
        std::function<void(VBoardState&)> change;
        uint64_t since_ms;
        PublishWhen when;
        uint32_t wait_ms;
    };
    const Case cases[] = {
        {"nothing new", [](VBoardState&) {}, 5000, PublishWhen::kNever, 0},
        {"status requests only",
         [](VBoardState& s) {
             uint8_t ask[33] = {0, 'Q', 'v', 'o', 'x', 0x0A};
             BoardReceive(&s.firmware, ask, sizeof ask);
         },
         5000, PublishWhen::kNever, 0},
        {"a new Control, just after a write", [](VBoardState& s) { s.applied_serial = 8; }, 0,
         PublishWhen::kNow, 0},
        {"a relay switched, long after a write", [](VBoardState& s) { s.firmware.relays[2] = 1; },
         1000, PublishWhen::kNow, 0},
        {"a relay switched, 100 ms after a write", [](VBoardState& s) { s.firmware.relays[2] = 1; },
         100, PublishWhen::kLater, kStatePublishSpacingMs - 100},
        {"a relay switched, exactly the spacing after a write",
         [](VBoardState& s) { s.firmware.relays[4] = 1; }, kStatePublishSpacingMs,
         PublishWhen::kNow, 0},
        {"the LED mask", [](VBoardState& s) { s.firmware.led_mask = 0x21; }, 0, PublishWhen::kLater,
         kStatePublishSpacingMs},
        {"not ready", [](VBoardState& s) { s.firmware.ready = 0; }, 1000, PublishWhen::kNow, 0},
        {"the firmware text", [](VBoardState& s) { s.firmware.firmware[3] = '7'; }, 1000,
         PublishWhen::kNow, 0},
        {"an answer delay", [](VBoardState& s) { s.firmware.answer_delay_ms = 500; }, 1000,
         PublishWhen::kNow, 0},
        {"a command that left the relays as they were",
         [](VBoardState& s) {
             uint8_t to_nc[33] = {0, 'Q', 'v', 'o', 'x', 0x00};
             BoardReceive(&s.firmware, to_nc, sizeof to_nc);
         },
         1000, PublishWhen::kNow, 0},
    };
    for (const Case& c : cases) {
        VBoardState current = published;
        c.change(current);
        const PublishPlan plan = PlanStatePublication(&published, current, c.since_ms);
        EXPECT_EQ(plan.when, c.when) << c.name;
        EXPECT_EQ(plan.wait_ms, c.wait_ms) << c.name;
    }
    EXPECT_EQ(PlanStatePublication(nullptr, published, 0).when, PublishWhen::kNow);
}

} // namespace

VirtualBoard* BoardOf(DEVICE_OBJECT*) {
    return g_board;
}

void RequestService(VirtualBoard*) {
    ++g_service_requests;
}
