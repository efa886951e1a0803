// The Relay Board Options dialog: the board's relay and heartbeat LEDs.
#pragma once

// Modal over the main window; refuses with a message when not connected.
void OpenRelayOptionsDialog();
