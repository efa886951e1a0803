#include "tests/win/app/gui_harness.h"

#include "app/app_state.h"

#include <commctrl.h>

#include <algorithm>

BoxAnswerer* BoxAnswerer::current = nullptr;

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& pred, int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Keys reach a dialog through its dialog manager, as in the
            // dialog's own modal loop (Enter, Escape, Tab).
            HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            char cls[16] = "";
            if (root && GetClassNameA(root, cls, sizeof cls) && std::string(cls) == "#32770" &&
                IsDialogMessageA(root, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            // Timers that take longer than their period (a poll waiting for
            // a locked database) keep the queue full: the time still counts.
            if (static_cast<LONG>(GetTickCount() - end) >= 0) break;
        }
        if (pred()) return true;
        if (static_cast<LONG>(GetTickCount() - end) >= 0) return pred();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

namespace {

LRESULT CALLBACK CbtProc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE && BoxAnswerer::current) {
        HWND box = reinterpret_cast<HWND>(w);
        char cls[32] = "";
        GetClassNameA(box, cls, sizeof cls);
        if (std::string(cls) == "#32770") BoxAnswerer::current->OnActivate(box);
    }
    return CallNextHookEx(nullptr, code, w, l);
}

} // namespace

BoxAnswerer::BoxAnswerer() {
    current = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

BoxAnswerer::~BoxAnswerer() {
    UnhookWindowsHookEx(hook_);
    current = nullptr;
}

void BoxAnswerer::QueueButton(int id) {
    Queue([id](HWND box, const SeenBox&) { PressButton(box, id); });
}

void BoxAnswerer::OnActivate(HWND box) {
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) return;
    answered_.push_back(box);
    SeenBox seen;
    seen.caption = WindowText(box);
    char text[1024] = "";
    if (GetDlgItem(box, 0xFFFF)) GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen.text = text;
    seen.owner_visible = g_main.window && IsWindowVisible(g_main.window);
    seen_.push_back(seen);
    Handler handler;
    if (!handlers_.empty()) {
        handler = std::move(handlers_.front());
        handlers_.pop_front();
    } else {
        handler = [](HWND b, const SeenBox&) {
            PressButton(b, GetDlgItem(b, IDOK) ? IDOK : (GetDlgItem(b, IDYES) ? IDYES : IDCANCEL));
        };
    }
    // Activation can come before the dialog's initialisation has run: the
    // handler runs from the box's own message loop, once it is up.
    pending_.push_back({box, std::move(handler), seen});
    SetTimer(nullptr, 0, 1, RunPending);
}

void CALLBACK BoxAnswerer::RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!current) return;
    while (!current->pending_.empty()) {
        Pending p = std::move(current->pending_.front());
        current->pending_.pop_front();
        if (IsWindow(p.box)) p.handler(p.box, p.seen);
    }
}

std::string BoxAnswerer::Texts() const {
    std::string all;
    for (const SeenBox& s : seen_)
        all += "[" + s.caption + "|" + s.text + "] ";
    return all;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string StatusPart(HWND status_bar, int part) {
    char text[512] = "";
    SendMessageA(status_bar, SB_GETTEXTA, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(text));
    return text;
}

namespace {

struct WindowSearch {
    DWORD process_id;
    const std::function<bool(HWND)>& accept;
    HWND found;
};

// EnumWindows calls back with the system's calling convention (__stdcall on
// x86), which a lambda does not have.
BOOL CALLBACK MatchWindow(HWND window, LPARAM search_address) {
    auto* search = reinterpret_cast<WindowSearch*>(search_address);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !search->accept(window)) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindWindowOf(DWORD process_id, const std::function<bool(HWND)>& accept) {
    WindowSearch search{process_id, accept, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND TopWindowOf(DWORD process_id, const char* title) {
    return FindWindowOf(process_id, [title](HWND window) { return WindowText(window) == title; });
}

std::string ControlText(HWND control) {
    char text[256] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}
