#include "tests/host/devlib/fake_hid.h"

#include <cstring>

FakeHid g_fake;

void ResetFake() {
    g_fake = FakeHid{};
}

namespace hid {

static FakeDevice* At(Device d) {
    return (d >= 0 && static_cast<size_t>(d) < g_fake.devices.size()) ? &g_fake.devices[d]
                                                                      : nullptr;
}

bool BeginWalk() {
    if (!g_fake.set_available) return false;
    ++g_fake.walks_begun;
    return true;
}

InterfaceResult FetchInterface(uint32_t index, char* path, size_t capacity) {
    if (index >= g_fake.devices.size()) return InterfaceResult::End;
    const FakeDevice& d = g_fake.devices[index];
    if (d.detail_fails || d.path_length + 1 > capacity) return InterfaceResult::Skip;
    std::string p = "\\\\?\\hid#" + std::to_string(index);
    p.resize(d.path_length, 'x');
    std::memcpy(path, p.c_str(), p.size() + 1);
    return InterfaceResult::Ok;
}

void EndWalk() {
    ++g_fake.walks_ended;
}

Device OpenExclusive(const char* path) {
    const Device index = std::strtol(path + 8, nullptr, 10);
    FakeDevice* d = At(index);
    if (!d || d->held_elsewhere || d->open_count > 0) return kNoDevice;
    ++d->open_count;
    ++g_fake.currently_open;
    return index;
}

void CloseDevice(Device device) {
    if (FakeDevice* d = At(device)) {
        --d->open_count;
        --g_fake.currently_open;
    }
}

bool ReadAttributes(Device device, Attributes* a) {
    FakeDevice* d = At(device);
    *a = Attributes{d->vendor_id, d->product_id, d->version};
    return true;
}

static bool ReadWide(const std::u16string& s, uint16_t* buffer, size_t bytes) {
    size_t i = 0;
    for (; i < s.size() && (i + 1) * 2 < bytes; ++i)
        buffer[i] = s[i];
    buffer[i] = 0;
    return true;
}

bool ReadProductString(Device device, uint16_t* buffer, size_t bytes) {
    return ReadWide(At(device)->product, buffer, bytes);
}

bool ReadManufacturerString(Device device, uint16_t* buffer, size_t bytes) {
    return ReadWide(At(device)->manufacturer, buffer, bytes);
}

int WriteReport(Device device, const uint8_t* report, size_t length) {
    FakeDevice* d = At(device);
    if (d->bytes_written != FakeDevice::kWholeReport) return d->bytes_written;
    d->written.emplace_back(report, report + length);
    return static_cast<int>(length);
}

int ReadReport(Device device, uint8_t* buffer, size_t capacity, uint32_t timeout_ms) {
    g_fake.last_read_timeout = timeout_ms;
    ++g_fake.reads;
    FakeDevice* d = At(device);
    if (d->silent) return -1;
    const size_t n = d->answer.size() < capacity ? d->answer.size() : capacity;
    if (n > 0) std::memcpy(buffer, d->answer.data(), n);
    return static_cast<int>(n);
}

} // namespace hid
