// Virtual boards: Pellam relay boards presented by the pellam_vboard.sys
// HID minidriver, so that programs reach them through Windows' own HID
// stack. This is the control side used by vboard.exe, the board panel and
// the tests: add, unplug, plug back and remove boards, change their fault
// modes and read what they did.
//
// A board is known by its vendor and product id (and, for a board with
// further HID interfaces, the interface's number). Each has a record under
// HKLM\Software\Pellam\VirtualBoards (its identity, its settings, whether it is plugged), so an
// unplugged board can be plugged back as it was. Settings reach the driver through the device's
// hardware key (vboard/control_format.h); every change waits until the
// driver has taken it up.
#pragma once

#include "vboard/control_format.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct VBoardId {
    uint16_t vendor_id;
    uint16_t product_id;
    // 0: the board's interface; 1 and up: further HID interfaces of the same
    // board, carrying the same ids (each its own device, with its own state).
    uint8_t interface_number = 0;
};

constexpr VBoardId kDefaultVBoard{0x0000, 0x8001};

struct VBoardInfo {
    VBoardId id{};
    uint16_t version_number = 0x0100;
    std::string product = "SWITCHDECK 5s";
    std::string manufacturer = "Qvoxline Circuits";
    bool plugged = false;
    VBoardControl control{}; // the settings last given
    bool has_state = false;
    VBoardState state{}; // what the driver published last (when plugged)
};

// Adds a board and plugs it in; the driver is installed from `inf` with
// the first board. `firmware` is its four-character firmware text.
bool AddVirtualBoard(const VBoardInfo& identity, const std::string& firmware,
                     const std::string& inf);
bool UnplugVirtualBoard(VBoardId id);
bool PlugVirtualBoard(VBoardId id);   // as it was unplugged, in its power-on state
bool RemoveVirtualBoard(VBoardId id); // unplugs it and forgets it

// Every board with its record and, for plugged ones, the state the driver
// published last.
std::vector<VBoardInfo> ListVirtualBoards();
// One board, with its state brought up to date first when it is plugged.
bool ReadVirtualBoard(VBoardId id, VBoardInfo* info);
// Changes the board's settings or asks for one-off actions (VBoardControl's
// requests); returns once a plugged board has taken the change up.
bool ChangeVirtualBoard(VBoardId id, const std::function<void(VBoardControl&)>& change);
// The settings of a board as added: ready, no fault mode, firmware "0123".
VBoardControl DefaultVBoardControl(const std::string& firmware);

// Leaves exactly the default board (product id 0x8001, "SWITCHDECK 5s",
// version 0x0100), plugged, in its power-on state with default settings.
bool ResetVirtualBoards(const std::string& inf);

// Why the last call failed.
const std::string& VirtualBoardError();
