#include "about/about_dialog.h"

#include "about/about_font.h"
#include "about/music/about_module.h"
#include "about/music/music.h"
#include "about/surface.h"
#include "common/dpi.h"
#include "common/modal_dialog.h"
#include "common/win32_owners.h"
#include "resources/resource_ids.h"

#include <optional>

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFramePeriodMs = 20;

struct AboutState {
    const AboutRequest* request;
    std::optional<WindowTimer> frame_timer; // runs from set-up to tear-down
};

// One frame; nothing is drawn and nothing moves while the box is not visible.
void DrawFrame(HWND dialog, const AboutRequest& request) {
    if (!SurfBeginFrame(dialog)) return;
    ComposeAboutFrame(*request.animation, request.credit_text, request.build_text);
    SurfEndFrame();
}

void SetUp(HWND dialog, AboutState& state) {
    SurfInit(kAboutWidth, kAboutHeight);
    // The pixel art grows with the dialog, by the steps its pictures take:
    // as 2 x 2 blocks at 200 %, as blocks of 1 or 2 pixels a side at 150 %.
    SurfSetWindowScale(DialogPictureScale(dialog), 100);
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    OpenAboutAnimation(*state.request->animation);
    state.frame_timer.emplace(dialog, kFrameTimer, kFramePeriodMs);
    // Without a sound device the animation simply runs in silence.
    MusicPlay(kAboutModule, kAboutModuleSize, MUSIC_FROM_MEMORY);
}

void TearDown(HWND dialog, AboutState& state) {
    state.frame_timer.reset();
    SurfShutdown();
    MusicPlay(nullptr, 0, 0);
    EndDialog(dialog, 0);
}

INT_PTR AboutProc(HWND dialog, AboutState& state, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetUp(dialog, state);
        return TRUE;
    case WM_COMMAND: // Enter and Escape do not close the box
        return TRUE;
    case WM_PAINT:
        ValidateRect(dialog, nullptr);
        DrawFrame(dialog, *state.request);
        return TRUE;
    case WM_TIMER:
        DrawFrame(dialog, *state.request);
        return TRUE;
    case WM_CLOSE:
        TearDown(dialog, state);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenAboutDialog(HINSTANCE instance, HWND owner, const AboutRequest& request) {
    AboutState state{&request, std::nullopt};
    ShowModalDialog<AboutState, AboutProc>(instance, IDD_ABOUT, owner, state);
}
