// libFuzzer target for the LZW decoder: the first two bytes give the
// destination capacity, the rest is the packed stream. The destination is
// allocated at exactly that capacity, so ASan catches any write past it.
#include "about/lzw_unpack.h"

#include <cstdlib>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LzwDictionary dict;
    if (size < 2) return 0;
    size_t cap = size_t(data[0]) | size_t(data[1]) << 8;
    std::unique_ptr<uint8_t[]> dest(new uint8_t[cap ? cap : 1]);
    // The stream is copied to a block of exactly its size as well.
    std::vector<uint8_t> packed(data + 2, data + size);
    std::unique_ptr<uint8_t[]> in(new uint8_t[packed.size() ? packed.size() : 1]);
    for (size_t i = 0; i < packed.size(); ++i)
        in[i] = packed[i];
    LzwOutcome r = LzwUnpack(in.get(), packed.size(), dest.get(), cap, dict);
    if (r.written > cap) std::abort();
    return 0;
}
