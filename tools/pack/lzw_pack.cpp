#include "tools/pack/lzw_pack.h"

#include "about/lzw_unpack.h"

#include <unordered_map>

namespace {

struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t acc = 0;
    unsigned bits = 0;

    void Write(unsigned code, unsigned width) {
        acc |= uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    void Flush() {
        if (bits > 0) out.push_back(uint8_t(acc));
        acc = 0;
        bits = 0;
    }
};

// The encoder defines each entry one code before the decoder does, so the
// code width is derived from the decoder's count of entries: it is what the
// decoder uses to read the next code.
struct Encoder {
    BitWriter writer;
    std::unordered_map<uint32_t, uint16_t> dict;
    unsigned next_code = kLzwFirstCode; // encoder side
    unsigned decoder_next = kLzwFirstCode;
    unsigned width = kLzwMinWidth;
    bool decoder_after_clear = true;
    size_t codes_since_clear = 0;

    void Emit(unsigned code) {
        writer.Write(code, width);
        if (code == kLzwClearCode) {
            width = kLzwMinWidth;
            decoder_next = kLzwFirstCode;
            decoder_after_clear = true;
            return;
        }
        if (decoder_after_clear) {
            decoder_after_clear = false;
            return;
        }
        if (decoder_next < kLzwMaxCodes) {
            ++decoder_next;
            if (decoder_next >= (1u << width) && width < kLzwMaxWidth) ++width;
        }
    }

    void Clear() {
        Emit(kLzwClearCode);
        dict.clear();
        next_code = kLzwFirstCode;
        codes_since_clear = 0;
    }
};

} // namespace

std::vector<uint8_t> LzwPack(const uint8_t* data, size_t size, size_t clear_every) {
    std::vector<uint8_t> out;
    Encoder enc{BitWriter{out}, {}};
    enc.Clear();
    if (size > 0) {
        unsigned prefix = data[0];
        for (size_t i = 1; i < size; ++i) {
            uint32_t key = (uint32_t(prefix) << 8) | data[i];
            auto it = enc.dict.find(key);
            if (it != enc.dict.end()) {
                prefix = it->second;
                continue;
            }
            enc.Emit(prefix);
            ++enc.codes_since_clear;
            if (enc.next_code < kLzwMaxCodes) enc.dict.emplace(key, uint16_t(enc.next_code++));
            if (enc.next_code >= kLzwMaxCodes ||
                (clear_every > 0 && enc.codes_since_clear >= clear_every))
                enc.Clear();
            prefix = data[i];
        }
        enc.Emit(prefix);
    }
    enc.Emit(kLzwEndCode);
    enc.writer.Flush();
    return out;
}
