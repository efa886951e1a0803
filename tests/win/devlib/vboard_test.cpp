// The real HID build of the device library, dist/Pellam_DLL.dll, against
// virtual boards in Wine's own HID stack: the SetupAPI walk, attribute and
// string requests, exclusive opens and the overlapped report exchange of the
// build an operator installs. Every test starts from the default board 8001.
#include "tests/win/devlib/library.h"
#include "tests/win/devlib/sim_fixture.h"
#include "tools/vboard/vboard_control.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

std::string Inf() {
    return DistPath("vboard/pellam_vboard.inf");
}

class VirtualBoards : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(lib.module, nullptr);
        ASSERT_TRUE(ResetVirtualBoards(Inf())) << VirtualBoardError();
    }
    void TearDown() override { EXPECT_TRUE(ResetVirtualBoards(Inf())) << VirtualBoardError(); }

    std::string Boards() {
        char out[1100] = "untouched";
        lib.FindPellamBoards(out);
        return out;
    }
    // The status block, or a sentinel-filled one when the read fails.
    std::vector<uint8_t> Status(uint32_t id, int32_t* result = nullptr) {
        std::vector<uint8_t> out(16, 0xEE);
        const int32_t r = lib.ReadPellams(id, reinterpret_cast<char*>(out.data()));
        if (result) *result = r;
        return out;
    }
    BoardFirmware Firmware(VBoardId id = kDefaultVBoard) {
        VBoardInfo board;
        EXPECT_TRUE(ReadVirtualBoard(id, &board)) << VirtualBoardError();
        return board.state.firmware;
    }
    void Add(VBoardId id, const char* product, uint16_t version, const char* manufacturer) {
        VBoardInfo board;
        board.id = id;
        board.product = product;
        board.version_number = version;
        board.manufacturer = manufacturer;
        ASSERT_TRUE(AddVirtualBoard(board, "0123", Inf())) << VirtualBoardError();
    }

    Library lib{DistPath("Pellam_DLL.dll")};
};

