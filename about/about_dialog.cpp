#include "about/about_dialog.h"

#include "about/about_font.h"
#include "about/credits_animation.h"
#include "about/music/about_module.h"
#include "about/music/music.h"
#include "about/surface.h"
#include "app/app_state.h"
#include "app/relay_panel.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;

// One frame; nothing is drawn and nothing moves while the box is not visible.
void DrawFrame(HWND dialog) {
    if (!SurfBeginFrame(dialog)) return;
    ComposeAboutFrame(gAboutAnimation, gCreditText, g_main.build_text);
    SurfEndFrame();
}

void SetUp(HWND dialog) {
    Disconnect();
    SurfInit(kAboutWidth, kAboutHeight);
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    OpenAboutAnimation(gAboutAnimation);
    SetTimer(dialog, kFrameTimer, 20, nullptr);
    // Without a sound device the animation simply runs in silence.
    MusicPlay(kAboutModule, kAboutModuleSize, MUSIC_FROM_MEMORY);
}

void TearDown(HWND dialog) {
    KillTimer(dialog, kFrameTimer);
    SurfShutdown();
    MusicPlay(nullptr, 0, 0);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetUp(dialog);
        return TRUE;
    case WM_COMMAND: // Enter and Escape do not close the box
        return TRUE;
    case WM_PAINT:
        ValidateRect(dialog, nullptr);
        DrawFrame(dialog);
        return TRUE;
    case WM_TIMER:
        DrawFrame(dialog);
        return TRUE;
    case WM_CLOSE:
        TearDown(dialog);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenAboutDialog() {
    DialogBoxParamA(g_main.instance, MAKEINTRESOURCEA(IDD_ABOUT), g_main.window, AboutProc, 0);
}
