#include "dialogs/restricted_text_field.h"

#include "dialogs/text_filter.h"

#include <string>
#include <vector>

namespace {

const char kOriginalProc[] = "PellamRestrictedTextField.Original";

WNDPROC Original(HWND edit) {
    return reinterpret_cast<WNDPROC>(GetPropA(edit, kOriginalProc));
}

bool IsMultiline(HWND edit) {
    return (GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE) != 0;
}

std::string TextOf(HWND edit, WNDPROC original) {
    const LRESULT length = CallWindowProcA(original, edit, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    CallWindowProcA(original, edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

// Messages that come often and never change the text: no check around them.
bool LeavesTextAlone(UINT message) {
    switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_SETCURSOR:
    case WM_NCHITTEST:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETDLGCODE:
    case WM_GETFONT:
    case WM_TIMER:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case EM_GETSEL:
    case EM_GETMODIFY:
    case EM_GETLINECOUNT:
    case EM_LINEINDEX:
    case EM_LINELENGTH:
    case EM_GETLINE:
        return true;
    }
    return false;
}

// The text changed while the control handled a message: refused characters
// in what was put in are taken out again, with one beep.
void KeepAcceptedInsertion(HWND edit, WNDPROC original, const std::string& before,
                           const std::string& after) {
    const FilteredEdit kept = FilterEdit(before, after, IsMultiline(edit));
    if (kept.dropped == 0) return;
    CallWindowProcA(original, edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kept.text.c_str()));
    CallWindowProcA(original, edit, EM_SETSEL, kept.caret, kept.caret);
    CallWindowProcA(original, edit, EM_SCROLLCARET, 0, 0);
    MessageBeep(MB_OK);
}

LRESULT SetFilteredText(HWND edit, WNDPROC original, const char* text) {
    const std::string given = text ? text : "";
    std::vector<char> kept(given.size() + 1);
    if (FilterPastedText(given.c_str(), kept.data(), kept.size(), IsMultiline(edit)) > 0)
        MessageBeep(MB_OK);
    return CallWindowProcA(original, edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kept.data()));
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
    case WM_SETTEXT:
        return SetFilteredText(edit, original, reinterpret_cast<const char*>(l));
    case WM_NCDESTROY:
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(edit, kOriginalProc);
        break;
    }
    if (LeavesTextAlone(message)) return CallWindowProcA(original, edit, message, w, l);
    // Every other route (a paste by any key or menu, a drop, EM_REPLACESEL,
    // an undo) is checked by what it changed.
    const std::string before = TextOf(edit, original);
    const LRESULT result = CallWindowProcA(original, edit, message, w, l);
    if (IsWindow(edit)) {
        const std::string after = TextOf(edit, original);
        if (after != before) KeepAcceptedInsertion(edit, original, before, after);
    }
    return result;
}

} // namespace

void AttachRestrictedTextField(HWND edit) {
    if (!edit || Original(edit)) return;
    SetPropA(edit, kOriginalProc, reinterpret_cast<HANDLE>(GetWindowLongPtrA(edit, GWLP_WNDPROC)));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RestrictedTextProc));
}

void SetStoredText(HWND edit, const char* text) {
    if (const WNDPROC original = Original(edit))
        CallWindowProcA(original, edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    else
        SetWindowTextA(edit, text);
}
