// Host stand-in for the window side of the drawing library: the back buffer
// is a plain heap block and a frame always covers all of it. Lets the host
// tests and benchmarks run the same drawing code as the program.
#include "about/surface.h"
#include "about/surface_state.h"

#include <cstdlib>

namespace {

struct BlockHeader {
    BlockHeader* prev;
    BlockHeader* next;
    size_t size;
    size_t pad; // keeps the block 16-byte aligned after the header
};

BlockHeader* gBlocks = nullptr;
bool gFrameActive = false;

} // namespace

void* SurfHeapAlloc(size_t size) {
    if (size > (size_t(1) << 31)) return nullptr;
    auto* h = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (h == nullptr) return nullptr;
    h->size = size;
    h->next = gBlocks;
    if (gBlocks) gBlocks->prev = h;
    gBlocks = h;
    return h + 1;
}

void SurfHeapFree(void* block) {
    if (block == nullptr) return;
    BlockHeader* h = static_cast<BlockHeader*>(block) - 1;
    if (h->prev)
        h->prev->next = h->next;
    else
        gBlocks = h->next;
    if (h->next) h->next->prev = h->prev;
    std::free(h);
}

void SurfHeapDestroy() {
    while (gBlocks) {
        BlockHeader* next = gBlocks->next;
        std::free(gBlocks);
        gBlocks = next;
    }
}

bool SurfInit(int32_t width, int32_t height) {
    if (gSurf.back_buffer) SurfShutdown();
    if (width == 0) width = 640;
    if (height == 0) height = 480;
    if (width < 0 || height < 0 || width > 16384 || height > 16384) return false;
    auto* image = static_cast<SurfImage*>(SurfHeapAlloc(sizeof(SurfImage)));
    auto* pixels = static_cast<uint8_t*>(SurfHeapAlloc(size_t(width) * height * 4));
    if (image == nullptr || pixels == nullptr) {
        SurfHeapDestroy();
        return false;
    }
    image->width = width;
    image->height = height;
    image->bitmap = nullptr;
    image->pitch = width * 4;
    image->pixels = pixels;
    image->top_row = pixels + size_t(height - 1) * image->pitch;
    image->flags = 0;
    image->next = nullptr;
    gSurf.back_buffer = image;
    SurfSetClip(0, 0, width, height);
    return true;
}

void SurfShutdown() {
    gFrameActive = false;
    SurfFreeImages();
    gSurf.back_buffer = nullptr;
    gSurf.clip = gSurf.frame = SurfRect{0, 0, 0, 0};
    SurfCurrentFont = nullptr;
    SurfHeapDestroy();
}

bool SurfBeginFrame(SurfWindow) {
    if (gSurf.back_buffer == nullptr) return false;
    SurfSetClip(0, 0, gSurf.back_buffer->width, gSurf.back_buffer->height);
    gSurf.frame = gSurf.clip;
    gFrameActive = true;
    return true;
}

void SurfEndFrame() {
    gFrameActive = false;
}

bool SurfFrameActive() {
    return gFrameActive;
}
