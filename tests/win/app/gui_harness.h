// Helpers for tests that drive Pellam's real windows in-process: pumping
// messages while timers run, and answering modal boxes and dialogs through a
// thread-local WH_CBT hook, so the code under test calls the real
// MessageBoxA and DialogBoxParamA.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Dispatches messages (timers included) for `ms` milliseconds.
void PumpFor(int ms);
// Dispatches messages until pred() holds or `ms` pass; returns pred().
bool PumpUntil(const std::function<bool()>& pred, int ms);

struct SeenBox {
    std::string caption;
    std::string text;   // a message box's text; empty for other dialogs
    bool owner_visible; // whether the main window was visible when it opened
};

// Answers each modal box or dialog as it activates: with the next queued
// handler, or, when none is queued, by pressing its default answer (OK, or
// Yes for Yes/No boxes). Every activation is recorded.
class BoxAnswerer {
  public:
    using Handler = std::function<void(HWND box, const SeenBox& seen)>;
    BoxAnswerer();
    ~BoxAnswerer();
    void Queue(Handler handler) { handlers_.push_back(std::move(handler)); }
    void QueueButton(int id); // press IDYES / IDNO / IDOK ...
    const std::vector<SeenBox>& seen() const { return seen_; }
    std::string Texts() const; // "caption|text" lines, for failure messages

    static BoxAnswerer* current;
    void OnActivate(HWND box);

  private:
    struct Pending {
        HWND box;
        Handler handler;
        SeenBox seen;
    };
    static void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD);
    std::deque<Pending> pending_;
    HHOOK hook_;
    std::deque<Handler> handlers_;
    std::vector<SeenBox> seen_;
    std::vector<HWND> answered_;
};

// A top-level window of another process that `accept` takes, or null.
HWND FindWindowOf(DWORD process_id, const std::function<bool(HWND)>& accept);
// A top-level window of another process with this title, or null.
HWND TopWindowOf(DWORD process_id, const char* title);
// A control's text in another process (GetWindowText reads only captions there).
std::string ControlText(HWND control);

// Posts a button click to a dialog.
void PressButton(HWND dialog, int id);
std::string WindowText(HWND window);
std::string StatusPart(HWND status_bar, int part);
