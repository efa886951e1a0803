#include "devlib/board_access.h"
#include "devlib/pellam_dll.h"
#include "tests/host/devlib/fake_hid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

FakeDevice Board(uint16_t pid) {
    FakeDevice d;
    d.product_id = pid;
    return d;
}

// A fresh fake, and a library that remembers no board's path.
void ResetAll() {
    ResetFake();
    for (RememberedPath& p : g_library.paths)
        p.used = false;
}

class DeviceLibrary : public ::testing::Test {
  protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override {
        // Whatever the call did, nothing stays open and every walk was ended.
        EXPECT_EQ(g_fake.currently_open, 0);
        EXPECT_EQ(g_fake.walks_begun, g_fake.walks_ended);
    }
    std::string Find(int32_t* result = nullptr) {
        char out[1100];
        std::memset(out, 0x5A, sizeof out);
        const int32_t r = FindPellamBoards(out);
        if (result) *result = r;
        return out;
    }
};

TEST_F(DeviceLibrary, BoardListInEnumerationOrderWithVendorAndProductFilter) {
    FakeDevice mouse = Board(0x0001);
    mouse.vendor_id = 0x845E;
    FakeDevice foreign = Board(0x9000);
    foreign.vendor_id = 0x0001; // any non-zero vendor id is never listed
    g_fake.devices = {Board(0x80A5), mouse, Board(0x7FFF), foreign, Board(0x8000), Board(0x80A5)};
    int32_t r = 0;
    EXPECT_EQ(Find(&r), "80A5|8000|80A5|");
    EXPECT_EQ(r, 1);
}

TEST_F(DeviceLibrary, NoBoardGivesEmptyTextAndZero) {
    int32_t r = 1;
    EXPECT_EQ(Find(&r), "");
    EXPECT_EQ(r, 0);
    g_fake.devices = {Board(0x7FFF)};
    EXPECT_EQ(Find(&r), "");
    EXPECT_EQ(r, 0);
}

TEST_F(DeviceLibrary, UnavailableDeviceSetLeavesOutUnchanged) {
    g_fake.set_available = false;
    char out[8] = "keep";
    EXPECT_EQ(FindPellamBoards(out), 0);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(ReadPellams(0x8001, out), 0);
    EXPECT_STREQ(out, "keep");
}

TEST_F(DeviceLibrary, SkipsHeldDevicesFailedDetailsAndOverlongPaths) {
    FakeDevice held = Board(0x8002);
    held.held_elsewhere = true;
    FakeDevice no_detail = Board(0x8003);
    no_detail.detail_fails = true;
    FakeDevice fits = Board(0x8004);
    fits.path_length = 495; // 4-byte size field + 495 characters + NUL = 500
    FakeDevice too_long = Board(0x8005);
    too_long.path_length = 496;
    g_fake.devices = {held, no_detail, fits, too_long, Board(0x8001)};
    EXPECT_EQ(Find(), "8004|8001|");
    char status[12];
    EXPECT_EQ(ReadPellams(0x8002, status), 0);
}

TEST_F(DeviceLibrary, ListStopsAt204EntriesWithinTheBuffer) {
    for (int i = 0; i < 210; ++i)
        g_fake.devices.push_back(Board(0x8000 + i));
    const std::string list = Find();
    EXPECT_EQ(list.size(), 204u * 5);
    EXPECT_EQ(list.substr(list.size() - 5), "80CB|");
}

TEST_F(DeviceLibrary, OpenBoardSkipsTheThresholdAndFillsAttributes) {
    FakeDevice low = Board(0x1234);
    low.version = 0x00AB;
    g_fake.devices = {Board(0x8001), low};
    ASSERT_EQ(OpenBoard(0x1234), 1);
    EXPECT_EQ(g_library.attributes.version_number, 0x00AB);
    CloseBoard();
    EXPECT_EQ(OpenBoard(0x4321), 0);
    EXPECT_EQ(g_library.board, hid::kNoDevice);
}

TEST_F(DeviceLibrary, EveryReportByte) {
    g_fake.devices = {Board(0x8001)};
    for (uint32_t type = 0; type <= 9; ++type)
        EXPECT_EQ(WritePellam(0x8001, type, 0xFF), 1);
    EXPECT_EQ(WritePellam(0x8001, 11, 0x12F), 1);
    char status[12];
    EXPECT_EQ(ReadPellams(0x8001, status), 1);
    const auto& w = g_fake.devices[0].written;
    ASSERT_EQ(w.size(), 12u);
    for (uint32_t i = 0; i < w.size(); ++i) {
        const uint8_t command = i <= 9 ? i : (i == 10 ? 0x0B : 0x0A);
        std::vector<uint8_t> expected(33, 0);
        std::memcpy(&expected[1], "Qvox", 4);
        expected[5] = command;
        if (command == 0x0B) expected[6] = 0x2F;
        EXPECT_EQ(w[i], expected) << "report " << i;
    }
}

