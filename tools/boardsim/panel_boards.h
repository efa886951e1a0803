// The boards the panel shows: the simulated boards, or the virtual boards
// in Wine's HID stack (simpanel --virtual). One plain record per board, and
// the actions of the panel's buttons, the same for both kinds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PanelBoard {
    int slot = -1; // simulated boards: the table slot
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    uint16_t version_number = 0;
    std::string product;
    char firmware[5] = {};
    uint8_t relays[5] = {};
    uint8_t led_mask = 0;
    bool plugged = false;
    bool ready = false;
    bool silent = false;
    bool held = false; // simulated boards only: open in another program
    bool refuses_writes = false;
    bool short_answers = false;
    uint32_t answer_delay_ms = 0;
    bool in_use = false; // a program has it open (simulated boards only)

    bool operator==(const PanelBoard& o) const;
};

enum class BoardAction {
    Plug,
    Ready,
    Silent,
    Held,
    RefusesWrites,
    ShortAnswers,
    SlowAnswers,
    Remove,
    Count
};

// The answer delay of a board made slow from the panel: beyond the
// library's 300 ms read bound.
constexpr uint32_t kSlowAnswerMs = 500;

// Switches the panel to the virtual boards; `inf` is the driver's INF, for
// adding boards.
void UseVirtualBoards(const std::string& inf);
bool ShowsVirtualBoards();
// False when the boards cannot be reached at all.
bool OpenBoards();
// Every board as it is now.
std::vector<PanelBoard> SnapshotBoards();
// Whether the action applies to this kind of board.
bool CanAct(BoardAction action);
// Toggles a mode, plugs or unplugs, or removes the board.
void ActOnBoard(const PanelBoard& board, BoardAction action);
// Switches relay 0..4 to its other position, as by hand.
void SwitchBoardRelay(const PanelBoard& board, int relay);
bool AddPanelBoard(uint16_t vendor_id, uint16_t product_id, const std::string& product,
                   uint16_t version_number, const std::string& firmware);
// Exactly the default board again.
void ResetPanelBoards();
