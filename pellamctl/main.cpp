// pellamctl: the relay boards and the stored relay scripts from a command
// line, through the same device library and database as Pellam.exe.
#include "common/system/library.h"
#include "pellamctl/board_commands.h"
#include "pellamctl/command_line.h"
#include "pellamctl/ctl_console.h"
#include "pellamctl/ctl_version.h"
#include "pellamctl/exit_codes.h"
#include "pellamctl/script_commands.h"

#include <cstdio>

namespace {

int Help(const CtlRequest&) {
    std::fputs(kUsageText, stdout);
    return kExitSuccess;
}

int Version(const CtlRequest&) {
    std::printf("pellamctl %s\n", kPellamctlVersion);
    return kExitSuccess;
}

struct CommandEntry {
    CtlCommand command;
    int (*run)(const CtlRequest&);
};

const CommandEntry kCommandTable[] = {
    {CtlCommand::kHelp, Help},          {CtlCommand::kVersion, Version},
    {CtlCommand::kList, ListCommand},   {CtlCommand::kStatus, StatusCommand},
    {CtlCommand::kSet, SetCommand},     {CtlCommand::kLeds, LedsCommand},
    {CtlCommand::kPulse, PulseCommand}, {CtlCommand::kScripts, ScriptsCommand},
    {CtlCommand::kRun, RunCommand},
};

} // namespace

int main(int argc, char** argv) {
    RemoveCurrentFolderFromDllSearch();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.ok) return Fail(kExitUsage, parsed.error);
    for (const CommandEntry& entry : kCommandTable)
        if (entry.command == parsed.request.command) return entry.run(parsed.request);
    return Fail(kExitUsage, "no such command");
}
