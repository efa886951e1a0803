#include "pellamctl/script_commands.h"

#include "db/board_store.h"
#include "db/script_store.h"
#include "devlib/pellam_dll.h"
#include "pellamctl/board_checks.h"
#include "pellamctl/ctl_clock.h"
#include "pellamctl/ctl_console.h"
#include "pellamctl/ctl_database.h"
#include "pellamctl/ctl_output.h"
#include "pellamctl/exit_codes.h"
#include "pellamctl/name_match.h"
#include "scripts/script_run.h"

#include <algorithm>

namespace {

// As in the executor: a run is back this long before a delay ends, writes
// the next command's line and sends the command on the microsecond.
constexpr uint64_t kFinishAheadMs = 40;
// A long delay is waited out in steps of at most this, checking the clock.
constexpr uint64_t kLongestWaitMs = 1000;

// One run. Once it halts (Ctrl+C before a line, or a command the board did
// not take) nothing more is written or sent.
struct RunState {
    uint32_t board_id = 0;
    bool json = false;
    uint64_t start_us = 0;
    bool halted = false;
    bool stopped = false; // by Ctrl+C
    bool failed = false;  // a command was not taken
    std::string last_line;
};

uint64_t MsSinceStart(const RunState& state) {
    return (ClockUs() - state.start_us) / 1000;
}

// A stop request is honoured before a line, so every line written is a
// command carried out (a relay command's line comes just before it is
// sent), but for the last line of a run the board stopped by refusing it.
void LogLine(void* context, const char* line) {
    RunState& state = *static_cast<RunState*>(context);
    if (state.halted) return;
    if (StopRequested()) {
        state.halted = state.stopped = true;
        return;
    }
    state.last_line = line;
    PrintData(FormatRunLine(line, MsSinceStart(state), state.json));
}

// False when the board did not take the command: the run ends there.
bool SendCommand(void* context, uint32_t write_type) {
    RunState& state = *static_cast<RunState*>(context);
    if (state.halted) return !state.failed;
    if (!WritePellam(state.board_id, write_type, 0)) state.halted = state.failed = true;
    return !state.failed;
}

uint64_t Clock(void*) {
    return ClockUs();
}

void WaitUntil(void* context, uint64_t deadline) {
    if (!static_cast<RunState*>(context)->halted) SpinUntil(deadline);
}

// The board's scripts and relay settings.
int LoadScripts(const CtlRequest& request, std::vector<ScriptRow>* scripts, BoardRecord* record) {
    DbResult result = ListScripts(request.board_id_text, scripts);
    if (result.ok) result = LoadBoardRow(request.board_id_text, record);
    return result.ok ? kExitSuccess : Fail(kExitDatabase, DatabaseFailure(result));
}

// Plays the script; the exit status.
int Play(const CtlRequest& request, const ScriptRow& script, const BoardRecord& record) {
    CatchStopRequests();
    RunState state;
    state.board_id = request.board_id;
    state.json = request.json;
    state.start_us = ClockUs();
    const ScriptRunOutput out{LogLine, SendCommand, Clock, &state, WaitUntil, kFinishAheadMs};
    ScriptRun run;
    StartScriptRun(run, script.id, script.name, script.commands, out);
    while (!state.halted) {
        const uint64_t wait = AdvanceScriptRun(run, record.relays, out);
        if (run.finished || state.halted) break;
        // Back within the finishing window of the delay.
        const uint64_t period = wait > kFinishAheadMs ? wait - kFinishAheadMs / 2 : 1;
        if (WaitForStop(static_cast<uint32_t>(std::min(period, kLongestWaitMs))))
            state.halted = state.stopped = true;
    }
    const uint64_t ms = MsSinceStart(state);
    if (state.stopped) {
        if (request.json) PrintData(FormatRunResult("stopped", ms));
        return Fail(kExitStopped, std::string("run of script #") + script.id +
                                      " stopped by Ctrl+C; the board keeps the state of the "
                                      "last command sent");
    }
    if (state.failed) {
        if (request.json) PrintData(FormatRunResult("failed", ms));
        return Fail(kExitBoard, "the run stopped at \"" + state.last_line +
                                    "\": " + BoardFailure(request, "did not take the command"));
    }
    if (request.json) PrintData(FormatRunResult("executed", ms));
    return kExitSuccess;
}

// Opens the database (kept open by the caller's `database`) and reads the
// board's scripts and row; 0 or the exit code of what failed.
int OpenAndLoadScripts(const CtlRequest& request, CtlDatabase& database,
                       std::vector<ScriptRow>* scripts, BoardRecord* record) {
    std::string error;
    if (!database.Open(request.db_path, &error)) return Fail(kExitDatabase, error);
    return LoadScripts(request, scripts, record);
}

} // namespace

int ScriptsCommand(const CtlRequest& request) {
    CtlDatabase database;
    std::vector<ScriptRow> scripts;
    BoardRecord record{};
    if (const int code = OpenAndLoadScripts(request, database, &scripts, &record)) return code;
    PrintData(FormatScripts(request.board_id_text, scripts, record.relays, request.json));
    return kExitSuccess;
}

int RunCommand(const CtlRequest& request) {
    CtlDatabase database;
    std::vector<ScriptRow> scripts;
    BoardRecord record{};
    if (const int code = OpenAndLoadScripts(request, database, &scripts, &record)) return code;
    std::string error;
    const int index = FindScript(scripts, request.script, request.board_id_text, &error);
    if (index < 0) return Fail(kExitUsage, error);
    // Nothing is started for a board that is not there.
    BoardStatus status;
    if (!ReadStatus(request, &status, &error)) return Fail(kExitBoard, error);
    return Play(request, scripts[static_cast<size_t>(index)], record);
}
