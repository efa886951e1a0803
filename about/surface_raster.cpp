#include "about/surface_raster.h"

#include <algorithm>

namespace {

// Glyph offsets are 16-bit and widths 8-bit, so no glyph reaches past this
// pitch; a taller line than this is no bitmap font.
constexpr uint64_t kFontMaxPitch = 65536 + 256;
constexpr uint64_t kFontMaxLineHeight = 4096;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

unsigned GlyphOffset(const uint8_t* font, unsigned index) {
    const uint8_t* p = font + kFontGlyphOffsets + 2 * index;
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

unsigned GlyphWidth(const uint8_t* font, unsigned index) {
    return font[kFontGlyphWidths + index];
}

// Blends `colour` over `pixel` with opacity a/256: red and blue together,
// green alone, no division.
uint32_t Blend(uint32_t colour, uint32_t pixel, uint32_t a) {
    uint32_t rb = ((colour & 0xFF00FF) * a + (pixel & 0xFF00FF) * (256 - a)) >> 8;
    uint32_t g = ((colour & 0x00FF00) * a + (pixel & 0x00FF00) * (256 - a)) >> 8;
    return (rb & 0xFF00FF) | (g & 0x00FF00);
}

} // namespace

bool RasterFontValid(const uint8_t* font, size_t size) {
    if (font == nullptr || size < kFontAtlas) return false;
    uint64_t pitch = ReadU32(font + kFontPitchOffset);
    uint64_t height = ReadU32(font + kFontHeightOffset);
    if (height == 0 || height > kFontMaxLineHeight || pitch > kFontMaxPitch) return false;
    if (kFontAtlas + pitch * height > size) return false;
    for (unsigned i = 0; i < kFontGlyphCount; ++i)
        if (GlyphOffset(font, i) + uint64_t(GlyphWidth(font, i)) > pitch) return false;
    return true;
}

SurfRect RasterClipToImage(const SurfImage& image, SurfRect clip) {
    clip.left = std::max(clip.left, 0);
    clip.top = std::max(clip.top, 0);
    clip.right = std::min(clip.right, image.width);
    clip.bottom = std::min(clip.bottom, image.height);
    return clip;
}

void RasterFillRect(SurfImage& image, const SurfRect& clip, int32_t x, int32_t y, int32_t width,
                    int32_t height, uint32_t colour) {
    if (width <= 0 || height <= 0) return;
    int64_t left = std::max<int64_t>(x, clip.left);
    int64_t top = std::max<int64_t>(y, clip.top);
    int64_t right = std::min<int64_t>(int64_t(x) + width, clip.right);
    int64_t bottom = std::min<int64_t>(int64_t(y) + height, clip.bottom);
    if (left >= right || top >= bottom) return;
    for (int64_t row = top; row < bottom; ++row) {
        uint32_t* p = RasterRow(image, int32_t(row));
        std::fill(p + left, p + right, colour);
    }
}

void RasterPutPixel(SurfImage& image, const SurfRect& clip, int32_t x, int32_t y, uint32_t colour) {
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) return;
    RasterRow(image, y)[x] = colour;
}

void RasterMeasureText(const uint8_t* font, const char* text, uint32_t* width, uint32_t* height) {
    uint32_t line_height = font ? ReadU32(font + kFontHeightOffset) : 0;
    uint32_t widest = 0, line = 0, lines = 1;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p) {
        if (*p == '\n') {
            widest = std::max(widest, line);
            line = 0;
            ++lines;
        } else if (*p >= 32 && *p < 128 && font) {
            line += GlyphWidth(font, *p - 32) + 1;
        }
    }
    if (width) *width = std::max(widest, line);
    if (height) *height = line_height * lines;
}

void RasterDrawText(SurfImage& image, const SurfRect& clip, const uint8_t* font, int32_t x,
                    int32_t y, const char* text, uint32_t colour) {
    if (text == nullptr || font == nullptr) return;
    if (x >= clip.right || y >= clip.bottom) return;
    uint32_t text_width, text_height;
    RasterMeasureText(font, text, &text_width, &text_height);
    if (int64_t(x) + text_width <= clip.left || int64_t(y) + text_height <= clip.top) return;

    const uint32_t pitch = ReadU32(font + kFontPitchOffset);
    const int64_t line_height = ReadU32(font + kFontHeightOffset);
    const bool mask = ReadU32(font + kFontModeOffset) != 0;
    const uint8_t* atlas = font + kFontAtlas;

    int64_t pen_x = x, pen_y = y;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '\n') {
            pen_x = x;
            pen_y += line_height;
            continue;
        }
        if (*p < 32 || *p >= 128) continue;
        const unsigned glyph = *p - 32;
        const int64_t glyph_width = GlyphWidth(font, glyph);
        const int64_t left = std::max<int64_t>(pen_x, clip.left);
        const int64_t right = std::min<int64_t>(pen_x + glyph_width, clip.right);
        const int64_t top = std::max<int64_t>(pen_y, clip.top);
        const int64_t bottom = std::min<int64_t>(pen_y + line_height, clip.bottom);
        if (left < right && top < bottom) {
            const uint8_t* column = atlas + GlyphOffset(font, glyph) + (left - pen_x);
            for (int64_t row = top; row < bottom; ++row) {
                const uint8_t* a = column + (row - pen_y) * pitch;
                uint32_t* dst = RasterRow(image, int32_t(row)) + left;
                const int64_t n = right - left;
                if (mask) {
                    for (int64_t i = 0; i < n; ++i)
                        if (a[i]) dst[i] = colour;
                } else {
                    for (int64_t i = 0; i < n; ++i)
                        dst[i] = Blend(colour, dst[i], a[i]);
                }
            }
        }
        pen_x += glyph_width;
    }
}

void RasterConvert565(SurfImage& image, const uint8_t* data, bool alpha) {
    const size_t count = size_t(image.width) * size_t(image.height);
    const uint8_t* alpha_plane = data + 2 * count;
    size_t i = 0;
    for (int32_t y = 0; y < image.height; ++y) {
        uint32_t* row = RasterRow(image, y);
        for (int32_t x = 0; x < image.width; ++x, ++i) {
            uint32_t p = uint32_t(data[2 * i]) | uint32_t(data[2 * i + 1]) << 8;
            uint32_t blue = (p & 31) * 8, green = ((p >> 5) & 63) * 4, red = (p >> 11) * 8;
            uint32_t a = alpha ? alpha_plane[i] : 255;
            row[x] = a << 24 | red << 16 | green << 8 | blue;
        }
    }
    if (alpha) image.flags |= kSurfImageAlpha;
}
