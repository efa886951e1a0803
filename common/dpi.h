// The display's resolution and the size of a dialog's layout as the
// program's windows see them, and the pictures drawn for them. The programs
// declare themselves DPI-aware in their manifest, so Windows lets them draw
// at the display's resolution instead of stretching (blurring) them;
// without that declaration, or under Wine, which stretches nothing, the
// same calls give the resolution the windows are laid out at.
//
// Sizes inside a dialog follow the dialog's base units (its font), like the
// template's own controls; sizes drawn in a font of the system (status bar,
// a font made in code) or outside dialogs follow the display's resolution.
#pragma once

#include "common/dpi_scale.h"
#include "common/win32_owners.h"

#include <windows.h>

// The screen's dots per inch (96 at 100 %), read once per process.
inline int DisplayDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return value > 0 ? value : kDesignDpi;
    }();
    return dpi;
}

// `pixels` at 96 DPI, on the screen.
inline int ScaleToDisplay(int pixels) {
    return ScaleForDpi(pixels, DisplayDpi());
}

// A dialog's base units in pixels (those of the design when it has none).
inline POINT DialogBaseUnits(HWND dialog) {
    RECT units{0, 0, 4, 8};
    if (!MapDialogRect(dialog, &units) || units.right <= 0 || units.bottom <= 0)
        return POINT{kDesignBaseUnitX, kDesignBaseUnitY};
    return POINT{units.right, units.bottom};
}

// Widths and heights of the design, in a dialog as its layout has grown.
inline int ScaleToDialogX(HWND dialog, int pixels) {
    return ScaleBy(pixels, DialogBaseUnits(dialog).x, kDesignBaseUnitX);
}
inline int ScaleToDialogY(HWND dialog, int pixels) {
    return ScaleBy(pixels, DialogBaseUnits(dialog).y, kDesignBaseUnitY);
}

// The picture set for a dialog, in percent (100, 150 or 200).
inline int DialogPictureScale(HWND dialog) {
    const POINT units = DialogBaseUnits(dialog);
    return PictureScaleForPercent(LayoutPercent(units.x, units.y));
}

// Picture `id` of the dialog's module from the set for the dialog, or its
// 100 % form when that set lacks it. The caller deletes it (DeleteObject).
inline HBITMAP LoadPictureForDialog(HWND dialog, int id) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    const int scaled = PictureIdForScale(id, DialogPictureScale(dialog));
    HBITMAP picture = scaled != id ? LoadBitmapA(instance, MAKEINTRESOURCEA(scaled)) : nullptr;
    return picture ? picture : LoadBitmapA(instance, MAKEINTRESOURCEA(id));
}

// A dialog's picture control shows picture `id` from the dialog's set in
// place of the 100 % one its template loaded, which is deleted. At 100 %
// the template's picture stays.
inline void ShowTemplatePictureForDialog(HWND dialog, int control, int id) {
    if (DialogPictureScale(dialog) == 100) return;
    HBITMAP picture = LoadPictureForDialog(dialog, id);
    if (!picture) return;
    const LRESULT shown = SendDlgItemMessageA(dialog, control, STM_SETIMAGE, IMAGE_BITMAP,
                                              reinterpret_cast<LPARAM>(picture));
    if (shown) DeleteObject(reinterpret_cast<HGDIOBJ>(shown));
}
