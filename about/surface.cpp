// The portable part of the drawing library: the Surf* drawing calls over
// the back buffer, the unpacker, fonts and packed images.
#include "about/surface.h"

#include "about/lzw_unpack.h"
#include "about/surface_state.h"

#include <cstring>

SurfState g_surface;
const uint8_t* SurfCurrentFont = nullptr;

namespace {

// Packed font: magic, packed length, unpacked length, then the stream.
constexpr char kFontMagic[4] = {'T', 'F', 'D', 'S'};
enum : uint32_t { kFontPackedLenAt = 4, kFontUnpackedLenAt = 8, kFontHeaderBytes = 12 };

// Packed image: width word, height, packed length, then the stream.
enum : uint32_t {
    kImageWidthAt = 0,
    kImageHeightAt = 4,
    kImagePackedLenAt = 8,
    kImageHeaderBytes = 12,
    kImageAlphaFlag = 0x10000, // in the width word: an alpha plane follows ...
    kImageWidthMask = 0xFFFF,  // ... and the width is the word's low bits
    kImageMaxSide = 0xFFFF,
    kImageBytesPerPixel = 2, // 5:6:5, then one alpha byte when flagged
};
constexpr uint64_t kLargestBlock = 0x7FFFFFFF; // byte counts travel as int32_t

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// a * b / c rounded down or up, for a window or back-buffer coordinate.
int32_t ScaleDown(int32_t a, int32_t b, int32_t c) {
    const int64_t p = int64_t(a) * b;
    return int32_t(p >= 0 ? p / c : -((-p + c - 1) / c));
}
int32_t ScaleUp(int32_t a, int32_t b, int32_t c) {
    return -ScaleDown(-a, b, c);
}

} // namespace

SurfImage* SurfBackBuffer() {
    return g_surface.back_buffer;
}

void SurfSetWindowScale(int32_t numerator, int32_t denominator) {
    if (numerator <= 0 || denominator <= 0) numerator = denominator = 1;
    g_surface.scale_numerator = numerator;
    g_surface.scale_denominator = denominator;
}

bool SurfWindowUnscaled() {
    return g_surface.scale_numerator == g_surface.scale_denominator;
}

SurfRect SurfBufferRectOf(SurfRect window) {
    const int32_t n = g_surface.scale_numerator, d = g_surface.scale_denominator;
    return SurfRect{ScaleDown(window.left, d, n), ScaleDown(window.top, d, n),
                    ScaleUp(window.right, d, n), ScaleUp(window.bottom, d, n)};
}

int32_t SurfWindowLength(int32_t buffer_length) {
    return ScaleUp(buffer_length, g_surface.scale_numerator, g_surface.scale_denominator);
}

void SurfSetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (g_surface.back_buffer == nullptr) {
        g_surface.clip = SurfRect{0, 0, 0, 0};
        return;
    }
    g_surface.clip = RasterClipToImage(*g_surface.back_buffer, SurfRect{left, top, right, bottom});
}

void SurfFillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour) {
    if (g_surface.back_buffer)
        RasterFillRect(*g_surface.back_buffer, g_surface.clip, x, y, width, height, colour);
}

void SurfPutPixel(int32_t x, int32_t y, uint32_t colour) {
    if (g_surface.back_buffer) RasterPutPixel(*g_surface.back_buffer, g_surface.clip, x, y, colour);
}

void SurfDrawText(int32_t x, int32_t y, const char* text, uint32_t colour) {
    if (g_surface.back_buffer)
        RasterDrawText(*g_surface.back_buffer, g_surface.clip, SurfCurrentFont, x, y, text, colour);
}

void SurfMeasureText(const char* text, uint32_t* width, uint32_t* height) {
    RasterMeasureText(SurfCurrentFont, text, width, height);
}

