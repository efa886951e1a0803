#include "scripts/script_run.h"

const char kScriptSeparator[] = "------------------------------------------------------------------"
                                "-----------------------------------------------"
                                "------";
static_assert(sizeof kScriptSeparator == 120, "the separator is 119 hyphens");
const char kScriptStoppedLine[] = "Relay Script Stopped: the board did not take the command.";
const char kScriptOperatorStopLine[] =
    "Relay Script Stopped by the operator: the commands after the line above were not carried out.";

void StartScriptRun(ScriptRun& run, const char* id, const char* name, const char* commands,
                    const ScriptRunOutput& out) {
    run = ScriptRun{};
    run.commands = commands;
    run.started = true;
    std::string first = std::string("Executing Relay Script #") + id;
    out.log(out.context, first.c_str());
    out.log(out.context, kScriptSeparator);
    out.log(out.context, name);
    out.log(out.context, kScriptSeparator);
}

namespace {

// The next recognised command (its pairs not consumed), or -1 at the end.
int PeekCommand(const ScriptRun& run, size_t* at) {
    const char* text = run.commands.c_str();
    for (size_t next = run.next; text[next] != 0 && text[next + 1] != 0; next += 2) {
        const int index = FindCommand(text[next], text[next + 1]);
        if (index >= 0) {
            *at = next;
            return index;
        }
    }
    return -1;
}

// Ends the run: the separator and how it ended.
void Finish(ScriptRun& run, const ScriptRunOutput& out, const char* last_line) {
    out.log(out.context, kScriptSeparator);
    out.log(out.context, last_line);
    run.finished = true;
}

// Near the end of a delay: the next relay command's line now, the rest of
// the delay waited out, then the command. False when the board did not take
// it.
bool FinishDelay(ScriptRun& run, const RelaySettings relays[5], const ScriptRunOutput& out) {
    size_t at = 0;
    const int index = PeekCommand(run, &at);
    if (index >= 0 && kScriptCommands[index].relay != 0) {
        char line[kCommandTextSize];
        CommandText(index, relays, line);
        out.log(out.context, line);
        run.next = at + 2;
        out.wait_until(out.context, run.deadline);
        return out.send(out.context, kScriptCommands[index].write_type);
    }
    out.wait_until(out.context, run.deadline);
    return true;
}

// Milliseconds from `now` to `deadline` (microseconds), rounded up.
uint64_t MsUntil(uint64_t deadline, uint64_t now) {
    return (deadline - now + 999) / 1000;
}

bool WithinFinish(const ScriptRun& run, uint64_t now, const ScriptRunOutput& out) {
    return out.wait_until && run.deadline - now <= out.finish_ahead_ms * 1000;
}

} // namespace

uint64_t AdvanceScriptRun(ScriptRun& run, const RelaySettings relays[5],
                          const ScriptRunOutput& out) {
    if (!run.started || run.finished) return 0;
    const uint64_t now = out.clock(out.context);
    if (now < run.deadline) {
        if (!WithinFinish(run, now, out)) return MsUntil(run.deadline, now);
        if (!FinishDelay(run, relays, out)) {
            Finish(run, out, kScriptStoppedLine);
            return 0;
        }
    }
    const char* text = run.commands.c_str();
    while (text[run.next] != 0 && text[run.next + 1] != 0) {
        const int index = FindCommand(text[run.next], text[run.next + 1]);
        run.next += 2;
        if (index < 0) continue; // an unknown pair does nothing and writes no line
        const ScriptCommand& command = kScriptCommands[index];
        // A delay counts from here: after the command before it was sent.
        if (command.relay == 0)
            run.deadline = out.clock(out.context) + uint64_t{command.delay_ms} * 1000;
        char line[kCommandTextSize];
        CommandText(index, relays, line);
        out.log(out.context, line);
        if (command.relay != 0) {
            if (out.send(out.context, command.write_type)) continue;
            Finish(run, out, kScriptStoppedLine);
            return 0;
        }
        const uint64_t after = out.clock(out.context);
        if (after >= run.deadline) continue;
        if (!WithinFinish(run, after, out)) return MsUntil(run.deadline, after);
        if (!FinishDelay(run, relays, out)) {
            Finish(run, out, kScriptStoppedLine);
            return 0;
        }
    }
    Finish(run, out, "Relay Script Executed.");
    return 0;
}

void StopScriptRun(ScriptRun& run, const ScriptRunOutput& out) {
    if (!run.started || run.finished) return;
    Finish(run, out, kScriptOperatorStopLine);
}
