// libFuzzer target for what boards can feed the device library: any set of
// HID devices behind the host tests' fake seam (ids, version numbers,
// product and manufacturer strings, device paths of any length, input
// reports of any length, devices that do not open, never answer or do not
// take a report whole), then
// any sequence of calls to the library's exports. Output buffers have
// exactly the size each export promises to stay within, so ASan catches a
// byte written past them; every result is checked against the devices.
#include "devlib/board_access.h"
#include "devlib/pellam_dll.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/host/devlib/fake_hid.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kMaxDevices = 255; // past the board list's 204 entries

bool Opens(const FakeDevice& d) {
    return !d.held_elsewhere && !d.detail_fails && d.path_length + 1 <= kDetailBufferSize - 4;
}

// The devices an exchange with `id` may reach: those that open and have
// vendor id 0 and this product id. Which of them is used depends on the
// path the library remembers from an earlier call.
std::vector<const FakeDevice*> Candidates(uint32_t id) {
    std::vector<const FakeDevice*> found;
    for (const FakeDevice& d : g_fake.devices)
        if (Opens(d) && d.vendor_id == 0 && d.product_id == id) found.push_back(&d);
    return found;
}

// Whether the device takes a 33-byte report whose id byte is 0: all of it
// (recorded by the fake when it is not told otherwise), or the 32 bytes
// after the id.
bool TakesReports(const FakeDevice& d) {
    return d.bytes_written == FakeDevice::kWholeReport ||
           d.bytes_written == static_cast<int>(kOutputReportSize) ||
           d.bytes_written == static_cast<int>(kOutputReportSize) - 1;
}

// The low bytes of the code units up to the first zero unit, at most 255
// units read and 127 characters kept, and the terminator.
std::string Narrowed(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size() && i < 255 && out.size() < 127 && s[i] != 0; ++i)
        out.push_back(static_cast<char>(s[i] & 0xFF));
    out.push_back(0);
    return out;
}

std::u16string Wide(FuzzInput& in) {
    std::vector<uint8_t> b = in.Bytes(2 * (in.Word() % 300));
    std::u16string s;
    for (size_t i = 0; i + 1 < b.size(); i += 2)
        s.push_back(static_cast<char16_t>(b[i] | b[i + 1] << 8));
    return s;
}

void AddDevices(FuzzInput& in) {
    size_t count = in.Byte();
    if (count != 255) count %= 7; // a few, or more than the board list holds
    for (size_t i = 0; i < count && i < kMaxDevices; ++i) {
        FakeDevice d;
        uint8_t flags = in.Byte();
        d.vendor_id = (flags & 1) ? in.Word() : 0;
        d.held_elsewhere = flags & 2;
        d.detail_fails = flags & 4;
        d.silent = flags & 8;
        if (flags & 32) d.bytes_written = in.Byte() % 36 - 1; // a write that fails or is short
        d.product_id = (flags & 16) ? in.Word() : static_cast<uint16_t>(0x8000 + in.Byte() % 4);
        d.version = in.Word();
        d.path_length = 16 + in.Word() % 600;
        d.answer = in.Sized(200);
        d.product = Wide(in);
        d.manufacturer = Wide(in);
        g_fake.devices.push_back(d);
        g_fake.devices.back().answer.reserve(1); // an empty report has a buffer too
    }
}

uint32_t PickId(FuzzInput& in) {
    uint8_t how = in.Byte();
    if ((how & 3) != 0 && !g_fake.devices.empty())
        return g_fake.devices[in.Byte() % g_fake.devices.size()].product_id;
    return (how & 4) ? 0x10000u | in.Word() : in.Word();
}

// A zero-filled block of exactly `size` bytes, pre-set to a sentinel.
std::unique_ptr<char[]> Buffer(size_t size) {
    std::unique_ptr<char[]> b(new char[size]);
    std::memset(b.get(), 0x5A, size);
    return b;
}

