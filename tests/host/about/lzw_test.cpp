// The LZW decoder against our encoder, and against hand-made streams that
// break the format. Output buffers are exactly as large as the capacity
// given, so ASan reports any write past it.
#include "about/lzw_unpack.h"
#include "about/surface.h"
#include "tools/pack/lzw_pack.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

LzwOutcome Unpack(const std::vector<uint8_t>& packed, std::vector<uint8_t>& out) {
    auto dict = std::make_unique<LzwDictionary>();
    return LzwUnpack(packed.data(), packed.size(), out.data(), out.size(), *dict);
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& data, size_t clear_every = 0) {
    std::vector<uint8_t> packed = LzwPack(data.data(), data.size(), clear_every);
    std::vector<uint8_t> out(data.size());
    LzwOutcome r = Unpack(packed, out);
    EXPECT_EQ(r.result, LzwResult::Ok);
    EXPECT_EQ(r.written, data.size());
    return out;
}

// Writes codes LSB first with explicit widths.
struct Codes {
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    unsigned bits = 0;
    Codes& Put(unsigned code, unsigned width = 9) {
        acc |= code << bits;
        bits += width;
        while (bits >= 8) {
            bytes.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
        return *this;
    }
    std::vector<uint8_t> Done() {
        if (bits) bytes.push_back(uint8_t(acc));
        bits = 0;
        return bytes;
    }
};

std::vector<uint8_t> RandomBytes(size_t n, unsigned alphabet, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng() % alphabet);
    return v;
}

TEST(Lzw, RoundTripsSmallAndRepetitiveData) {
    for (size_t n : {0, 1, 2, 3, 255, 256, 1000}) {
        std::vector<uint8_t> data(n);
        for (size_t i = 0; i < n; ++i)
            data[i] = uint8_t(i * 7 + i / 3);
        EXPECT_EQ(RoundTrip(data), data) << n;
    }
    // A run of one byte makes the encoder send codes the decoder has not yet
    // defined (the string just being built).
    std::vector<uint8_t> run(5000, 'a');
    EXPECT_EQ(RoundTrip(run), run);
}

TEST(Lzw, RoundTripsThroughFullDictionariesAndResets) {
    // Random bytes fill the dictionary to its 14-bit end several times over,
    // so the code width grows through every step and clear codes follow.
    std::vector<uint8_t> data = RandomBytes(300000, 256, 1);
    std::vector<uint8_t> packed = LzwPack(data.data(), data.size());
    EXPECT_GT(packed.size(), data.size()); // incompressible, 14-bit codes
    EXPECT_EQ(RoundTrip(data), data);
    // A small alphabet packs well and reaches long strings.
    std::vector<uint8_t> text = RandomBytes(200000, 4, 2);
    EXPECT_EQ(RoundTrip(text), text);
    // Clear codes in the middle of a stream, at several spacings.
    for (size_t every : {1, 2, 255, 300, 5000})
        EXPECT_EQ(RoundTrip(text, every), text) << every;
}

TEST(Lzw, DecodesHandMadeStreams) {
    std::vector<uint8_t> out(8);
    // clear, 'a', 258 (not yet defined: "a" + "a"), end -> "aaa"
    auto r = Unpack(Codes().Put(256).Put('a').Put(258).Put(257).Done(), out);
    EXPECT_EQ(r.result, LzwResult::Ok);
    ASSERT_EQ(r.written, 3u);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 3), "aaa");
    // Clear directly followed by end, and clear after clear.
    r = Unpack(Codes().Put(256).Put(256).Put(257).Done(), out);
    EXPECT_EQ(r.result, LzwResult::Ok);
    EXPECT_EQ(r.written, 0u);
}

TEST(Lzw, MalformedStreamsStayInsideTheirBuffers) {
    std::vector<uint8_t> data = RandomBytes(20000, 16, 3);
    std::vector<uint8_t> packed = LzwPack(data.data(), data.size());
    std::vector<uint8_t> out(data.size());
    // Every truncation of the stream: no end code, input ends mid-code.
    for (size_t len = 1; len < packed.size(); len += 37) {
        std::vector<uint8_t> cut(packed.begin(), packed.begin() + long(len));
        EXPECT_EQ(Unpack(cut, out).result, LzwResult::Truncated) << len;
    }
    // The destination too small by one and far too small.
    for (size_t cap : {data.size() - 1, size_t(10), size_t(0)}) {
        std::vector<uint8_t> small(cap);
        LzwOutcome r = Unpack(packed, small);
        EXPECT_EQ(r.result, LzwResult::Overflow);
        EXPECT_LE(r.written, cap);
    }
    // A code beyond the next free code, and a dictionary code right after a clear.
    EXPECT_EQ(Unpack(Codes().Put(256).Put('a').Put(300).Put(257).Done(), out).result,
              LzwResult::BadCode);
    EXPECT_EQ(Unpack(Codes().Put(256).Put(258).Put(257).Done(), out).result, LzwResult::BadCode);
    // Literals forever without a clear: the dictionary stops growing at its
    // 14-bit end instead of running past its work area.
    Codes many;
    unsigned width = 9, next = 258;
    many.Put(256);
    many.Put('x');
    for (int i = 0; i < 20000; ++i) {
        many.Put('y', width);
        if (next < kLzwMaxCodes && ++next >= (1u << width) && width < 14) ++width;
    }
    many.Put(257, width);
    std::vector<uint8_t> big(20001);
    LzwOutcome r = Unpack(many.Done(), big);
    EXPECT_EQ(r.result, LzwResult::Ok);
    EXPECT_EQ(r.written, 20001u);
}

TEST(Lzw, SurfUnpackReportsBoundsAndFailures) {
    std::vector<uint8_t> data(3000, 'q');
    std::vector<uint8_t> packed = LzwPack(data.data(), data.size());
    std::vector<uint8_t> out(data.size());
    EXPECT_EQ(SurfUnpack(packed.data(), out.data(), uint32_t(packed.size()), uint32_t(out.size())),
              3000);
    EXPECT_EQ(SurfUnpack(packed.data(), out.data(), uint32_t(packed.size()), 2999), -1);
    EXPECT_EQ(SurfUnpack(packed.data(), out.data(), uint32_t(packed.size() - 1), 3000), -1);
    EXPECT_EQ(SurfUnpack(packed.data(), nullptr, 0, 0), 0); // empty: dest untouched
    SurfShutdown();
}

} // namespace
