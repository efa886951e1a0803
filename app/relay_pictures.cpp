#include "app/relay_pictures.h"

#include "app/app_state.h"
#include "common/text_helpers.h"
#include "app/session.h"
#include "devlib/pellam_dll.h"
#include "resources/resource_ids.h"

#include <shellapi.h>

#include <cstdio>

const char kProductPageAddress[] = "https://www.qvoxline-circuits.example/pellam-board";

namespace {

// A click switches the relay to its other position; the next poll shows it.
void ClickRelay(int relay) {
    if (!g_session.connected || !g_session.board_ready) return;
    if (CompareText(g_session.record.relays[relay - 1].confirm, "YES")) {
        char caption[16];
        std::snprintf(caption, sizeof caption, "Relay %d", relay);
        if (MessageBoxA(g_main.window, "Execute Relay Action ?  ", caption,
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    // The state is read after the confirmation: polls go on while it is open.
    WritePellam(g_session.board_id, RelayClickCommand(relay, g_session.relay_at_nc[relay - 1] != 0),
                0);
}

// The pictures act as links: the hand cursor over them, an action when the
// left button comes up. Everything else goes to their own procedure, which
// they get back when they are destroyed.
template <typename OnClick>
LRESULT ClickablePicture(HWND picture, UINT message, WPARAM w, LPARAM l, WNDPROC original,
                         OnClick on_click) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
        SetCursor(g_main.hand);
        return 0;
    case WM_LBUTTONUP:
        SetCursor(g_main.hand);
        on_click();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        break;
    }
    return CallWindowProcA(original, picture, message, w, l);
}

LRESULT CALLBACK RelayPictureProc(HWND picture, UINT message, WPARAM w, LPARAM l) {
    const int relay = GetDlgCtrlID(picture) - IDC_RELAY1_PICTURE + 1;
    return ClickablePicture(picture, message, w, l, g_main.picture_procs[relay - 1],
                            [relay] { ClickRelay(relay); });
}

LRESULT CALLBACK LogoProc(HWND logo, UINT message, WPARAM w, LPARAM l) {
    // The operator's own browser shows the page; failures are not reported.
    return ClickablePicture(logo, message, w, l, g_main.logo_proc, [] {
        ShellExecuteA(nullptr, "open", kProductPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
    });
}

WNDPROC Subclass(int id, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(g_main.window, id), GWLP_WNDPROC,
                                                       reinterpret_cast<LONG_PTR>(procedure)));
}

} // namespace

void SubclassPictures() {
    g_main.logo_proc = Subclass(IDC_LOGO, LogoProc);
    for (int n = 0; n < kRelayCount; ++n)
        g_main.picture_procs[n] = Subclass(IDC_RELAY1_PICTURE + n, RelayPictureProc);
}
