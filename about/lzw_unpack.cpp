#include "about/lzw_unpack.h"

namespace {

// Reads codes LSB first without ever touching a byte at or past `end`.
struct BitReader {
    const uint8_t* data;
    size_t length;
    size_t bitPos = 0;

    // False when fewer than `width` bits remain.
    bool Read(unsigned width, unsigned& code) {
        if (bitPos + width > length * 8) return false;
        size_t byte = bitPos >> 3;
        unsigned shift = bitPos & 7;
        uint32_t acc = 0;
        // A code of at most 14 bits starting anywhere in a byte spans at most
        // three bytes.
        for (unsigned i = 0; i < 3 && byte + i < length; ++i)
            acc |= uint32_t(data[byte + i]) << (8 * i);
        code = (acc >> shift) & ((1u << width) - 1);
        bitPos += width;
        return true;
    }
};

} // namespace

LzwOutcome LzwUnpack(const uint8_t* packed, size_t packedLen, uint8_t* dest, size_t destCap,
                     LzwDictionary& dict) {
    LzwOutcome out{LzwResult::Ok, 0};
    if (packedLen == 0) return out;

    BitReader in{packed, packedLen};
    unsigned width = kLzwMinWidth;
    unsigned limit = 1u << kLzwMinWidth;
    unsigned nextCode = kLzwFirstCode;
    unsigned prevCode = 0;
    uint8_t prevFirst = 0;
    // The start of a stream behaves like a clear: the first code must be a
    // literal and adds no entry.
    bool afterClear = true;

    for (;;) {
        unsigned code;
        if (!in.Read(width, code)) {
            out.result = LzwResult::Truncated;
            return out;
        }
        if (code == kLzwEndCode) return out;
        if (code == kLzwClearCode) {
            width = kLzwMinWidth;
            limit = 1u << kLzwMinWidth;
            nextCode = kLzwFirstCode;
            afterClear = true;
            continue;
        }
        if (afterClear) {
            if (code > 255) {
                out.result = LzwResult::BadCode;
                return out;
            }
            if (out.written >= destCap) {
                out.result = LzwResult::Overflow;
                return out;
            }
            dest[out.written++] = uint8_t(code);
            prevCode = code;
            prevFirst = uint8_t(code);
            afterClear = false;
            continue;
        }

        // The string of `code`, or for the code about to be defined (the
        // encoder ran one step ahead), the previous string plus its own first
        // byte.
        unsigned walk;
        size_t len;
        bool pending = code >= nextCode;
        if (pending) {
            if (code != nextCode || nextCode >= kLzwMaxCodes) {
                out.result = LzwResult::BadCode;
                return out;
            }
            walk = prevCode;
            len = (prevCode < 256 ? 1 : dict.length[prevCode]) + 1;
        } else {
            walk = code;
            len = code < 256 ? 1 : dict.length[code];
        }
        if (len > destCap - out.written) {
            out.result = LzwResult::Overflow;
            return out;
        }
        uint8_t* str = dest + out.written;
        size_t pos = len;
        if (pending) str[--pos] = prevFirst;
        // Prefixes are always smaller than the code they belong to, so this
        // walk ends at a literal after exactly the recorded length.
        while (walk >= 256) {
            str[--pos] = dict.suffix[walk];
            walk = dict.prefix[walk];
        }
        str[--pos] = uint8_t(walk);
        out.written += len;
        uint8_t first = str[0];

        if (nextCode < kLzwMaxCodes) {
            dict.prefix[nextCode] = uint16_t(prevCode);
            dict.suffix[nextCode] = first;
            dict.length[nextCode] = uint16_t((prevCode < 256 ? 1 : dict.length[prevCode]) + 1);
            ++nextCode;
            if (nextCode >= limit && width < kLzwMaxWidth) {
                ++width;
                limit <<= 1;
            }
        }
        prevCode = code;
        prevFirst = first;
    }
}