int32_t SurfUnpack(const void* packed, void* dest, uint32_t packed_len, uint32_t dest_capacity) {
    if (packed_len == 0) return 0;
    if (packed == nullptr || (dest == nullptr && dest_capacity > 0)) return -1;
    auto* dict = static_cast<LzwDictionary*>(SurfHeapAlloc(sizeof(LzwDictionary)));
    if (dict == nullptr) return -1;
    LzwOutcome out = LzwUnpack(static_cast<const uint8_t*>(packed), packed_len,
                               static_cast<uint8_t*>(dest), dest_capacity, *dict);
    SurfHeapFree(dict);
    if (out.result != LzwResult::Ok || out.written > kLargestBlock) return -1;
    return int32_t(out.written);
}

const uint8_t* SurfLoadFont(const void* packed, uint32_t size) {
    const auto* p = static_cast<const uint8_t*>(packed);
    if (p == nullptr || size < kFontHeaderBytes ||
        std::memcmp(p, kFontMagic, sizeof kFontMagic) != 0)
        return nullptr;
    uint32_t packed_len = ReadU32(p + kFontPackedLenAt);
    uint32_t unpacked_len = ReadU32(p + kFontUnpackedLenAt);
    if (packed_len > size - kFontHeaderBytes || unpacked_len < kFontAtlas) return nullptr;
    auto* font = static_cast<uint8_t*>(SurfHeapAlloc(unpacked_len));
    if (font == nullptr) return nullptr;
    int32_t written = SurfUnpack(p + kFontHeaderBytes, font, packed_len, unpacked_len);
    // A block that is not a whole, consistent font would make text drawing
    // read outside it.
    if (written != int32_t(unpacked_len) || !RasterFontValid(font, unpacked_len)) {
        SurfHeapFree(font);
        return nullptr;
    }
    return font;
}

SurfImage* SurfLoadPackedImage(const void* packed, uint32_t size) {
    const auto* p = static_cast<const uint8_t*>(packed);
    if (p == nullptr || size < kImageHeaderBytes) return nullptr;
    uint32_t width_word = ReadU32(p + kImageWidthAt);
    bool alpha = (width_word & kImageAlphaFlag) != 0;
    uint32_t width = alpha ? (width_word & kImageWidthMask) : width_word;
    uint32_t height = ReadU32(p + kImageHeightAt);
    uint32_t packed_len = ReadU32(p + kImagePackedLenAt);
    if (packed_len > size - kImageHeaderBytes || width == 0 || height == 0 ||
        width > kImageMaxSide || height > kImageMaxSide)
        return nullptr;
    uint64_t count = uint64_t(width) * height;
    uint64_t data_len = count * (kImageBytesPerPixel + (alpha ? 1 : 0));
    if (data_len > kLargestBlock || count * kSurfBytesPerPixel > kLargestBlock) return nullptr;

    auto* data = static_cast<uint8_t*>(SurfHeapAlloc(size_t(data_len)));
    auto* image = static_cast<SurfImage*>(SurfHeapAlloc(sizeof(SurfImage)));
    auto* pixels = static_cast<uint8_t*>(SurfHeapAlloc(size_t(count * kSurfBytesPerPixel)));
    SurfImage* result = nullptr;
    if (data && image && pixels &&
        SurfUnpack(p + kImageHeaderBytes, data, packed_len, uint32_t(data_len)) ==
            int32_t(data_len)) {
        image->width = int32_t(width);
        image->height = int32_t(height);
        image->bitmap = nullptr;
        image->pitch = int32_t(width * kSurfBytesPerPixel);
        image->pixels = pixels;
        image->top_row = pixels + size_t(height - 1) * image->pitch;
        image->flags = 0;
        RasterConvert565(*image, data, alpha);
        image->next = g_surface.images;
        g_surface.images = image;
        result = image;
    }
    SurfHeapFree(data);
    if (result == nullptr) {
        SurfHeapFree(image);
        SurfHeapFree(pixels);
    }
    return result;
}

void SurfFreeImages() {
    while (SurfImage* image = g_surface.images) {
        g_surface.images = image->next;
        SurfHeapFree(image->pixels);
        SurfHeapFree(image);
    }
}
