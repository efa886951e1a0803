// A 5x7 pixel font for the texts drawn into our resource pictures.
#pragma once

#include <cstdint>

// Seven rows of five bits (bit 4 = leftmost) for char c, or nullptr.
const uint8_t* Glyph5x7(char c);
