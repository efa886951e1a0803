// LZW decoder for the packed data of the About box (font and images).
//
// Stream format: codes packed least-significant bit first; the code width
// starts at 9 bits and grows by one bit each time the next free code reaches
// 2^width, up to 14 bits. Codes 0-255 are literal bytes, 256 clears the
// dictionary, 257 ends the stream, 258 is the first dictionary code.
//
// The decoder is bounded in every direction: it never reads past the given
// input length, never writes past the destination capacity and never adds a
// dictionary entry beyond the largest code a 14-bit stream can name. A stream
// that would break any of these, or that names a code the dictionary does not
// hold yet, is reported as malformed.
#pragma once

#include <cstddef>
#include <cstdint>

enum : unsigned {
    kLzwClearCode = 256,
    kLzwEndCode = 257,
    kLzwFirstCode = 258,
    kLzwMinWidth = 9,
    kLzwMaxWidth = 14,
    kLzwMaxCodes = 1u << kLzwMaxWidth,
};

// Work area of the decoder: one entry per code. 81920 bytes.
struct LzwDictionary {
    uint16_t prefix[kLzwMaxCodes];
    uint16_t length[kLzwMaxCodes]; // string length of each code
    uint8_t suffix[kLzwMaxCodes];
};

enum class LzwResult {
    Ok,        // end code reached
    Truncated, // input ended before the end code
    Overflow,  // the output would exceed the destination capacity
    BadCode,   // a code beyond the dictionary, or a non-literal after a clear
};

struct LzwOutcome {
    LzwResult result;
    size_t written; // bytes written to the destination (also on failure)
};

// Decodes `packed` (`packed_len` bytes) into `dest` (`dest_cap` bytes), using
// `dict` as work area.
LzwOutcome LzwUnpack(const uint8_t* packed, size_t packed_len, uint8_t* dest, size_t dest_cap,
                     LzwDictionary& dict);
