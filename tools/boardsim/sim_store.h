// The simulated boards of this machine, kept in a named shared-memory
// section so that every process of the Wine prefix (Pellam.exe, the panel,
// tests) sees and changes the same boards. A file
// (%ProgramData%\PellamBoardSimulator.v5.bin, or $PELLAM_SIM_FILE) keeps
// them between runs, so the boards outlive the processes that set them up.
// Without a file the simulator offers the default board: product id 0x8001,
// "SWITCHDECK 5s", version 0x0100, firmware "0123", ready, all relays at NC,
// LED mask 0x3F.
#pragma once

#include "tools/boardsim/sim_firmware.h"

struct SimTable {
    uint32_t magic;
    uint32_t changes;         // bumped by every change, so viewers can tell
    volatile long lock_owner; // the thread holding the table's lock, 0 when free
    SimBoard boards[kSimMaxBoards];
};

// The mapped table (mapped once per process, kept until the process ends).
SimTable* SimTableView();

// The file that keeps the boards between runs.
const char* SimFilePath();
// Writes the table to its file, made anew (the control API does after each
// change); SimSaveBoard writes one board's record into it.
void SimSaveTable();
void SimSaveBoard(int slot);
// Whether the file is there, whole. The simulated device library sees no
// board while it is not (removed or cut short); the next change made
// through the control API writes it again.
bool SimFileIntact();

// Holds the table's lock for one scope (a thread may take it again).
class SimLock {
  public:
    SimLock();
    ~SimLock();
    SimLock(const SimLock&) = delete;
    SimLock& operator=(const SimLock&) = delete;
};

enum class SimFlag { Plugged, Ready, Silent, Held, RefusesWrites, ShortAnswers };

// Control API for tests and tools. Slots are stable until removed.
void SimResetToDefault(); // exactly the default board
void SimRemoveAll();
int SimAddBoard(uint16_t vendor_id, uint16_t product_id, const char* product,
                const char* manufacturer, uint16_t version_number, const char* firmware);
bool SimRemoveBoard(int slot);
int SimFindBoard(uint16_t vendor_id, uint16_t product_id); // first slot, or -1
bool SimSetFlag(int slot, SimFlag flag, bool on);
bool SimSetFirmware(int slot, const char* firmware);
bool SimSetAnswerDelay(int slot, uint32_t milliseconds); // each status answer comes this late
bool SimSetProductWide(int slot, const uint16_t* product);
bool SimSetRelay(int slot, int relay, bool at_no); // relay 1..5
bool SimSetLedMask(int slot, uint8_t mask);
bool SimGetBoard(int slot, SimBoard* copy);

// Device side: opening a board is exclusive across every process, as with a
// real device opened without sharing. A claim whose owner has ended lapses.
bool SimClaim(int slot);
void SimUnclaim(int slot);
