// The commands that talk to a board through the device library's exports:
// list, status, set, leds and pulse. Each returns the exit status.
#pragma once

#include "pellamctl/command_line.h"

int ListCommand(const CtlRequest& request);
int StatusCommand(const CtlRequest& request);
int SetCommand(const CtlRequest& request);
int LedsCommand(const CtlRequest& request);
int PulseCommand(const CtlRequest& request);
