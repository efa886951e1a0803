// The error box of a failed database action: what failed, then why (the
// driver's own text), with an error icon, under the database caption
// unless the box has a caption of its own (null: the system's).
#pragma once

#include "common/text_helpers.h"

#include <windows.h>

// The caption of the program's error and confirmation boxes (two blanks first).
constexpr char kErrorCaption[] = "  Pellam Board";

inline void ShowDatabaseError(HWND owner, const char* what, const char* why,
                              const char* caption = kErrorCaption) {
    char text[1024];
    CopyTextBounded(what, text, sizeof text);
    AppendTextBounded(text, sizeof text, "\r\n\r\n");
    AppendTextBounded(text, sizeof text, why);
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}
