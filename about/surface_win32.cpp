// Window side of the drawing library: the private heap, the back buffer as a
// DIB section selected into a memory context, and the per-frame window
// context with its clip box.
#include "about/surface.h"
#include "about/surface_state.h"
#include "common/win32_owners.h"

#include <windows.h>

#include <optional>

namespace {

constexpr SIZE_T kHeapInitialBytes = 10000; // the heap grows beyond this as needed

// The Win32 objects behind the back buffer and the current frame, each with
// its owner. SurfShutdown releases them in the order they depend on each
// other: the window context, the selection (the memory context gets its
// previous bitmap back), the bitmap, the memory context, then the heap.
struct SurfaceWindow {
    PrivateHeap heap;
    MemoryDc memory_dc;
    GdiObject<HBITMAP> back_bitmap; // the back buffer's pixels
    std::optional<SelectedObject> back_selection;
    // The frame's window context, held from SurfBeginFrame to SurfEndFrame.
    std::optional<WindowDc> window_dc;
};

SurfaceWindow g_surface_window;

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
    GdiObject<HRGN> visible(CreateRectRgnIndirect(&client));
    GdiObject<HRGN> cover(CreateRectRgn(0, 0, 0, 0));
    if (!visible || !cover) return false;
    HWND top = GetAncestor(hwnd, GA_ROOT);
    int kind = SIMPLEREGION;
    for (HWND w = GetWindow(top, GW_HWNDPREV); w && kind != NULLREGION;
         w = GetWindow(w, GW_HWNDPREV)) {
        if (!IsWindowVisible(w) || IsIconic(w)) continue;
        // Layered and click-through windows may let the window show through.
        if (GetWindowLongW(w, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
        RECT r;
        if (!GetWindowRect(w, &r)) continue;
        SetRectRgn(cover.get(), r.left, r.top, r.right, r.bottom);
        kind = CombineRgn(visible.get(), visible.get(), cover.get(), RGN_DIFF);
    }
    return kind == NULLREGION;
}

// True when the window's context shows some of the window; `box` is its
// clip box.
bool ClipBoxVisible(HWND hwnd, HDC dc, RECT& box) {
    int kind = GetClipBox(dc, &box);
    return kind != NULLREGION && kind != ERROR && box.left < box.right && box.top < box.bottom &&
           !ClientWhollyCovered(hwnd);
}

} // namespace

void* SurfHeapAlloc(size_t size) {
    PrivateHeap& heap = g_surface_window.heap;
    if (!heap) heap.Reset(HeapCreate(0, kHeapInitialBytes, 0));
    if (!heap) return nullptr;
    return HeapAlloc(heap.get(), HEAP_ZERO_MEMORY, size);
}

void SurfHeapFree(void* block) {
    if (block && g_surface_window.heap) HeapFree(g_surface_window.heap.get(), 0, block);
}

void SurfHeapDestroy() {
    g_surface_window.heap.Reset();
}

bool SurfInit(int32_t width, int32_t height) {
    if (g_surface.back_buffer) SurfShutdown();
    if (width == 0) width = GetSystemMetrics(SM_CXSCREEN);
    if (height == 0) height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0 || width > kSurfMaxSide || height > kSurfMaxSide) return false;

    SurfaceWindow& w = g_surface_window;
    {
        WindowDc screen(nullptr);
        w.memory_dc.Reset(CreateCompatibleDC(screen.get()));
    }
    if (!w.memory_dc) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 8 * kSurfBytesPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(width) * DWORD(height) * kSurfBytesPerPixel;
    void* bits = nullptr;
    w.back_bitmap.Reset(
        CreateDIBSection(w.memory_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* image = static_cast<SurfImage*>(SurfHeapAlloc(sizeof(SurfImage)));
    if (!w.back_bitmap || bits == nullptr || image == nullptr) {
        w.back_bitmap.Reset();
        w.memory_dc.Reset();
        SurfHeapDestroy();
        return false;
    }
    image->width = width;
    image->height = height;
    image->bitmap = w.back_bitmap.get(); // owned by back_bitmap
    image->pitch = width * kSurfBytesPerPixel;
    image->pixels = static_cast<uint8_t*>(bits);
    image->top_row = image->pixels + size_t(height - 1) * image->pitch;
    image->flags = 0;
    image->next = nullptr;
    w.back_selection.emplace(w.memory_dc.get(), w.back_bitmap.get());
    g_surface.back_buffer = image;
    SurfSetClip(0, 0, width, height);
    return true;
}

void SurfShutdown() {
    SurfaceWindow& w = g_surface_window;
    if (w.window_dc) SurfEndFrame();
    SurfFreeImages();
    w.back_selection.reset();
    w.back_bitmap.Reset();
    w.memory_dc.Reset();
    g_surface.back_buffer = nullptr; // its record goes with the heap
    g_surface.clip = g_surface.frame = SurfRect{0, 0, 0, 0};
    SurfSetWindowScale(1, 1);
    SurfCurrentFont = nullptr;
    SurfHeapDestroy();
}

bool SurfBeginFrame(SurfWindow window) {
    SurfaceWindow& w = g_surface_window;
    if (g_surface.back_buffer == nullptr || w.window_dc) return false;
    HWND hwnd = static_cast<HWND>(window);
    RECT box;
    w.window_dc.emplace(hwnd);
    if (!*w.window_dc || !ClipBoxVisible(hwnd, w.window_dc->get(), box)) {
        w.window_dc.reset();
        return false;
    }
    GdiFlush(); // no GDI work on the back buffer may still be pending
    // The window may be larger than the back buffer: every write and the
    // final copy stay inside the buffer.
    const SurfRect shown = SurfBufferRectOf(SurfRect{box.left, box.top, box.right, box.bottom});
    SurfSetClip(shown.left, shown.top, shown.right, shown.bottom);
    g_surface.frame = g_surface.clip;
    return true;
}

void SurfEndFrame() {
    SurfaceWindow& w = g_surface_window;
    if (!w.window_dc) return;
    const SurfRect& f = g_surface.frame;
    if (f.left < f.right && f.top < f.bottom) {
        HDC window_dc = w.window_dc->get();
        if (SurfWindowUnscaled()) {
            BitBlt(window_dc, f.left, f.top, f.right - f.left, f.bottom - f.top, w.memory_dc.get(),
                   f.left, f.top, SRCCOPY);
        } else {
            // The whole buffer, each pixel as a block of whole pixels (no
            // blending); the window's context shows only what is visible.
            const SurfImage& b = *g_surface.back_buffer;
            const int previous = SetStretchBltMode(window_dc, COLORONCOLOR);
            StretchBlt(window_dc, 0, 0, SurfWindowLength(b.width), SurfWindowLength(b.height),
                       w.memory_dc.get(), 0, 0, b.width, b.height, SRCCOPY);
            SetStretchBltMode(window_dc, previous);
        }
    }
    w.window_dc.reset();
}

bool SurfFrameActive() {
    return g_surface_window.window_dc.has_value();
}
