#include "scripts/script_executor.h"

#include "app/app_state.h"
#include "db/board_table.h"
#include "devlib/pellam_dll.h"
#include "resources/resource_ids.h"
#include "scripts/script_run.h"

namespace {

constexpr UINT_PTR kStartTimer = 10; // one-shot: the run starts once the dialog is up
constexpr UINT_PTR kStepTimer = 11;
constexpr uint64_t kLongestTimerWait = 100; // ms between checks while a long delay runs

struct ExecutorState {
    HWND dialog = nullptr;
    ScriptRow row{};
    ScriptRun run;
};
ExecutorState g_executor;

// Appends text at the end of the log without an undo record.
void Append(const char* text) {
    HWND log = GetDlgItem(g_executor.dialog, IDC_EXECUTOR_LOG);
    const int end = GetWindowTextLengthA(log);
    SendMessageA(log, EM_SETSEL, end, end);
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void LogLine(void*, const char* line) {
    Append(line);
    Append("\r\n");
}

void SendCommand(void*, uint32_t type) {
    WritePellam(g_connection.board_id, type, 0);
}

const ScriptRunOutput kOutput{LogLine, SendCommand, nullptr};

void ScheduleNextStep(uint64_t wait) {
    if (g_executor.run.finished) {
        KillTimer(g_executor.dialog, kStepTimer);
        return;
    }
    const uint64_t period = wait < 1 ? 1 : (wait > kLongestTimerWait ? kLongestTimerWait : wait);
    SetTimer(g_executor.dialog, kStepTimer, static_cast<UINT>(period), nullptr);
}

void OnTimer(UINT_PTR id) {
    if (id == kStartTimer) {
        KillTimer(g_executor.dialog, kStartTimer);
        SetDlgItemTextA(g_executor.dialog, IDC_EXECUTOR_LOG, "");
        StartScriptRun(g_executor.run, g_executor.row.id, g_executor.row.name,
                       g_executor.row.commands, GetTickCount64(), g_board_record.relays, kOutput);
    } else if (id != kStepTimer) {
        return;
    }
    ScheduleNextStep(
        AdvanceScriptRun(g_executor.run, GetTickCount64(), g_board_record.relays, kOutput));
}

void Close(HWND dialog) {
    KillTimer(dialog, kStartTimer);
    KillTimer(dialog, kStepTimer);
    g_executor.run.finished = true; // nothing more is sent
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK ExecutorProc(HWND dialog, UINT message, WPARAM w, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        g_executor.dialog = dialog;
        g_executor.run = ScriptRun{};
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_main.icon));
        SendDlgItemMessageA(dialog, IDC_EXECUTOR_LOG, EM_SETLIMITTEXT, 0, 0);
        SetTimer(dialog, kStartTimer, 10, nullptr);
        return TRUE;
    case WM_TIMER:
        OnTimer(w);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED && (LOWORD(w) == IDC_EXECUTOR_CLOSE || LOWORD(w) == IDCANCEL))
            Close(dialog);
        return TRUE;
    case WM_CLOSE:
        Close(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenScriptExecutor(HWND owner, const ScriptRow& row) {
    g_executor.row = row;
    DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_SCRIPT_EXECUTOR), owner, ExecutorProc, 0);
}
