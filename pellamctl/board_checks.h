// Asking a board for its status, and saying why a board did not do what it
// was asked: not there, or there and not answering.
#pragma once

#include "pellamctl/board_data.h"
#include "pellamctl/command_line.h"

#include <string>

// Whether FindPellamBoards lists the board now.
bool IsBoardAttached(uint32_t board_id);

// "board 8001 <what>", or, when the board is not listed, that it is not
// attached (or another program has it open, which hides it as well).
std::string BoardFailure(const CtlRequest& request, const std::string& what);

// The board's status; false with the reason in *error.
bool ReadStatus(const CtlRequest& request, BoardStatus* status, std::string* error);
