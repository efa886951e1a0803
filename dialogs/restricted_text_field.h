// Attaches the character filter of the relay and script texts to an edit
// control: refused typed characters beep and are dropped; pasted text loses
// its refused characters (one beep). The control gets its own procedure back
// when it is destroyed.
#pragma once

#include <windows.h>

void AttachRestrictedTextField(HWND edit);
