// The About box's software drawing library: a 32-bit back buffer composed
// with plain memory writes and copied to a window once per frame, a bitmap
// font, and the packed (LZW) form of its font and images.
//
// Pixels are 0xAARRGGBB little-endian 32-bit values. Coordinates are
// back-buffer pixels, y downward. One process-wide instance, used from the
// user-interface thread only.
#pragma once

#include <cstdint>

struct SurfImage {
    int32_t width;
    int32_t height;
    void* bitmap;     // the DIB section owning the pixels (back buffer only)
    uint8_t* pixels;  // rows bottom row first
    uint8_t* top_row; // pixels + (height - 1) * pitch
    int32_t pitch;    // width * 4
    uint32_t flags;   // kSurfImageAlpha
    SurfImage* next;  // image list link
};

enum : uint32_t { kSurfImageAlpha = 1 };

// A window handle (HWND on Windows); the host build ignores it.
typedef void* SurfWindow;

// The font used by SurfDrawText and SurfMeasureText (an unpacked font block).
extern const uint8_t* SurfCurrentFont;

// Creates the back buffer (0 = the screen's size; the host build uses
// 640 x 480). Returns false if it could not be made.
bool SurfInit(int32_t width, int32_t height);
// Frees the images, the back buffer, the font and the private heap.
void SurfShutdown();
// Starts a frame: takes the window's context and clip box. False (and no
// context held) when nothing of the window is visible.
bool SurfBeginFrame(SurfWindow window);
// Copies the frame rectangle to the window and releases its context.
void SurfEndFrame();
// True between a successful SurfBeginFrame and SurfEndFrame (a window
// context is held).
bool SurfFrameActive();
// The back buffer, or null before SurfInit.
SurfImage* SurfBackBuffer();

void SurfFillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour);
void SurfPutPixel(int32_t x, int32_t y, uint32_t colour);
void SurfDrawText(int32_t x, int32_t y, const char* text, uint32_t colour);
void SurfMeasureText(const char* text, uint32_t* width, uint32_t* height);

// Unpacks a packed font ("TFDS", packed length, unpacked length, stream) of
// `size` bytes into a block on the private heap. Null when the magic is
// wrong, the header does not fit `size`, the stream is malformed or the
// unpacked block is not a consistent font.
const uint8_t* SurfLoadFont(const void* packed, uint32_t size);

// The LZW decoder: unpacks `packed_len` bytes into at most `dest_capacity`
// bytes. Returns the bytes written, 0 for an empty stream, or -1 when the
// stream is malformed (what was written up to then stays in `dest`).
int32_t SurfUnpack(const void* packed, void* dest, uint32_t packed_len, uint32_t dest_capacity);

// Unpacks a packed image (width word, height, packed length, stream) of
// `size` bytes into a new 32-bit image on the image list. Null when the
// header does not fit `size` or the stream does not unpack to exactly the
// image's pixels.
SurfImage* SurfLoadPackedImage(const void* packed, uint32_t size);

// How much larger the window shows the back buffer: numerator / denominator
// window pixels per back-buffer pixel (1 / 1 until set, and again after
// SurfShutdown). 2 / 1 shows each pixel as a 2 x 2 block; other ratios show
// each pixel as the nearest whole block (3 / 2: 1 or 2 pixels a side), so
// pixel art stays sharp on a display at 150 % or 200 %.
void SurfSetWindowScale(int32_t numerator, int32_t denominator);

// Sets the clip rectangle (right and bottom exclusive), intersected with
// the back buffer. SurfBeginFrame sets it from the window; tests and the
// host build use it directly.
void SurfSetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);
