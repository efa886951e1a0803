// The device library linked at load time, as Pellam.exe links it, against
// the simulated boards.
#include "devlib/pellam_dll.h"
#include "tests/win/devlib/sim_fixture.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string Boards() {
    char out[1100] = "";
    FindPellamBoards(out);
    return out;
}

bool Status(uint32_t id, uint8_t out[12]) {
    return ReadPellams(id, reinterpret_cast<char*>(out)) == 1;
}

TEST_F(SimulatedBoards, DefaultBoardAnswersEveryExport) {
    char text[128];
    EXPECT_EQ(TestDLL(text), 1);
    EXPECT_STREQ(text, "OK");
    char list[1100];
    EXPECT_EQ(FindPellamBoards(list), 1);
    EXPECT_STREQ(list, "8001|");
    EXPECT_EQ(GetProductString(0x8001, text), 1);
    EXPECT_STREQ(text, "SWITCHDECK 5s");
    EXPECT_EQ(GetManufacturerString(0x8001, text), 1);
    EXPECT_STREQ(text, "Qvoxline Circuits");
    EXPECT_EQ(GetVersionString(0x8001, text), 1);
    EXPECT_STREQ(text, "0100");

    uint8_t s[12];
    ASSERT_TRUE(Status(0x8001, s));
    const uint8_t initial[] = {0, 0, 0, 0, 0, 1, 0x3F, '0', '1', '2', '3', 0};
    EXPECT_EQ(std::memcmp(s, initial, 12), 0);

    EXPECT_EQ(WritePellam(0x8001, 5, 0), 1);
    ASSERT_TRUE(Status(0x8001, s));
    EXPECT_NE(s[2], 0);
    EXPECT_EQ(WritePellam(0x8001, 11, 0x12F), 1);
    ASSERT_TRUE(Status(0x8001, s));
    EXPECT_EQ(s[6], 0x2F);
    EXPECT_EQ(WritePellam(0x8001, 4, 0), 1);
    ASSERT_TRUE(Status(0x8001, s));
    EXPECT_EQ(s[2], 0);
}

TEST_F(SimulatedBoards, RefusedTypesAndAbsentIdsSendNothing) {
    SimBoard before, after;
    ASSERT_TRUE(SimGetBoard(0, &before));
    EXPECT_EQ(WritePellam(0x8001, 10, 0), 0);
    EXPECT_EQ(WritePellam(0x8001, 12, 0), 0);
    EXPECT_EQ(WritePellam(0x8002, 1, 0), 0);
    ASSERT_TRUE(SimGetBoard(0, &after));
    EXPECT_EQ(after.reports_received, before.reports_received);
    char out[12];
    std::memset(out, 0x5A, sizeof out);
    EXPECT_EQ(ReadPellams(0x8002, out), 0);
    for (char c : out)
        EXPECT_EQ(c, 0x5A);
}

TEST_F(SimulatedBoards, LastReportReceivedCarriesTagCommandAndLedByte) {
    ASSERT_EQ(WritePellam(0x8001, 11, 0x21), 1);
    SimBoard b;
    ASSERT_TRUE(SimGetBoard(0, &b));
    const uint8_t* r = SimLastReport(&b);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(std::memcmp(r + 1, "Qvox", 4), 0);
    EXPECT_EQ(r[5], 0x0B);
    EXPECT_EQ(r[6], 0x21);
    EXPECT_EQ(b.led_mask, 0x21);
}

