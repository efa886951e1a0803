// Modal dialogs whose state lives with their window. The caller's state
// record goes in as the creation parameter and is kept in DWLP_USER, so two
// dialogs of one kind (a list reopened over another, say) never share state,
// and the caller reads the outcome back from the same record.
#pragma once

#include <windows.h>

template <typename State>
using DialogHandler = INT_PTR (*)(HWND dialog, State& state, UINT message, WPARAM w, LPARAM l);

// The one dialog procedure: messages that come before WM_INITDIALOG (there
// is no state yet) get the default handling.
template <typename State, DialogHandler<State> Handler>
INT_PTR CALLBACK StatefulDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, l);
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return state ? Handler(dialog, *state, message, w, l) : FALSE;
}

// Runs template `template_id` modally over `owner` with `state` as its
// record; returns what EndDialog was given (-1 when it could not be made).
template <typename State, DialogHandler<State> Handler>
INT_PTR ShowModalDialog(HINSTANCE instance, int template_id, HWND owner, State& state) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(template_id), owner,
                           StatefulDialogProc<State, Handler>, reinterpret_cast<LPARAM>(&state));
}

// The state of the dialog `dialog` belongs to (null before its set-up).
template <typename State> State* DialogState(HWND dialog) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A picture control loads its template's bitmap itself and does not always
// free it: a dialog detaches the image when it ends and deletes it.
inline void ReleaseTemplatePicture(HWND dialog, int picture_id) {
    const LRESULT shown = SendDlgItemMessageA(dialog, picture_id, STM_SETIMAGE, IMAGE_BITMAP, 0);
    if (shown) DeleteObject(reinterpret_cast<HGDIOBJ>(shown));
}
