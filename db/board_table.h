// Table Main: the registered boards and their relay settings, the copy of
// the selected board's row, and the operations behind the board box.
#pragma once

#include <windows.h>

struct RelaySettings {
    char notes[512];
    char name[32];
    char nc_label[32];
    char no_label[32];
    char confirm[4]; // "YES" when switching asks first
};

struct BoardRecord {
    char header[5][32]; // columns 1-5: row id, VID, PID, registration time, DEFAULT
    RelaySettings relays[5];
};
static_assert(sizeof(RelaySettings) == 612, "a relay group is 612 bytes");

extern BoardRecord g_board_record;

// Refills the board box from Main; an empty table opens Add Device in its
// first-run mode. Statement failures are shown, owned by `owner`.
void FillBoardBox(HWND owner);
// Reloads g_board_record for the current board id text; failures keep it.
void LoadBoardRecord();
void SetDefaultBoard();
void DeleteBoard();
