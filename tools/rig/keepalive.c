/* Keeps Wine's desktop and helper processes up while the tests run, so each
   test starts fast and no helper inherits a test's output pipes. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
    (void)instance;
    (void)previous;
    (void)command;
    (void)show;
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
