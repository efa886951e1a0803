#include "dialogs/restricted_text_field.h"

#include "dialogs/text_filter.h"

#include <vector>

namespace {

const char kOriginalProc[] = "PellamRestrictedTextField.Original";

WNDPROC Original(HWND edit) {
    return reinterpret_cast<WNDPROC>(GetPropA(edit, kOriginalProc));
}

// The clipboard's text, filtered, replaces the selection.
void PasteFiltered(HWND edit) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(edit)) return;
    std::vector<char> filtered;
    size_t dropped = 0;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            filtered.resize(strlen(text) + 1);
            const bool multiline = (GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE) != 0;
            dropped = FilterPastedText(text, filtered.data(), filtered.size(), multiline);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (dropped > 0) MessageBeep(MB_OK);
    if (!filtered.empty() && filtered[0] != 0)
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(filtered.data()));
}

LRESULT CALLBACK RestrictedTextProc(HWND edit, UINT message, WPARAM w, LPARAM l) {
    const WNDPROC original = Original(edit);
    switch (message) {
    case WM_CHAR:
        if (!IsAcceptedCharacter(static_cast<unsigned char>(w & 0xFF))) {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_PASTE:
        PasteFiltered(edit);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(edit, kOriginalProc);
        break;
    }
    return CallWindowProcA(original, edit, message, w, l);
}

} // namespace

void AttachRestrictedTextField(HWND edit) {
    if (!edit || Original(edit)) return;
    SetPropA(edit, kOriginalProc, reinterpret_cast<HANDLE>(GetWindowLongPtrA(edit, GWLP_WNDPROC)));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RestrictedTextProc));
}
