// The drawing library's process-wide state, shared by its portable part
// (surface.cpp) and the platform part (surface_win32.cpp / surface_host.cpp),
// which keeps what the platform needs in a record of its own.
#pragma once

#include "about/surface_raster.h"

#include <cstddef>

// The largest back buffer side SurfInit accepts, in pixels.
constexpr int32_t kSurfMaxSide = 16384;
// Pixels are 32-bit values.
constexpr int32_t kSurfBytesPerPixel = 4;

struct SurfState {
    SurfImage* back_buffer = nullptr;
    SurfImage* images = nullptr; // newest first
    SurfRect clip{0, 0, 0, 0};   // always inside the back buffer
    SurfRect frame{0, 0, 0, 0};  // copied to the window by SurfEndFrame
    int32_t scale_numerator = 1; // window pixels per back-buffer pixel ...
    int32_t scale_denominator = 1;
};

extern SurfState g_surface;

// The private heap, created on the first allocation and destroyed by
// SurfShutdown. Blocks come back zero-filled; null when out of memory.
void* SurfHeapAlloc(size_t size);
void SurfHeapFree(void* block);
void SurfHeapDestroy();

// Frees every image of the image list (part of SurfShutdown).
void SurfFreeImages();

// Whether the window shows the back buffer pixel for pixel.
bool SurfWindowUnscaled();
// The back-buffer rectangle that a window rectangle shows (every pixel of
// the window rectangle is drawn from inside it), not yet clipped to the
// back buffer.
SurfRect SurfBufferRectOf(SurfRect window);
// The size of the whole back buffer in the window, in window pixels.
int32_t SurfWindowLength(int32_t buffer_length);
