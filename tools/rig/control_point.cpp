// Prints the screen point at the centre of a window's control, for the
// rig's scripts to click with xdotool at any display resolution:
//   wine_control_point.exe "WINDOW TITLE" CONTROL_ID     prints "x y"
// Exit status 1 when there is no such window or control.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wine_control_point TITLE CONTROL_ID\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    HWND control = window ? GetDlgItem(window, std::atoi(argv[2])) : nullptr;
    RECT client;
    if (!control || !GetClientRect(control, &client)) {
        std::fprintf(stderr, "no control %s in \"%s\"\n", argv[2], argv[1]);
        return 1;
    }
    POINT at{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(control, &at);
    std::printf("%ld %ld\n", at.x, at.y);
    return 0;
}
