// The About box: animated credits over a starfield with the About module
// playing. Only the caption's close ends it.
#pragma once

#include "about/credits_animation.h"

#include <windows.h>

// What the box shows, all of it owned by the caller.
struct AboutRequest {
    AboutAnimation* animation; // carries over from one opening to the next
    const char* credit_text;   // the credit line, with the current year
    const char* build_text;    // the program's file version
};

// Modal over `owner`. The box ends nothing else: a caller with a board
// connection ends it first.
void OpenAboutDialog(HINSTANCE instance, HWND owner, const AboutRequest& request);
