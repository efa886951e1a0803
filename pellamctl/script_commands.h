// The commands on the stored relay scripts: scripts lists a board's
// scripts, run plays one against the board as Pellam's executor does (the
// same log lines and the same gaps), printing each line as it happens.
#pragma once

#include "pellamctl/command_line.h"

int ScriptsCommand(const CtlRequest& request);
int RunCommand(const CtlRequest& request);