bool Unchanged(const char* b, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (b[i] != 0x5A) return false;
    return true;
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void CheckBoardList(const char* out, int32_t found) {
    size_t length = strnlen(out, 1024);
    Expect(length < 1024 && length % 5 == 0 && length / 5 <= 204);
    std::string expected;
    for (const FakeDevice& d : g_fake.devices) {
        if (expected.size() == 5 * 204) break;
        if (!Opens(d) || d.vendor_id != 0 || d.product_id < 0x8000) continue;
        char id[8];
        std::snprintf(id, sizeof id, "%04X|", d.product_id);
        expected += id;
    }
    Expect(expected == out);
    Expect(found == (length > 0 ? 1 : 0));
}

// The reports written by this call, each with the device that took it.
std::vector<std::pair<const FakeDevice*, std::vector<uint8_t>>>
NewReports(const std::vector<size_t>& before) {
    std::vector<std::pair<const FakeDevice*, std::vector<uint8_t>>> reports;
    for (size_t i = 0; i < g_fake.devices.size(); ++i)
        for (size_t r = before[i]; r < g_fake.devices[i].written.size(); ++r)
            reports.emplace_back(&g_fake.devices[i], g_fake.devices[i].written[r]);
    return reports;
}

bool IsReport(const std::vector<uint8_t>& r, uint8_t command, uint8_t parameter) {
    if (r.size() != kOutputReportSize || r[0] != 0 || std::memcmp(&r[1], "Qvox", 4) != 0 ||
        r[5] != command || r[6] != parameter)
        return false;
    for (size_t i = 7; i < r.size(); ++i)
        if (r[i] != 0) return false;
    return true;
}

bool Among(const FakeDevice* d, const std::vector<const FakeDevice*>& candidates) {
    for (const FakeDevice* c : candidates)
        if (c == d) return true;
    return false;
}

// The status block a device's answer gives, when it gives one.
bool StatusOf(const FakeDevice& d, std::string& block) {
    if (d.silent || d.answer.size() < 13 || !TakesReports(d)) return false;
    block.assign(d.answer.begin() + 2, d.answer.begin() + 13);
    block.push_back(0);
    return true;
}

void Call(FuzzInput& in) {
    std::vector<size_t> before;
    for (const FakeDevice& d : g_fake.devices)
        before.push_back(d.written.size());
    uint32_t id = PickId(in);
    std::vector<const FakeDevice*> boards = Candidates(id);
    switch (in.Byte() % 7) {
    case 0: {
        auto out = Buffer(1024);
        CheckBoardList(out.get(), FindPellamBoards(out.get()));
        break;
    }
    case 1: {
        auto out = Buffer(12);
        int32_t r = ReadPellams(id, out.get());
        auto sent = NewReports(before);
        Expect(sent.size() <= 1);
        for (const auto& s : sent)
            Expect(Among(s.first, boards) && IsReport(s.second, 0x0A, 0));
        if (r == 0) {
            Expect(Unchanged(out.get(), 12));
            break;
        }
        // The block is the answer of a board that took the request, and of
        // the one that recorded it, if one did.
        Expect(r == 1);
        bool matched = false;
        for (const FakeDevice* b : boards) {
            std::string block;
            if ((sent.empty() || sent[0].first == b) && StatusOf(*b, block))
                matched = matched || std::memcmp(out.get(), block.data(), 12) == 0;
        }
        Expect(matched);
        break;
    }
    case 2: {
        uint32_t type = in.Byte() % 16, value = in.Word();
        int32_t r = WritePellam(id, type, value);
        auto sent = NewReports(before);
        bool valid = type <= 9 || type == 11;
        Expect(sent.size() <= 1 && (sent.empty() || valid));
        for (const auto& s : sent)
            Expect(Among(s.first, boards) &&
                   IsReport(s.second, static_cast<uint8_t>(type), type == 11 ? value & 0xFF : 0));
        if (r == 0) break; // no board, a type that is no command, or a write not taken
        Expect(r == 1 && valid);
        bool taken = !sent.empty();
        for (const FakeDevice* b : boards)
            taken = taken || TakesReports(*b);
        Expect(taken);
        break;
    }
    case 3:
    case 4: {
        bool product = in.Byte() & 1;
        auto out = Buffer(128);
        int32_t r =
            product ? GetProductString(id, out.get()) : GetManufacturerString(id, out.get());
        Expect(r == 1 && strnlen(out.get(), 128) < 128);
        bool matched = boards.empty() && out[0] == 0;
        for (const FakeDevice* b : boards) {
            std::string expected = Narrowed(product ? b->product : b->manufacturer);
            matched = matched || std::memcmp(out.get(), expected.data(), expected.size()) == 0;
        }
        Expect(matched);
        break;
    }
    case 5: {
        auto out = Buffer(5);
        Expect(GetVersionString(id, out.get()) == 1);
        bool matched = false;
        char expected[8];
        std::snprintf(expected, sizeof expected, "0000");
        if (boards.empty()) matched = std::memcmp(out.get(), expected, 5) == 0;
        for (const FakeDevice* b : boards) {
            std::snprintf(expected, sizeof expected, "%04X", b->version);
            matched = matched || std::memcmp(out.get(), expected, 5) == 0;
        }
        Expect(matched);
        break;
    }
    default: {
        auto out = Buffer(3);
        Expect(TestDLL(out.get()) == 1 && std::memcmp(out.get(), "OK", 3) == 0);
        break;
    }
    }
    // Every exchange leaves no device open and no walk unfinished.
    Expect(g_fake.currently_open == 0 && g_library.board == hid::kNoDevice);
    Expect(g_fake.walks_begun == g_fake.walks_ended);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFake();
    // As at load, so that an input always runs the same way: the LED byte,
    // and no board paths remembered from the inputs before.
    g_library.reports[0x0B][6] = 0;
    std::memset(g_library.paths, 0, sizeof g_library.paths);
    g_library.next_path = 0;
    FuzzInput in(data, size);
    AddDevices(in);
    for (int calls = 1 + in.Byte() % 8; calls > 0; --calls)
        Call(in);
    return 0;
}
