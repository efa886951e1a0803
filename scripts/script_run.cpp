#include "scripts/script_run.h"

const char kScriptSeparator[] = "------------------------------------------------------------------"
                                "-----------------------------------------------"
                                "------";
static_assert(sizeof kScriptSeparator == 120, "the separator is 119 hyphens");

void StartScriptRun(ScriptRun& run, const char* id, const char* name, const char* commands,
                    uint64_t now, const RelaySettings[5], const ScriptRunOutput& out) {
    run = ScriptRun{};
    run.commands = commands;
    run.deadline = now;
    run.started = true;
    std::string first = std::string("Executing Relay Script #") + id;
    out.log(out.context, first.c_str());
    out.log(out.context, kScriptSeparator);
    out.log(out.context, name);
    out.log(out.context, kScriptSeparator);
}

uint64_t AdvanceScriptRun(ScriptRun& run, uint64_t now, const RelaySettings relays[5],
                          const ScriptRunOutput& out) {
    if (!run.started || run.finished) return 0;
    if (now < run.deadline) return run.deadline - now;
    const char* text = run.commands.c_str();
    while (text[run.next] != 0 && text[run.next + 1] != 0) {
        const int index = FindCommand(text[run.next], text[run.next + 1]);
        run.next += 2;
        if (index < 0) continue; // an unknown pair does nothing and writes no line
        char line[kCommandTextSize];
        CommandText(index, relays, line);
        out.log(out.context, line);
        const ScriptCommand& command = kScriptCommands[index];
        if (command.relay != 0) {
            out.send(out.context, command.write_type);
            continue;
        }
        run.deadline += command.delay_ms;
        if (now < run.deadline) return run.deadline - now;
    }
    out.log(out.context, kScriptSeparator);
    out.log(out.context, "Relay Script Executed.");
    run.finished = true;
    return 0;
}
