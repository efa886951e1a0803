#include "scripts/script_executor.h"

#include "common/error_box.h"
#include "common/modal_dialog.h"
#include "common/precise_clock.h"
#include "devlib/pellam_dll.h"
#include "resources/resource_ids.h"
#include "scripts/script_run.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kStartTimer = 10; // one-shot: the run starts once the dialog is up
constexpr UINT kStartDelayMs = 10;
constexpr UINT_PTR kStepTimer = 11;
constexpr uint64_t kLongestTimerWait = 100; // ms between checks while a long delay runs
// A timer message may come late (polls and painting go first), and drawing
// a log line can take tens of milliseconds: the timer comes back this far
// before a delay's end, and the run finishes the delay exactly from there.
constexpr uint64_t kFinishAheadMs = 100;

struct ExecutorState {
    const ScriptRunRequest* request;
    HWND dialog = nullptr;
    ScriptRun run;
};

// Appends text at the end of the log without an undo record.
void Append(HWND dialog, const char* text) {
    HWND log = GetDlgItem(dialog, IDC_EXECUTOR_LOG);
    const int end = GetWindowTextLengthA(log);
    SendMessageA(log, EM_SETSEL, end, end);
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void LogLine(void* context, const char* line) {
    HWND dialog = static_cast<ExecutorState*>(context)->dialog;
    Append(dialog, line);
    Append(dialog, "\r\n");
}

bool SendCommand(void* context, uint32_t type) {
    return WritePellam(static_cast<ExecutorState*>(context)->request->board_id, type, 0) != 0;
}

uint64_t Clock(void*) {
    return ClockUs();
}

void WaitUntil(void*, uint64_t deadline) {
    SpinUntil(deadline);
}

ScriptRunOutput OutputOf(ExecutorState& state) {
    return {LogLine, SendCommand, Clock, &state, WaitUntil, kFinishAheadMs};
}

void ScheduleNextStep(ExecutorState& state, uint64_t wait) {
    if (state.run.finished) {
        KillTimer(state.dialog, kStepTimer);
        return;
    }
    // Back within the finishing window of the delay, whatever comes first.
    const uint64_t period = wait > kFinishAheadMs ? wait - kFinishAheadMs / 2 : 1;
    SetTimer(state.dialog, kStepTimer, static_cast<UINT>(std::min(period, kLongestTimerWait)),
             nullptr);
}

bool Running(const ExecutorState& state) {
    return state.run.started && !state.run.finished;
}

// While a run goes on, Enter clicks no button (a stray Enter or Escape
// must not end it); CLOSE is the default button again once it has ended.
void SetCloseAsDefault(HWND dialog, bool on) {
    SendMessageA(dialog, DM_SETDEFID, on ? IDC_EXECUTOR_CLOSE : IDOK, 0);
}

void OnTimer(ExecutorState& state, UINT_PTR id) {
    const ScriptRunOutput out = OutputOf(state);
    if (id == kStartTimer) {
        KillTimer(state.dialog, kStartTimer);
        SetDlgItemTextA(state.dialog, IDC_EXECUTOR_LOG, "");
        const ScriptRow& row = state.request->row;
        StartScriptRun(state.run, row.id, row.name, row.commands, out);
    } else if (id != kStepTimer) {
        return;
    }
    ScheduleNextStep(state, AdvanceScriptRun(state.run, state.request->relays, out));
    if (state.run.finished) SetCloseAsDefault(state.dialog, true);
}

void Close(HWND dialog, ExecutorState& state) {
    KillTimer(dialog, kStartTimer);
    KillTimer(dialog, kStepTimer);
    state.run.finished = true; // nothing more is sent
    EndDialog(dialog, 0);
}

// CLOSE or the close box during a run: asked first, so that the relays are
// not left half-way by accident. Stopping keeps the dialog open with the
// log, which says where the run stopped. The run goes on while the box is up.
void AskToStop(HWND dialog, ExecutorState& state) {
    const int answer = MessageBoxA(dialog, "Stop the relay script?", kErrorCaption,
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES || !Running(state)) return;
    KillTimer(dialog, kStepTimer);
    StopScriptRun(state.run, OutputOf(state));
    SetCloseAsDefault(dialog, true);
}

void OnCloseRequest(HWND dialog, ExecutorState& state) {
    if (Running(state))
        AskToStop(dialog, state);
    else
        Close(dialog, state);
}

INT_PTR ExecutorProc(HWND dialog, ExecutorState& state, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        state.dialog = dialog;
        SendMessageA(dialog, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(
                         LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PELLAM))));
        SendDlgItemMessageA(dialog, IDC_EXECUTOR_LOG, EM_SETLIMITTEXT, 0, 0);
        SetCloseAsDefault(dialog, false);
        SetTimer(dialog, kStartTimer, kStartDelayMs, nullptr);
        return TRUE;
    case WM_TIMER:
        OnTimer(state, w);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) != BN_CLICKED) return TRUE;
        if (LOWORD(w) == IDC_EXECUTOR_CLOSE) OnCloseRequest(dialog, state);
        // Escape (and Enter, while CLOSE is not the default) ends only a
        // dialog whose run has ended.
        if ((LOWORD(w) == IDCANCEL || LOWORD(w) == IDOK) && !Running(state)) Close(dialog, state);
        return TRUE;
    case WM_SYSCOMMAND: // the close box, the system menu's Close, Alt+F4
        if ((w & 0xFFF0) != SC_CLOSE) return FALSE;
        OnCloseRequest(dialog, state);
        return TRUE;
    case WM_CLOSE:
        // Escape in the log posts WM_CLOSE: it ends only a dialog whose run
        // has ended.
        if (!Running(state)) Close(dialog, state);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenScriptExecutor(HINSTANCE instance, HWND owner, const ScriptRunRequest& request) {
    ExecutorState state{};
    state.request = &request;
    ShowModalDialog<ExecutorState, ExecutorProc>(instance, IDD_SCRIPT_EXECUTOR, owner, state);
}
