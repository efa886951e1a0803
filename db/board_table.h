// Table Main: the registered boards and their relay settings, the copy of
// the selected board's row, and the operations behind the board box.
#pragma once

#include "db/board_record.h"
#include "dialogs/add_device.h"

#include <windows.h>

extern BoardRecord g_board_record;

// Refills the board box from Main; an empty table opens Add Device in its
// first-run mode. Statement failures are shown, owned by `owner`.
void FillBoardBox(HWND owner);
// Reloads g_board_record for the current board id text; failures keep it.
void LoadBoardRecord();
// Add Device over the main window; a registered board refills the board box
// and enables Connect.
void AddBoard(AddDeviceMode mode);
void SetDefaultBoard();
void DeleteBoard();
