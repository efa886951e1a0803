// Pellam.exe: start-up and the message loop.
#include "app/main_window.h"
#include "common/system/comctl32.h"
#include "common/system/library.h"
#include "grid/grid_messages.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RemoveCurrentFolderFromDllSearch();
    // Without the common controls no window of the program can be made (an
    // import of comctl32.dll would have stopped the start the same way).
    if (!Comctl32Dll().complete) {
        MessageBoxA(nullptr, "Pellam cannot start: comctl32.dll is missing from the system folder.",
                    nullptr, MB_OK | MB_ICONERROR);
        return 1;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterGridClasses(instance);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS};
    Comctl32Dll().InitCommonControlsEx(&controls);
    RegisterMainWindowClass(instance);
    if (HWND window = CreateMainWindow(instance)) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    // The loop does no dialog keyboard navigation, as for any main window.
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
