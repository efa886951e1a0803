#include "pellamctl/board_checks.h"

#include "devlib/pellam_dll.h"
#include "devlib/protocol.h"

#include <algorithm>

bool IsBoardAttached(uint32_t board_id) {
    char list[kBoardListSize] = "";
    FindPellamBoards(list);
    const std::vector<uint32_t> ids = ParseBoardList(list);
    return std::find(ids.begin(), ids.end(), board_id) != ids.end();
}

std::string BoardFailure(const CtlRequest& request, const std::string& what) {
    const std::string board = std::string("board ") + request.board_id_text;
    if (!IsBoardAttached(request.board_id))
        return board + " is not attached, or another program has it open";
    return board + " " + what;
}

bool ReadStatus(const CtlRequest& request, BoardStatus* status, std::string* error) {
    uint8_t block[kStatusBlockSize + 4] = {};
    if (!ReadPellams(request.board_id, reinterpret_cast<char*>(block))) {
        *error = BoardFailure(request, "did not answer");
        return false;
    }
    *status = ReadBoardStatus(block);
    return true;
}
