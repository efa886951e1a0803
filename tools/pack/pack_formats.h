// Builds the About box's data in its packed forms: the bitmap font block
// and its "TFDS" form, and the packed 16-bit image form.
#pragma once

#include <cstdint>
#include <vector>

// The unpacked font block of the built-in 8 x 14 font: mask mode, 96 glyphs
// of width 8 at column 8k of a 768-byte-wide atlas, 14 rows. 11052 bytes.
std::vector<uint8_t> BuildAboutFontBlock();

// "TFDS", packed length, unpacked length, LZW stream of `block`.
std::vector<uint8_t> PackFontForm(const std::vector<uint8_t>& block);

// Width word (bit 16 = alpha plane follows), height, packed length, LZW
// stream of the 5:6:5 pixels (top row first) and, if given, the alpha bytes.
std::vector<uint8_t> PackImageForm(uint32_t width, uint32_t height,
                                   const std::vector<uint16_t>& pixels565,
                                   const std::vector<uint8_t>* alpha);

// 8-bit red, green, blue to 5:6:5 (truncating).
inline uint16_t To565(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// Writes `data` as a C++ source defining `extern const unsigned char
// <name>[]` and `extern const unsigned <name>Size`.
std::vector<char> EmitCppArray(const std::vector<uint8_t>& data, const char* name,
                               const char* comment);
