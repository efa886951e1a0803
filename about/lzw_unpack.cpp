#include "about/lzw_unpack.h"

namespace {

// Reads codes LSB first without ever touching a byte at or past `end`.
struct BitReader {
    const uint8_t* data;
    size_t length;
    size_t bit_pos = 0;

    // False when fewer than `width` bits remain.
    bool Read(unsigned width, unsigned& code) {
        if (bit_pos + width > length * 8) return false;
        size_t byte = bit_pos >> 3;
        unsigned shift = bit_pos & 7;
        uint32_t acc = 0;
        // A code of at most 14 bits starting anywhere in a byte spans at most
        // three bytes.
        for (unsigned i = 0; i < 3 && byte + i < length; ++i)
            acc |= uint32_t(data[byte + i]) << (8 * i);
        code = (acc >> shift) & ((1u << width) - 1);
        bit_pos += width;
        return true;
    }
};

} // namespace

LzwOutcome LzwUnpack(const uint8_t* packed, size_t packed_len, uint8_t* dest, size_t dest_cap,
                     LzwDictionary& dict) {
    LzwOutcome out{LzwResult::Ok, 0};
    if (packed_len == 0) return out;

    BitReader in{packed, packed_len};
    unsigned width = kLzwMinWidth;
    unsigned limit = 1u << kLzwMinWidth;
    unsigned next_code = kLzwFirstCode;
    unsigned prev_code = 0;
    uint8_t prev_first = 0;
    // The start of a stream behaves like a clear: the first code must be a
    // literal and adds no entry.
    bool after_clear = true;

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
            next_code = kLzwFirstCode;
            after_clear = true;
            continue;
        }
        if (after_clear) {
            if (code > 255) {
                out.result = LzwResult::BadCode;
                return out;
            }
            if (out.written >= dest_cap) {
                out.result = LzwResult::Overflow;
                return out;
            }
            dest[out.written++] = uint8_t(code);
            prev_code = code;
            prev_first = uint8_t(code);
            after_clear = false;
            continue;
        }

        // The string of `code`, or for the code about to be defined (the
        // encoder ran one step ahead), the previous string plus its own first
        // byte.
        unsigned walk;
        size_t len;
        bool pending = code >= next_code;
        if (pending) {
            if (code != next_code || next_code >= kLzwMaxCodes) {
                out.result = LzwResult::BadCode;
                return out;
            }
            walk = prev_code;
            len = (prev_code < 256 ? 1 : dict.length[prev_code]) + 1;
        } else {
            walk = code;
            len = code < 256 ? 1 : dict.length[code];
        }
        if (len > dest_cap - out.written) {
            out.result = LzwResult::Overflow;
            return out;
        }
        uint8_t* str = dest + out.written;
        size_t pos = len;
        if (pending) str[--pos] = prev_first;
        // Prefixes are always smaller than the code they belong to, so this
        // walk ends at a literal after exactly the recorded length.
        while (walk >= 256) {
            str[--pos] = dict.suffix[walk];
            walk = dict.prefix[walk];
        }
        str[--pos] = uint8_t(walk);
        out.written += len;
        uint8_t first = str[0];

        if (next_code < kLzwMaxCodes) {
            dict.prefix[next_code] = uint16_t(prev_code);
            dict.suffix[next_code] = first;
            dict.length[next_code] = uint16_t((prev_code < 256 ? 1 : dict.length[prev_code]) + 1);
            ++next_code;
            if (next_code >= limit && width < kLzwMaxWidth) {
                ++width;
                limit <<= 1;
            }
        }
        prev_code = code;
        prev_first = first;
    }
}
