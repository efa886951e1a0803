// One run of a relay script as a schedule that a timer drives: relay
// commands go out back to back, and each delay is a fixed gap. A delay
// starts once the command before it has been sent and ends no earlier than
// its full length after that, so the time spent sending and logging never
// shortens a gap; a run lasts the sum of its delays plus the time its
// commands take.
#pragma once

#include "scripts/command_codes.h"

#include <cstdint>
#include <string>

// What a run does to the world: log lines (without CR LF), relay commands,
// and the clock it reads (microseconds, monotonic: whole milliseconds would
// let a gap come up to one short). With wait_until, a run
// that is called within `finish_ahead_ms` of a delay's end writes the next
// relay command's line at once, waits out the rest of the delay and sends
// the command on time: writing the log (slow where the log is drawn at
// once) then never lengthens a gap.
struct ScriptRunOutput {
    void (*log)(void* context, const char* line);
    // False when the board did not take the command: the run stops there.
    bool (*send)(void* context, uint32_t write_type);
    uint64_t (*clock)(void* context);
    void* context;
    void (*wait_until)(void* context, uint64_t deadline) = nullptr;
    uint64_t finish_ahead_ms = 0;
};

struct ScriptRun {
    std::string commands;  // the script's COMMANDS text
    size_t next = 0;       // offset of the next pair
    uint64_t deadline = 0; // when the current delay ends (clock time, microseconds)
    bool started = false;
    bool finished = false;
};

extern const char kScriptSeparator[]; // 119 hyphens
// The line that ends a run whose board did not take a command.
extern const char kScriptStoppedLine[];
// The line that ends a run the operator stopped.
extern const char kScriptOperatorStopLine[];

// Starts a run: writes the header (ID, separators, name).
void StartScriptRun(ScriptRun& run, const char* id, const char* name, const char* commands,
                    const ScriptRunOutput& out);

// Does every step that is due now: logs and sends relay commands up to the
// next delay, logs the delay and starts it; after the last pair writes the
// closing lines and marks the run finished. A command the board does not
// take (unplugged, gone) ends the run with the separator and
// kScriptStoppedLine instead, since what follows would assume it had been
// carried out. Returns the milliseconds until the next step is due, rounded
// up (0 when finished).
uint64_t AdvanceScriptRun(ScriptRun& run, const RelaySettings relays[5],
                          const ScriptRunOutput& out);

// Ends a running run before its next step (nothing more is sent): the
// separator and kScriptOperatorStopLine. Nothing happens to a run that has
// not started or has ended.
void StopScriptRun(ScriptRun& run, const ScriptRunOutput& out);
