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
    g_session.record_loaded = false;
    ReloadBoardRecord();
    g_session.connected = 1;
}

void EndSession() {
    g_session.connected = 0;
    // The prepared statement is let go with the connection to the board.
    g_session.row_reader.Reset();
}

bool ReloadBoardRecord() {
    g_session.last_row_read = g_session.row_reader.Load(g_session.board_id_text, &g_session.record);
    if (g_session.last_row_read.ok) g_session.record_loaded = true;
    return g_session.last_row_read.ok;
}

PollResult PollSession() {
    std::memset(g_session.status, 0, sizeof g_session.status);
    if (!ReadPellams(g_session.board_id, reinterpret_cast<char*>(g_session.status)))
        return PollResult::kLost;
    const StatusView view = ReadStatusBlock(g_session.status);
    if (!view.ready) {
        g_session.board_ready = 0;
        // A board that is not ready gets no reloads of its row; one that
        // could not be read at Connect is read again at every chance.
        if (!g_session.record_loaded) ReloadBoardRecord();
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