TEST_F(DeviceLibrary, LedByteStaysInTheTableBetweenCalls) {
    g_fake.devices = {Board(0x8001)};
    WritePellam(0x8001, 11, 0x21);
    WritePellam(0x8001, 1, 0x3F); // value ignored for relay commands
    EXPECT_EQ(g_library.reports[0x0B][6], 0x21);
    EXPECT_EQ(g_fake.devices[0].written[1][6], 0);
    WritePellam(0x8001, 11, 0);
    EXPECT_EQ(g_fake.devices[0].written[2][6], 0);
}

TEST_F(DeviceLibrary, UnknownTypesOpenAndCloseButSendNothing) {
    g_fake.devices = {Board(0x8001)};
    EXPECT_EQ(WritePellam(0x8001, 10, 0), 0);
    EXPECT_EQ(WritePellam(0x8001, 12, 0), 0);
    EXPECT_EQ(WritePellam(0x8001, 0xFFFFFFFF, 0), 0);
    EXPECT_TRUE(g_fake.devices[0].written.empty());
    EXPECT_EQ(WritePellam(0x8002, 1, 0), 0);
}

TEST_F(DeviceLibrary, StatusBlockMapsInputBytes2To12) {
    FakeDevice d = Board(0x8001);
    const uint8_t bytes[] = {0x00, 0x01, 0x00, 0x00, 0x05, 0x01, 0x21, 0x30, 0x31, 0x32, 0x33};
    d.answer.assign(33, 0xEE);
    std::memcpy(&d.answer[2], bytes, sizeof bytes);
    g_fake.devices = {d};
    char out[16];
    std::memset(out, 0x77, sizeof out);
    ASSERT_EQ(ReadPellams(0x8001, out), 1);
    const uint8_t expected[] = {0x00, 0x01, 0x00, 0x00, 0x05, 0x01,
                                0x21, 0x30, 0x31, 0x32, 0x33, 0};
    EXPECT_EQ(std::memcmp(out, expected, 12), 0);
    EXPECT_EQ(static_cast<uint8_t>(out[12]), 0x77);
    EXPECT_EQ(g_fake.last_read_timeout, kStatusReadTimeoutMs);
}

TEST_F(DeviceLibrary, SilentBoardFailsTheReadAndLeavesOutAlone) {
    FakeDevice d = Board(0x8001);
    d.silent = true;
    g_fake.devices = {d};
    char out[12] = "unchanged";
    EXPECT_EQ(ReadPellams(0x8001, out), 0);
    EXPECT_STREQ(out, "unchanged");
}

// A write counts only when the device took the whole report. Without a
// report id the HID class may count only the 32 data bytes (Wine does).
TEST_F(DeviceLibrary, WriteThatDoesNotTakeTheWholeReportFails) {
    struct Case {
        int bytes_written;
        int32_t result;
    };
    const Case cases[] = {
        {FakeDevice::kWholeReport, 1}, {33, 1}, {32, 1}, {31, 0}, {0, 0}, {-1, 0}};
    for (const Case& c : cases) {
        FakeDevice d = Board(0x8001);
        d.bytes_written = c.bytes_written;
        d.answer[2] = 0x01;
        g_fake.devices = {d};
        g_fake.reads = 0;
        EXPECT_EQ(WritePellam(0x8001, 1, 0), c.result) << c.bytes_written;
        char out[12];
        std::memset(out, 0x5A, sizeof out);
        EXPECT_EQ(ReadPellams(0x8001, out), c.result) << c.bytes_written;
        // A status request the board did not take is not waited for.
        EXPECT_EQ(g_fake.reads, c.result) << c.bytes_written;
        EXPECT_EQ(out[0], c.result ? 0x01 : 0x5A) << c.bytes_written;
    }
}

TEST_F(DeviceLibrary, InputReportTooShortForTheStatusBlockFails) {
    for (size_t length : {0, 2, 12, 13, 33}) {
        FakeDevice d = Board(0x8001);
        d.answer.assign(length, 0x11);
        g_fake.devices = {d};
        char out[12];
        std::memset(out, 0x5A, sizeof out);
        const bool whole = length >= 13; // input bytes 2 to 12 are used
        EXPECT_EQ(ReadPellams(0x8001, out), whole ? 1 : 0) << length;
        EXPECT_EQ(out[10], whole ? 0x11 : 0x5A) << length;
        EXPECT_EQ(out[11], whole ? 0 : 0x5A) << length;
    }
}

