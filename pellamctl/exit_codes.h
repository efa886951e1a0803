// The exit status of pellamctl: one value for each kind of outcome, so that
// a scheduled task or a script can tell them apart without reading stderr.
#pragma once

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2;     // arguments wrong, or naming no relay or script
constexpr int kExitBoard = 3;     // board not attached, not answering or not taking a command
constexpr int kExitDatabase = 4;  // database not found, not opened, or a statement failed
constexpr int kExitStopped = 130; // a run or pulse stopped by Ctrl+C (as shells count SIGINT)