TEST_F(VirtualBoards, DefaultBoardAnswersEveryExport) {
    char text[128];
    EXPECT_EQ(lib.TestDLL(text), 1);
    EXPECT_STREQ(text, "OK");
    EXPECT_EQ(Boards(), "8001|");
    EXPECT_EQ(lib.GetProductString(0x8001, text), 1);
    EXPECT_STREQ(text, "SWITCHDECK 5s");
    EXPECT_EQ(lib.GetManufacturerString(0x8001, text), 1);
    EXPECT_STREQ(text, "Qvoxline Circuits");
    EXPECT_EQ(lib.GetVersionString(0x8001, text), 1);
    EXPECT_STREQ(text, "0100");

    int32_t r = 0;
    std::vector<uint8_t> s = Status(0x8001, &r);
    ASSERT_EQ(r, 1);
    const std::vector<uint8_t> initial = {0,   0,   0,   0, 0,    1,    0x3F, '0',
                                          '1', '2', '3', 0, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(s, initial);
    // Each relay both ways; the others stay where they are.
    for (uint32_t relay = 0; relay < 5; ++relay) {
        ASSERT_EQ(lib.WritePellam(0x8001, 2 * relay + 1, 0), 1) << relay;
        s = Status(0x8001);
        for (uint32_t other = 0; other < 5; ++other)
            EXPECT_EQ(s[other], other <= relay ? 1 : 0) << relay << " " << other;
    }
    for (uint32_t relay = 0; relay < 5; ++relay) {
        ASSERT_EQ(lib.WritePellam(0x8001, 2 * relay, 0), 1) << relay;
        EXPECT_EQ(Status(0x8001)[relay], 0) << relay;
    }
    EXPECT_EQ(lib.WritePellam(0x8001, 11, 0x12F), 1);
    EXPECT_EQ(Status(0x8001)[6], 0x2F);

    // What reached the board: the 33-byte wire form of the LED command, then
    // the status request; types 10 and 12 send nothing.
    BoardFirmware before = Firmware();
    EXPECT_EQ(lib.WritePellam(0x8001, 10, 0), 0);
    EXPECT_EQ(lib.WritePellam(0x8001, 12, 0), 0);
    EXPECT_EQ(lib.WritePellam(0x8001, 11, 0x21), 1);
    const BoardFirmware after = Firmware();
    EXPECT_EQ(after.reports_received, before.reports_received + 1);
    uint8_t expected[kBoardReportSize] = {0, 'Q', 'v', 'o', 'x', 0x0B, 0x21};
    EXPECT_EQ(std::memcmp(BoardLastReport(&after), expected, kBoardReportSize), 0);
    EXPECT_EQ(after.led_mask, 0x21);
}

// What the walk sees besides the default board: Wine's own mouse and
// keyboard, a board of another vendor, one below product id 0x8000.
TEST_F(VirtualBoards, TwoBoardsAmongDevicesThatAreNotBoards) {
    Add({0x0000, 0x80A5}, "SWITCHDECK 8x", 0x00AB, "Other Maker");
    Add({0x1234, 0x8002}, "SWITCHDECK 5s", 0x0100, "Qvoxline Circuits");
    Add({0x0000, 0x7FFF}, "SWITCHDECK 5s", 0x0100, "Qvoxline Circuits");
    EXPECT_EQ(Boards(), "8001|80A5|");
    char text[128];
    lib.GetProductString(0x80A5, text);
    EXPECT_STREQ(text, "SWITCHDECK 8x");
    lib.GetManufacturerString(0x80A5, text);
    EXPECT_STREQ(text, "Other Maker");
    lib.GetVersionString(0x80A5, text);
    EXPECT_STREQ(text, "00AB");

    ASSERT_EQ(lib.WritePellam(0x80A5, 3, 0), 1);
    EXPECT_EQ(Status(0x80A5)[1], 1);
    EXPECT_EQ(Status(0x8001)[1], 0);
    int32_t r = 1;
    Status(0x8002, &r); // its vendor id is not 0x0000
    EXPECT_EQ(r, 0);
    Status(0x7FFF, &r); // opening by id applies no threshold
    EXPECT_EQ(r, 1);
    EXPECT_EQ(Firmware({0x1234, 0x8002}).reports_received, 0u);
}

// A board with a second HID interface carrying its ids: after a listing
// has seen both, the library still talks to the interface its walk opens.
TEST_F(VirtualBoards, ASecondInterfaceWithTheBoardsIdsIsNotTheOneRemembered) {
    VBoardInfo twin;
    twin.id = {0x0000, 0x8001, 1};
    ASSERT_TRUE(AddVirtualBoard(twin, "TWIN", Inf())) << VirtualBoardError();
    const std::vector<uint8_t> walked = Status(0x8001); // a walk: the first interface
    EXPECT_EQ(Boards(), "8001|8001|");
    EXPECT_EQ(Status(0x8001), walked); // firmware "0123" or "TWIN" tells them apart
}

TEST_F(VirtualBoards, WinesOwnHidDevicesAreNeverListedOrOpened) {
    EXPECT_EQ(Boards(), "8001|");
    int32_t r = 1;
    const std::vector<uint8_t> s = Status(0x0001, &r); // the mouse's product id
    EXPECT_EQ(r, 0);
    EXPECT_EQ(s[0], 0xEE);
    EXPECT_EQ(lib.WritePellam(0x0002, 1, 0), 0); // the keyboard's
    char text[128];
    lib.GetProductString(0x0001, text);
    EXPECT_STREQ(text, "");
}

TEST_F(VirtualBoards, FaultModes) {
    struct Case {
        const char* name;
        std::function<void(VBoardControl&)> mode;
        int32_t write_result;
        int32_t read_result;
        DWORD min_ms, max_ms; // how long the status read takes
    };
    const Case cases[] = {
        {"not ready", [](VBoardControl& c) { c.ready = 0; }, 1, 1, 0, 1000},
        {"silent", [](VBoardControl& c) { c.silent = 1; }, 1, 0, 250, 1000},
        {"refuses writes", [](VBoardControl& c) { c.refuses_writes = 1; }, 0, 0, 0, 200},
        // Wine's HID class drops an input report shorter than the descriptor
        // says, so the read waits out its bound.
        {"short answers", [](VBoardControl& c) { c.short_answers = 1; }, 1, 0, 0, 1000},
        {"answers after 100 ms", [](VBoardControl& c) { c.answer_delay_ms = 100; }, 1, 1, 90, 1000},
        {"answers after 500 ms", [](VBoardControl& c) { c.answer_delay_ms = 500; }, 1, 0, 250,
         1000},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ChangeVirtualBoard(kDefaultVBoard, c.mode)) << VirtualBoardError();
        const uint32_t received = Firmware().reports_received;
        EXPECT_EQ(lib.WritePellam(0x8001, 9, 0), c.write_result) << c.name;
        int32_t r = -1;
        const DWORD start = GetTickCount();
        const std::vector<uint8_t> s = Status(0x8001, &r);
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(r, c.read_result) << c.name;
        EXPECT_GE(elapsed, c.min_ms) << c.name;
        EXPECT_LT(elapsed, c.max_ms) << c.name;
        if (r == 1) {
            EXPECT_EQ(s[4], 1) << c.name;                        // relay 5 went to NO
            EXPECT_EQ(s[5], c.name[0] == 'n' ? 0 : 1) << c.name; // the ready flag
        } else {
            EXPECT_EQ(s[0], 0xEE) << c.name; // out unchanged
        }
        EXPECT_EQ(Firmware().reports_received - received, c.write_result ? 2u : 0u) << c.name;
        // Back to normal, nothing stale is left behind.
        ASSERT_TRUE(ResetVirtualBoards(Inf())) << VirtualBoardError();
        Status(0x8001, &r);
        EXPECT_EQ(r, 1) << c.name;
    }
}

