// The board the program's tests drive, on either backend: the default
// simulated board (program_tests.exe, with the simulated library beside it)
// or the default virtual board in Wine's HID stack (program_vboard_tests.exe,
// with the real library beside it). Each binary links one implementation;
// the tests are the same.
#pragma once

#include <cstdint>
#include <vector>

class TestBoard {
  public:
    // Plugged, ready, not silent, firmware "0123", in its power-on state.
    void Reset();
    void SetRelay(int relay, bool at_no); // relay 1..5, switched by hand
    void SetLedMask(uint8_t mask);
    void SetFirmware(const char* text);
    void SetReady(bool on);
    void SetSilent(bool on);
    void SetPlugged(bool on);

    uint8_t LedMask();
    // Every report received, and the commands among them (status requests
    // aside).
    uint32_t ReportsReceived();
    uint32_t CommandsReceived();
    std::vector<uint8_t> CommandsSince(uint32_t commands_before);
    std::vector<uint8_t> LastReport(); // empty before any
};
