#include "app/session.h"

#include "db/board_store.h"
#include "devlib/pellam_dll.h"

#include <cstring>

Session g_session;

bool SelectBoard(const char* box_text) {
    return ParseBoardSelection(box_text, g_session.board_id_text, &g_session.board_id);
}

void BeginSession() {
    g_session.record = BoardRecord{};
    ReloadBoardRecord();
    g_session.connected = 1;
}

void EndSession() {
    g_session.connected = 0;
    // The prepared statement is let go with the connection to the board.
    g_session.row_reader.Reset();
}

void ReloadBoardRecord() {
    g_session.row_reader.Load(g_session.board_id_text, &g_session.record);
}

PollResult PollSession() {
    std::memset(g_session.status, 0, sizeof g_session.status);
    if (!ReadPellams(g_session.board_id, reinterpret_cast<char*>(g_session.status)))
        return PollResult::kLost;
    const StatusView view = ReadStatusBlock(g_session.status);
    if (!view.ready) {
        g_session.board_ready = 0;
        return PollResult::kNotReady;
    }
    g_session.board_ready = 1;
    for (int n = 0; n < kRelayCount; ++n)
        g_session.relay_at_nc[n] = view.relay_at_nc[n] ? 1 : 0;
    ReloadBoardRecord();
    g_session.led_mask = view.led_mask;
    std::memcpy(g_session.firmware, view.firmware, sizeof g_session.firmware);
    return PollResult::kReady;
}
