// What the device library hands back, read as plain data: the board list
// of FindPellamBoards and the status block of ReadPellams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What FindPellamBoards writes at most, terminator included.
constexpr size_t kBoardListSize = 1024;

// The board ids of a board list text ("8001|80A5|"), in its order; an entry
// that is not four hexadecimal digits is skipped.
std::vector<uint32_t> ParseBoardList(const char* list);

struct BoardStatus {
    bool ready = false;
    bool relay_at_no[5] = {};
    uint8_t led_mask = 0;
    char firmware[5] = ""; // the four characters as the board sent them, cut at a 0 byte
};

// `block`: the 12 bytes of ReadPellams.
BoardStatus ReadBoardStatus(const uint8_t block[12]);
