#include "scripts/script_list.h"

// The list itself comes with the relay scripts; until then the routing to it
// is in place and opens nothing.
void OpenRelayScriptsList(HWND) {}