TEST_F(SimulatedBoards, BoardsListedInEnumerationOrderAndFiltered) {
    SimAddBoard(0x0000, 0x80A5, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    SimAddBoard(0x0000, 0x7FFF, "SWITCHDECK 5s", "Qvoxline", 0x0100, "0123");
    SimAddBoard(0x845E, 0x8002, "Wine HID mouse", "Wine", 0x0100, "0000");
    SimAddBoard(0x0000, 0x8000, "Other", "Qvoxline", 0x0100, "0123");
    EXPECT_EQ(Boards(), "8001|80A5|8000|");
}

TEST_F(SimulatedBoards, UnpluggedHeldAndNotReadyBoards) {
    uint8_t s[12];
    SimSetFlag(0, SimFlag::Plugged, false);
    EXPECT_EQ(Boards(), "");
    EXPECT_FALSE(Status(0x8001, s));
    SimSetFlag(0, SimFlag::Plugged, true);
    SimSetFlag(0, SimFlag::Held, true);
    EXPECT_EQ(Boards(), "");
    EXPECT_FALSE(Status(0x8001, s));
    EXPECT_EQ(WritePellam(0x8001, 1, 0), 0);
    SimSetFlag(0, SimFlag::Held, false);
    SimSetFlag(0, SimFlag::Ready, false);
    ASSERT_TRUE(Status(0x8001, s));
    EXPECT_EQ(s[5], 0);
}

TEST_F(SimulatedBoards, SilentBoardFailsWithinTheBound) {
    SimSetFlag(0, SimFlag::Silent, true);
    uint8_t s[12];
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Status(0x8001, s));
    EXPECT_LT(GetTickCount() - start, 2000u);
    SimSetFlag(0, SimFlag::Silent, false);
    EXPECT_TRUE(Status(0x8001, s)); // the stale request left nothing behind
}

// simctl's "refuse": the board takes no output report. A write reports the
// failure, and a status read fails at once instead of waiting for an answer
// to a request that never arrived.
TEST_F(SimulatedBoards, BoardThatRefusesWritesFailsEveryExchange) {
    ASSERT_EQ(RunToEnd("\"" + DistPath("sim/simctl.exe") + "\" refuse 0 1"), 0);
    SimBoard before, after;
    ASSERT_TRUE(SimGetBoard(0, &before));
    EXPECT_NE(before.refuses_writes, 0);
    EXPECT_EQ(WritePellam(0x8001, 1, 0), 0);
    EXPECT_EQ(WritePellam(0x8001, 11, 0x01), 0);
    char out[12];
    std::memset(out, 0x5A, sizeof out);
    const DWORD start = GetTickCount();
    EXPECT_EQ(ReadPellams(0x8001, out), 0);
    EXPECT_LT(GetTickCount() - start, 200u); // the read bound is 300 ms
    EXPECT_EQ(out[0], 0x5A);
    ASSERT_TRUE(SimGetBoard(0, &after));
    EXPECT_EQ(after.reports_received, before.reports_received);
    EXPECT_EQ(after.relays[0], 0);
    EXPECT_EQ(after.led_mask, 0x3F);

    ASSERT_EQ(RunToEnd("\"" + DistPath("sim/simctl.exe") + "\" refuse 0 0"), 0);
    EXPECT_EQ(WritePellam(0x8001, 1, 0), 1);
    uint8_t s[12];
    ASSERT_TRUE(Status(0x8001, s));
    EXPECT_EQ(s[0], 1);
}

TEST_F(SimulatedBoards, ProductStringKeepsLowBytesOfWideCharacters) {
    const uint16_t wide[] = {'S', 'W', 0x0149, 0};
    SimSetProductWide(0, wide);
    char text[128];
    GetProductString(0x8001, text);
    EXPECT_STREQ(text, "SWI");
}

TEST_F(SimulatedBoards, BoardHeldByAnotherProcessCannotBeOpened) {
    const std::string simctl = DistPath("sim/simctl.exe");
    std::string command = "\"" + simctl + "\" hold 0 4000";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end, write_end;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, &inherit, 0));
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = write_end;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(write_end);
    char line[32] = "";
    DWORD got = 0;
    ReadFile(read_end, line, sizeof line - 1, &got, nullptr);
    line[got] = 0;
    ASSERT_EQ(std::string(line).substr(0, 7), "holding");

    uint8_t s[12];
    EXPECT_FALSE(Status(0x8001, s));
    EXPECT_EQ(Boards(), "");
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(read_end);
    // The holder is gone, so its claim lapses.
    EXPECT_TRUE(Status(0x8001, s));
}

} // namespace