TEST_F(VirtualBoards, UnpluggedAndPluggedBack) {
    int32_t r = 0;
    Status(0x8001, &r);
    ASSERT_EQ(r, 1);
    ASSERT_TRUE(UnplugVirtualBoard(kDefaultVBoard)) << VirtualBoardError();
    EXPECT_EQ(Boards(), "");
    Status(0x8001, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(lib.WritePellam(0x8001, 1, 0), 0);
    ASSERT_TRUE(PlugVirtualBoard(kDefaultVBoard)) << VirtualBoardError();
    EXPECT_EQ(Boards(), "8001|");
    EXPECT_EQ(lib.WritePellam(0x8001, 1, 0), 1);
    const std::vector<uint8_t> s = Status(0x8001, &r);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(s[0], 1);
}

// The driver writes the board's State into the registry's SYSTEM hive only
// when the board changed, at most a few times a second, and still soon
// enough for the board panel, which reads it without asking first.
TEST_F(VirtualBoards, StateIsWrittenOnChangeOnlyAndPaced) {
    auto state = [] {
        for (const VBoardInfo& b : ListVirtualBoards())
            if (b.id.product_id == kDefaultVBoard.product_id && b.id.interface_number == 0)
                return b.state;
        return VBoardState{};
    };
    // Polled as the program polls it, ten status requests a second.
    const uint32_t before = state().publications;
    for (int i = 0; i < 15; ++i) {
        Status(0x8001);
        Sleep(100);
    }
    EXPECT_EQ(state().publications, before);

    // A relay command shows without a request of the control side.
    ASSERT_EQ(lib.WritePellam(0x8001, 5, 0), 1); // relay 3 to NO
    DWORD start = GetTickCount();
    while (state().firmware.relays[2] != 1 && GetTickCount() - start < 2000)
        Sleep(10);
    EXPECT_EQ(state().firmware.relays[2], 1);
    EXPECT_LT(GetTickCount() - start, 1000u);

    // Relay 1 switched twenty times in a second and a half: a write per
    // change would be twenty.
    Sleep(300);
    const uint32_t first = state().publications;
    start = GetTickCount();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(lib.WritePellam(0x8001, i % 2 ? 0 : 1, 0), 1);
        Status(0x8001);
        Sleep(75);
    }
    Sleep(400); // the last change is written once its turn comes
    const DWORD elapsed = GetTickCount() - start;
    const VBoardState last = state();
    EXPECT_LE(last.publications - first, elapsed / 250 + 2) << elapsed << " ms";
    EXPECT_GE(last.publications - first, 3u);
    EXPECT_EQ(last.firmware.relays[0], 0); // the last command: relay 1 to NC
}

TEST_F(VirtualBoards, ToolSetsModesAndSwitchesRelaysByHand) {
    const std::string vboard = "\"" + DistPath("vboard/vboard.exe") + "\" ";
    ASSERT_EQ(RunToEnd(vboard + "ready 8001 0"), 0);
    ASSERT_EQ(RunToEnd(vboard + "relay 8001 4 1"), 0);
    ASSERT_EQ(RunToEnd(vboard + "led 8001 0x05"), 0);
    ASSERT_EQ(RunToEnd(vboard + "firmware 8001 4567"), 0);
    const std::vector<uint8_t> s = Status(0x8001);
    const std::vector<uint8_t> expected = {0, 0, 0, 1, 0, 0, 0x05, '4', '5', '6', '7', 0};
    EXPECT_EQ(std::vector<uint8_t>(s.begin(), s.begin() + 12), expected);
    EXPECT_NE(RunToEnd(vboard + "ready 9999 0"), 0); // no such board
}

} // namespace
