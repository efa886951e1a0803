// The Relay Scripts list of the selected board. The main window's "Relay
// Scripts" button and the Edit Relay dialog's open it through here.
#pragma once

#include <windows.h>

// Modal, owned by `owner`.
void OpenRelayScriptsList(HWND owner);
