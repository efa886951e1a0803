// Window side of the drawing library: the private heap, the back buffer as a
// DIB section selected into a memory context, and the per-frame window
// context with its clip box.
#include "about/surface.h"
#include "about/surface_state.h"

#include <windows.h>

namespace {

struct Win32Surface {
    HANDLE heap = nullptr;
    HDC memory_dc = nullptr;
    HGDIOBJ previous_bitmap = nullptr;
    HWND window = nullptr;
    HDC window_dc = nullptr;
};

Win32Surface gWin;

// True when visible top-level windows above the window's own top-level
// window cover all of its client area. The clip box alone does not show
// this where the desktop composes windows (each keeps its whole clip box
// while covered), so the frame would be drawn for nothing.
bool ClientWhollyCovered(HWND hwnd) {
    RECT client;
    if (!GetClientRect(hwnd, &client)) return false;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    OffsetRect(&client, origin.x, origin.y);
    HRGN visible = CreateRectRgnIndirect(&client);
    HRGN cover = CreateRectRgn(0, 0, 0, 0);
    bool covered = false;
    if (visible && cover) {
        HWND top = GetAncestor(hwnd, GA_ROOT);
        int kind = SIMPLEREGION;
        for (HWND w = GetWindow(top, GW_HWNDPREV); w && kind != NULLREGION;
             w = GetWindow(w, GW_HWNDPREV)) {
            if (!IsWindowVisible(w) || IsIconic(w)) continue;
            // Layered and click-through windows may let the window show through.
            if (GetWindowLongW(w, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
            RECT r;
            if (!GetWindowRect(w, &r)) continue;
            SetRectRgn(cover, r.left, r.top, r.right, r.bottom);
            kind = CombineRgn(visible, visible, cover, RGN_DIFF);
        }
        covered = kind == NULLREGION;
    }
    if (visible) DeleteObject(visible);
    if (cover) DeleteObject(cover);
    return covered;
}

} // namespace

void* SurfHeapAlloc(size_t size) {
    if (gWin.heap == nullptr) gWin.heap = HeapCreate(0, 10000, 0);
    if (gWin.heap == nullptr) return nullptr;
    return HeapAlloc(gWin.heap, HEAP_ZERO_MEMORY, size);
}

void SurfHeapFree(void* block) {
    if (block && gWin.heap) HeapFree(gWin.heap, 0, block);
}

void SurfHeapDestroy() {
    if (gWin.heap) HeapDestroy(gWin.heap);
    gWin.heap = nullptr;
}

bool SurfInit(int32_t width, int32_t height) {
    if (gSurf.back_buffer) SurfShutdown();
    if (width == 0) width = GetSystemMetrics(SM_CXSCREEN);
    if (height == 0) height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;

    HDC screen = GetDC(nullptr);
    gWin.memory_dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (gWin.memory_dc == nullptr) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(width) * DWORD(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(gWin.memory_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* image = static_cast<SurfImage*>(SurfHeapAlloc(sizeof(SurfImage)));
    if (bitmap == nullptr || bits == nullptr || image == nullptr) {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(gWin.memory_dc);
        gWin.memory_dc = nullptr;
        SurfHeapDestroy();
        return false;
    }
    image->width = width;
    image->height = height;
    image->bitmap = bitmap;
    image->pitch = width * 4;
    image->pixels = static_cast<uint8_t*>(bits);
    image->top_row = image->pixels + size_t(height - 1) * image->pitch;
    image->flags = 0;
    image->next = nullptr;
    gWin.previous_bitmap = SelectObject(gWin.memory_dc, bitmap);
    gSurf.back_buffer = image;
    SurfSetClip(0, 0, width, height);
    return true;
}

void SurfShutdown() {
    if (gWin.window_dc) SurfEndFrame();
    SurfFreeImages();
    if (gWin.memory_dc) {
        if (gWin.previous_bitmap) SelectObject(gWin.memory_dc, gWin.previous_bitmap);
        if (gSurf.back_buffer && gSurf.back_buffer->bitmap)
            DeleteObject(static_cast<HBITMAP>(gSurf.back_buffer->bitmap));
        DeleteDC(gWin.memory_dc);
    }
    gWin.memory_dc = nullptr;
    gWin.previous_bitmap = nullptr;
    gSurf.back_buffer = nullptr;
    gSurf.clip = gSurf.frame = SurfRect{0, 0, 0, 0};
    SurfCurrentFont = nullptr;
    SurfHeapDestroy();
}

bool SurfBeginFrame(SurfWindow window) {
    if (gSurf.back_buffer == nullptr || gWin.window_dc) return false;
    HWND hwnd = static_cast<HWND>(window);
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) return false;
    RECT box;
    int kind = GetClipBox(dc, &box);
    if (kind == NULLREGION || kind == ERROR || box.left >= box.right || box.top >= box.bottom ||
        ClientWhollyCovered(hwnd)) {
        ReleaseDC(hwnd, dc);
        return false;
    }
    GdiFlush(); // no GDI work on the back buffer may still be pending
    gWin.window = hwnd;
    gWin.window_dc = dc;
    // The window may be larger than the back buffer: every write and the
    // final copy stay inside the buffer.
    SurfSetClip(box.left, box.top, box.right, box.bottom);
    gSurf.frame = gSurf.clip;
    return true;
}

void SurfEndFrame() {
    if (gWin.window_dc == nullptr) return;
    const SurfRect& f = gSurf.frame;
    if (f.left < f.right && f.top < f.bottom)
        BitBlt(gWin.window_dc, f.left, f.top, f.right - f.left, f.bottom - f.top, gWin.memory_dc,
               f.left, f.top, SRCCOPY);
    ReleaseDC(gWin.window, gWin.window_dc);
    gWin.window_dc = nullptr;
    gWin.window = nullptr;
}

bool SurfFrameActive() {
    return gWin.window_dc != nullptr;
}
