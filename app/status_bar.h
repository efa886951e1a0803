// The main window's status bar: "STATUS:", the connection state, the
// message text and the rotating credit line.
#pragma once

void CreateMainStatusBar();
void SetStatusText(int part, const char* text);
// Timer 1: the next credit line.
void AdvanceCreditLine();