TEST_F(DeviceLibrary, IdentityStringsAndVersion) {
    FakeDevice d = Board(0x8001);
    d.product = u"SWITCHDECK \u01355s"; // U+0135 keeps its low byte 0x35 ('5')
    d.manufacturer = u"Qvoxline";
    d.version = 0x00AB;
    g_fake.devices = {d};
    char out[128];
    EXPECT_EQ(GetProductString(0x8001, out), 1);
    EXPECT_STREQ(out, "SWITCHDECK 55s");
    EXPECT_EQ(GetManufacturerString(0x8001, out), 1);
    EXPECT_STREQ(out, "Qvoxline");
    EXPECT_EQ(GetVersionString(0x8001, out), 1);
    EXPECT_STREQ(out, "00AB");
    // Without a board: still 1, with texts that say nothing about a board.
    EXPECT_EQ(GetProductString(0x9999, out), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetVersionString(0x9999, out), 1);
    EXPECT_STREQ(out, "0000");
    EXPECT_EQ(TestDLL(out), 1);
    EXPECT_STREQ(out, "OK");
}

// After the first call a board is opened at its remembered path without a
// walk; a path that now leads nowhere, or to another device, is checked and
// the walk finds the board where it is now.
TEST_F(DeviceLibrary, BoardsAreOpenedAtTheirRememberedPathWhileItHoldsThem) {
    struct Case {
        const char* name;
        std::vector<uint16_t> later; // the devices present at the second call
        int32_t result;
        int walks; // by the second call
    };
    const Case cases[] = {
        {"same devices", {0x8001, 0x8002}, 1, 0},
        {"board moved to another path", {0x8002}, 1, 1},
        {"another device at its path", {0x8002, 0x8003}, 1, 1},
        {"board gone", {0x8001}, 0, 1},
    };
    for (const Case& c : cases) {
        ResetAll();
        for (uint16_t pid : {0x8001, 0x8002})
            g_fake.devices.push_back(Board(pid));
        char out[12];
        ASSERT_EQ(ReadPellams(0x8002, out), 1) << c.name; // walks, remembers "#1"
        g_fake.devices.clear();
        for (uint16_t pid : c.later)
            g_fake.devices.push_back(Board(pid));
        const int walks_before = g_fake.walks_begun;
        EXPECT_EQ(ReadPellams(0x8002, out), c.result) << c.name;
        EXPECT_EQ(g_fake.walks_begun - walks_before, c.walks) << c.name;
        EXPECT_EQ(g_fake.currently_open, 0) << c.name;
    }
    // Listing remembers every board it found.
    ResetAll();
    g_fake.devices = {Board(0x8003), Board(0x8004)};
    Find();
    const int walks_before = g_fake.walks_begun;
    char text[128];
    EXPECT_EQ(GetVersionString(0x8004, text), 1);
    EXPECT_EQ(WritePellam(0x8003, 1, 0), 1);
    EXPECT_EQ(g_fake.walks_begun, walks_before);
}

// A board with two interfaces carrying its ids is opened at the first, the
// one a walk opens, also after a listing has seen both.
TEST_F(DeviceLibrary, ListingRemembersTheInterfaceAWalkWouldOpen) {
    FakeDevice second = Board(0x8001);
    second.silent = true;
    g_fake.devices = {Board(0x8001), second};
    Find();
    char out[12];
    EXPECT_EQ(ReadPellams(0x8001, out), 1);
}

TEST_F(DeviceLibrary, ABoardHeldElsewhereIsNotOpenedAtItsRememberedPath) {
    g_fake.devices = {Board(0x8001)};
    char out[12];
    ASSERT_EQ(ReadPellams(0x8001, out), 1);
    g_fake.devices[0].held_elsewhere = true;
    EXPECT_EQ(ReadPellams(0x8001, out), 0);
    g_fake.devices[0].held_elsewhere = false;
    EXPECT_EQ(ReadPellams(0x8001, out), 1);
}

TEST_F(DeviceLibrary, NarrowTextKeepsLowBytesAndStaysInBounds) {
    const uint16_t wide[] = {0x41, 0x1FF, 0xFF41, 0x42, 0};
    char out[3];
    NarrowText(wide, out, sizeof out);
    EXPECT_EQ(out[0], 'A');
    EXPECT_EQ(static_cast<uint8_t>(out[1]), 0xFF);
    EXPECT_EQ(out[2], 0);
}

} // namespace
