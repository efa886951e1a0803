#include "app/status_bar.h"

#include "app/app_state.h"
#include "common/dpi.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

namespace {

constexpr int kStatusParts = 4;

} // namespace

void CreateMainStatusBar() {
    g_main.status_bar = CreateWindowExA(
        0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, g_main.window,
        reinterpret_cast<HMENU>(IDC_STATUS_BAR), g_main.instance, nullptr);
    // Right edges at 96 DPI, on the display; the last part reaches the right edge.
    int edges[kStatusParts] = {ScaleToDisplay(50), ScaleToDisplay(140), ScaleToDisplay(360), -1};
    SendMessageA(g_main.status_bar, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(edges));
    SetStatusText(0, "STATUS:");
    SetStatusText(1, "Not Connected");
    SetStatusText(2, "MSG:   Click on connect");
    SetStatusText(3, kAuthorCredit);
}

void SetStatusText(int part, const char* text) {
    SendMessageA(g_main.status_bar, SB_SETTEXTA, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(text));
}

void AdvanceCreditLine() {
    g_main.credit_counter = NextCreditCounter(g_main.credit_counter);
    SetStatusText(3, CreditLine(g_main.credit_counter, g_main.maker_line));
}
