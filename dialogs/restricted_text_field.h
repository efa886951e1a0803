// Attaches the character filter of the relay and script texts to an edit
// control. Refused typed characters beep and are dropped. Text that enters
// any other way (pasted from the clipboard by any key or menu, dropped, set
// by another program with WM_SETTEXT, an undo) loses its refused characters
// with one beep, and the caret stays after what was inserted. The control
// gets its own procedure back when it is destroyed.
#pragma once

#include <windows.h>

void AttachRestrictedTextField(HWND edit);

// Shows a stored value as it is, bypassing the filter: what the database
// holds is never changed by merely showing it.
void SetStoredText(HWND edit, const char* text);
