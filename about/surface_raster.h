// Raster primitives over a 32-bit pixel image and a clip rectangle; the
// drawing library's Surf* calls apply them to the back buffer.
#pragma once

#include "about/surface.h"

#include <cstddef>
#include <cstdint>

struct SurfRect {
    int32_t left, top, right, bottom; // right and bottom exclusive
};

// Layout of an unpacked font block.
enum : uint32_t {
    kFontPitchOffset = 0,
    kFontHeightOffset = 4,
    kFontModeOffset = 8,
    kFontGlyphOffsets = 12, // 96 x uint16, characters 32..127
    kFontGlyphWidths = 204, // 96 x uint8
    kFontAtlas = 300,
    kFontGlyphCount = 96,
};

// True when `font` (of `size` bytes) is a font block whose atlas and glyphs
// all lie inside it.
bool RasterFontValid(const uint8_t* font, size_t size);

// The clip rectangle intersected with the image; empty rectangles come out
// with right <= left or bottom <= top.
SurfRect RasterClipToImage(const SurfImage& image, SurfRect clip);

// All of these expect `clip` to lie inside `image` (RasterClipToImage).
void RasterFillRect(SurfImage& image, const SurfRect& clip, int32_t x, int32_t y, int32_t width,
                    int32_t height, uint32_t colour);
void RasterPutPixel(SurfImage& image, const SurfRect& clip, int32_t x, int32_t y, uint32_t colour);
void RasterDrawText(SurfImage& image, const SurfRect& clip, const uint8_t* font, int32_t x,
                    int32_t y, const char* text, uint32_t colour);
void RasterMeasureText(const uint8_t* font, const char* text, uint32_t* width, uint32_t* height);

// Converts unpacked image data (width x height 16-bit 5:6:5 pixels, top row
// first, then optionally width x height alpha bytes) into `image`.
void RasterConvert565(SurfImage& image, const uint8_t* data, bool alpha);

inline uint32_t* RasterRow(const SurfImage& image, int32_t y) {
    return reinterpret_cast<uint32_t*>(image.top_row - ptrdiff_t(y) * image.pitch);
}
