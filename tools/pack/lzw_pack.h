// LZW encoder producing the stream that about/lzw_unpack reads: codes LSB
// first, 9 to 14 bits, clear 256, end 257, first dictionary code 258.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Packs `data`. The stream starts with a clear code and ends with the end
// code. When the dictionary is full a clear code starts a new one; with
// `clear_every` > 0 a clear is also sent after every that many codes (used to
// exercise the decoder's reset path).
std::vector<uint8_t> LzwPack(const uint8_t* data, size_t size, size_t clear_every = 0);
