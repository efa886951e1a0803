// The main window's board box and the buttons that work on it: filled from
// table Main, Set Default, Delete Device and Add Device (also in its
// first-run form when the table is empty).
#pragma once

#include "dialogs/add_device.h"

// Refills the board box; an empty table opens Add Device in its first-run
// mode. Statement failures are shown to the operator.
void FillBoardBox();
// Add Device over the main window; a registered board refills the box and
// enables Connect.
void AddBoard(AddDeviceMode mode);
void SetDefaultBoard();
void DeleteBoard();
