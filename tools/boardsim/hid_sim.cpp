// Simulated backend of the HID seam: the boards of the shared simulator
// table appear as HID interfaces, and each device opens exclusively across
// every process of the Wine prefix, as a real device would.
#include "devlib/hid_seam.h"

#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace hid {
namespace {

int g_walk_slots[kSimMaxBoards];
int g_walk_count = 0;

// The board behind an open handle, while it is still ours and plugged in.
SimBoard* OwnedBoard(Device device) {
    const int slot = static_cast<int>(device) - 1;
    if (slot < 0 || slot >= kSimMaxBoards) return nullptr;
    SimBoard* b = &SimTableView()->boards[slot];
    if (!b->in_use || !b->plugged || b->owner_pid != GetCurrentProcessId()) return nullptr;
    return b;
}

bool ReadString(Device device, bool product, uint16_t* buffer, size_t bytes) {
    SimLock lock;
    SimBoard* b = OwnedBoard(device);
    if (!b || bytes < 2) return false;
    const uint16_t* text = product ? b->product : b->manufacturer;
    size_t i = 0;
    for (; (i + 1) * 2 <= bytes - 2 && text[i] != 0; ++i)
        buffer[i] = text[i];
    buffer[i] = 0;
    return true;
}

} // namespace

bool BeginWalk() {
    SimTable* t = SimTableView();
    if (!t) return false;
    SimLock lock;
    g_walk_count = 0;
    if (!SimFileIntact()) return true; // the boards' file is gone: no board is attached
    for (int i = 0; i < kSimMaxBoards; ++i)
        if (t->boards[i].in_use && t->boards[i].plugged) g_walk_slots[g_walk_count++] = i;
    return true;
}

InterfaceResult FetchInterface(uint32_t index, char* path, size_t capacity) {
    if (index >= static_cast<uint32_t>(g_walk_count)) return InterfaceResult::End;
    SimBoard b;
    if (!SimGetBoard(g_walk_slots[index], &b)) return InterfaceResult::Skip;
    const int n = std::snprintf(path, capacity,
                                "\\\\?\\hid#vid_%04x&pid_%04x#sim&%d#"
                                "{4d1e55b2-f16f-11cf-88cb-001111000030}",
                                b.vendor_id, b.product_id, g_walk_slots[index]);
    return (n < 0 || static_cast<size_t>(n) >= capacity) ? InterfaceResult::Skip
                                                         : InterfaceResult::Ok;
}

void EndWalk() {
    g_walk_count = 0;
}

Device OpenExclusive(const char* path) {
    const char* at = std::strstr(path, "#sim&");
    int slot = -1;
    if (!at || std::sscanf(at, "#sim&%d#", &slot) != 1 || !SimFileIntact()) return kNoDevice;
    return SimClaim(slot) ? static_cast<Device>(slot + 1) : kNoDevice;
}

void CloseDevice(Device device) {
    SimUnclaim(static_cast<int>(device) - 1);
}

bool ReadAttributes(Device device, Attributes* attributes) {
    SimLock lock;
    SimBoard* b = OwnedBoard(device);
    if (!b) return false;
    *attributes = Attributes{b->vendor_id, b->product_id, b->version_number};
    return true;
}

bool ReadProductString(Device device, uint16_t* buffer, size_t bytes) {
    return ReadString(device, true, buffer, bytes);
}

bool ReadManufacturerString(Device device, uint16_t* buffer, size_t bytes) {
    return ReadString(device, false, buffer, bytes);
}

int WriteReport(Device device, const uint8_t* report, size_t length) {
    SimLock lock;
    SimBoard* b = OwnedBoard(device);
    const uint32_t commands_before = b ? b->commands_received : 0;
    if (!b || !BoardReceive(b, report, length)) return -1;
    if (b->commands_received != commands_before) {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        b->command_times_us[commands_before % kSimReportLog] =
            now.QuadPart / frequency.QuadPart * 1000000 +
            now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
    }
    ++SimTableView()->changes;
    // A relay or LED change is kept for the next run.
    if (b->commands_received != commands_before) SimSaveBoard(static_cast<int>(device) - 1);
    return static_cast<int>(length);
}

int ReadReport(Device device, uint8_t* buffer, size_t capacity, uint32_t timeout_ms) {
    int n = -1;
    uint32_t delay_ms = timeout_ms; // no answer is coming: a real read waits out its limit
    {
        SimLock lock;
        SimBoard* b = OwnedBoard(device);
        if (!b) return -1;
        n = BoardAnswer(b, buffer, capacity);
        if (n >= 0) delay_ms = b->answer_delay_ms;
    }
    if (delay_ms >= timeout_ms) {
        Sleep(timeout_ms);
        return -1;
    }
    if (delay_ms > 0) Sleep(delay_ms);
    return n;
}

} // namespace hid
