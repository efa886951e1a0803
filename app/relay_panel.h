// The relay panel of the main window while connecting, connected and
// disconnecting: the buttons' states, the pictures, names, contact labels,
// firmware text, progress text and tooltips, shown from the session.
#pragma once

// Looks the panel's controls up once, when the main window is made.
void FindPanelControls();
void Connect();
void Disconnect();
// Takes the board id text and board id from the board box. With an empty box
// it disconnects, keeps the previous values and returns false.
bool ReadBoardSelection();
// Reloads the selected board's row and rewrites relay names and labels.
void RefreshRelayLabels();
void BlankRelayPictures();
// The ready indicator: a green dot while the last poll said ready.
void ShowReadyIndicator(bool ready);
// Work of timers 2, 3 and 4 while connected.
void AdvanceProgressText();
void PollBoard();
void RefreshTooltips();
