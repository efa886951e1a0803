// The Edit Relay dialog: one relay's name, notes, contact labels and
// confirmation setting, saved to table Main.
#pragma once

// Modal over the main window for relay 1..5; ends with result 0.
void OpenEditRelayDialog(int relay);
