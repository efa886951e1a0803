// Coloured static texts of dialogs: the answer to WM_CTLCOLORSTATIC.
#pragma once

#include <windows.h>

// Text in `colour` on a transparent background over the button face.
inline INT_PTR ColouredStaticText(HDC dc, COLORREF colour) {
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}
