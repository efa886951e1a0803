// One run of a relay script as a schedule that a timer drives: relay
// commands go out back to back, and each delay ends at a deadline counted
// from the run's start (start + the sum of the delays so far), so timer
// lateness never adds up over a long script.
#pragma once

#include "scripts/command_codes.h"

#include <cstdint>
#include <string>

// What a run does to the world: log lines (without CR LF) and relay commands.
struct ScriptRunOutput {
    void (*log)(void* context, const char* line);
    void (*send)(void* context, uint32_t write_type);
    void* context;
};

struct ScriptRun {
    std::string commands;  // the script's COMMANDS text
    size_t next = 0;       // offset of the next pair
    uint64_t deadline = 0; // when the current delay ends (ms, monotonic clock)
    bool started = false;
    bool finished = false;
};

extern const char kScriptSeparator[]; // 119 hyphens

// Starts a run at time `now`: writes the header (ID, separators, name).
void StartScriptRun(ScriptRun& run, const char* id, const char* name, const char* commands,
                    uint64_t now, const RelaySettings relays[5], const ScriptRunOutput& out);

// Does every step that is due at `now`: logs and sends relay commands up to
// the next delay, logs the delay and waits for its deadline; after the last
// pair writes the closing lines and marks the run finished. Returns the time
// until the next step is due (0 when finished).
uint64_t AdvanceScriptRun(ScriptRun& run, uint64_t now, const RelaySettings relays[5],
                          const ScriptRunOutput& out);
