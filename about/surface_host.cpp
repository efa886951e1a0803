// Host stand-in for the window side of the drawing library: the back buffer
// is a plain heap block and a frame always covers all of it. Lets the host
// tests and benchmarks run the same drawing code as the program.
#include "about/surface.h"
#include "about/surface_state.h"

#include <cstdlib>

namespace {

// The size SurfInit(0, 0) stands in for the screen's.
constexpr int32_t kHostScreenWidth = 640;
constexpr int32_t kHostScreenHeight = 480;

struct BlockHeader {
    BlockHeader* prev;
    BlockHeader* next;
    size_t size;
    size_t pad; // keeps the block 16-byte aligned after the header
};

struct HostSurface {
    BlockHeader* blocks = nullptr; // every block of the stand-in heap, newest first
    bool frame_active = false;
};

HostSurface g_surface_host;

} // namespace

void* SurfHeapAlloc(size_t size) {
    if (size > (size_t(1) << 31)) return nullptr;
    auto* h = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (h == nullptr) return nullptr;
    h->size = size;
    h->next = g_surface_host.blocks;
    if (g_surface_host.blocks) g_surface_host.blocks->prev = h;
    g_surface_host.blocks = h;
    return h + 1;
}

void SurfHeapFree(void* block) {
    if (block == nullptr) return;
    BlockHeader* h = static_cast<BlockHeader*>(block) - 1;
    if (h->prev)
        h->prev->next = h->next;
    else
        g_surface_host.blocks = h->next;
    if (h->next) h->next->prev = h->prev;
    std::free(h);
}

void SurfHeapDestroy() {
    while (g_surface_host.blocks) {
        BlockHeader* next = g_surface_host.blocks->next;
        std::free(g_surface_host.blocks);
        g_surface_host.blocks = next;
    }
}

bool SurfInit(int32_t width, int32_t height) {
    if (g_surface.back_buffer) SurfShutdown();
    if (width == 0) width = kHostScreenWidth;
    if (height == 0) height = kHostScreenHeight;
    if (width < 0 || height < 0 || width > kSurfMaxSide || height > kSurfMaxSide) return false;
    auto* image = static_cast<SurfImage*>(SurfHeapAlloc(sizeof(SurfImage)));
    auto* pixels =
        static_cast<uint8_t*>(SurfHeapAlloc(size_t(width) * height * kSurfBytesPerPixel));
    if (image == nullptr || pixels == nullptr) {
        SurfHeapDestroy();
        return false;
    }
    image->width = width;
    image->height = height;
    image->bitmap = nullptr;
    image->pitch = width * kSurfBytesPerPixel;
    image->pixels = pixels;
    image->top_row = pixels + size_t(height - 1) * image->pitch;
    image->flags = 0;
    image->next = nullptr;
    g_surface.back_buffer = image;
    SurfSetClip(0, 0, width, height);
    return true;
}

void SurfShutdown() {
    g_surface_host.frame_active = false;
    SurfFreeImages();
    g_surface.back_buffer = nullptr;
    g_surface.clip = g_surface.frame = SurfRect{0, 0, 0, 0};
    SurfSetWindowScale(1, 1);
    SurfCurrentFont = nullptr;
    SurfHeapDestroy();
}

bool SurfBeginFrame(SurfWindow) {
    if (g_surface.back_buffer == nullptr) return false;
    SurfSetClip(0, 0, g_surface.back_buffer->width, g_surface.back_buffer->height);
    g_surface.frame = g_surface.clip;
    g_surface_host.frame_active = true;
    return true;
}

void SurfEndFrame() {
    g_surface_host.frame_active = false;
}

bool SurfFrameActive() {
    return g_surface_host.frame_active;
}
