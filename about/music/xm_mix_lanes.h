// Four-frame mixing kernels on 128-bit vectors, bit for bit equal to the
// mixer's one-frame formulas. They are always inlined into wrappers built
// for plain SSE2 and for SSE4.1: the 32-bit lane multiply is written as a
// vector expression, which SSE4.1 does in one instruction and SSE2 in five.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>

#define XM_ALWAYS_INLINE inline __attribute__((always_inline))

namespace xm::lanes {

using Int32x4 = int32_t __attribute__((vector_size(16)));

XM_ALWAYS_INLINE __m128i Multiply(__m128i a, __m128i b) {
    return (__m128i)((Int32x4)a * (Int32x4)b);
}

XM_ALWAYS_INLINE int32_t SamplePair(const int16_t* data, int64_t p) {
    int32_t pair;
    std::memcpy(&pair, data + (p >> 32), sizeof pair);
    return pair;
}

// Walks four positions at a time: the sample pairs come from the 64-bit
// positions, the fractions from their low 32 bits, advanced together.
struct Walker {
    const int16_t* data;
    int64_t p, step;
    __m128i low, low_step;

    XM_ALWAYS_INLINE Walker(const int16_t* samples, int64_t pos, int64_t stride)
        : data(samples), p(pos), step(stride) {
        // modulo 2^32, as the low halves of the positions wrap
        const uint32_t s = static_cast<uint32_t>(stride);
        low = _mm_add_epi32(_mm_set1_epi32(static_cast<int32_t>(pos)),
                            _mm_set_epi32(static_cast<int32_t>(3 * s), static_cast<int32_t>(2 * s),
                                          static_cast<int32_t>(s), 0));
        low_step = _mm_set1_epi32(static_cast<int32_t>(4 * s));
    }

    // The sample values x 64 of the next four frames: madd gives
    // s0 x (32767 - f) + s1 x f, and adding s0 makes it
    // s0 x 32768 + (s1 - s0) x f, whose >> 9 is the one-frame formula.
    XM_ALWAYS_INLINE __m128i Next() {
        const int64_t p1 = p + step, p2 = p1 + step, p3 = p2 + step;
        const __m128i pairs = _mm_set_epi32(SamplePair(data, p3), SamplePair(data, p2),
                                            SamplePair(data, p1), SamplePair(data, p));
        p = p3 + step;
        const __m128i frac_mask = _mm_set1_epi32(0x7FFF);
        const __m128i frac = _mm_and_si128(_mm_srli_epi32(low, 17), frac_mask);
        low = _mm_add_epi32(low, low_step);
        const __m128i weights =
            _mm_or_si128(_mm_sub_epi32(frac_mask, frac), _mm_slli_epi32(frac, 16));
        const __m128i first = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16);
        return _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, weights), first), 9);
    }
};

XM_ALWAYS_INLINE void AddFrames(int32_t* mix, __m128i left, __m128i right) {
    __m128i* out = reinterpret_cast<__m128i*>(mix);
    _mm_storeu_si128(out, _mm_add_epi32(_mm_loadu_si128(out), _mm_unpacklo_epi32(left, right)));
    _mm_storeu_si128(out + 1,
                     _mm_add_epi32(_mm_loadu_si128(out + 1), _mm_unpackhi_epi32(left, right)));
}

// Constant volumes (0..127). Returns the frames mixed, a multiple of four.
template <bool kMono>
XM_ALWAYS_INLINE int MixFlat(const int16_t* data, int64_t& pos, int64_t step, int32_t left,
                             int32_t right, int32_t* mix, int count) {
    Walker walk(data, pos, step);
    const __m128i volume_left = _mm_set1_epi32(left), volume_right = _mm_set1_epi32(right);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = walk.Next();
        const __m128i l = Multiply(s, volume_left);
        AddFrames(mix + 2 * i, l, kMono ? l : Multiply(s, volume_right));
    }
    pos = walk.p;
    return i;
}

// (s x volume) >> 7 with a 14-bit volume, in 32 bits: with volume =
// 128 h + l it is s x h + ((s x l) >> 7), both products below 2^29.
XM_ALWAYS_INLINE __m128i ScaleByRampVolume(__m128i s, __m128i volume) {
    const __m128i whole = _mm_srai_epi32(volume, 7);
    const __m128i part = _mm_and_si128(volume, _mm_set1_epi32(127));
    return _mm_add_epi32(Multiply(s, whole), _mm_srai_epi32(Multiply(s, part), 7));
}

// Volumes changing by a constant step each frame. Returns the frames mixed,
// a multiple of four; `left` and `right` advance with them.
XM_ALWAYS_INLINE int MixRamp(const int16_t* data, int64_t& pos, int64_t step, int32_t& left,
                             int32_t& right, int32_t inc_left, int32_t inc_right, int32_t* mix,
                             int count) {
    Walker walk(data, pos, step);
    __m128i volume_left =
        _mm_add_epi32(_mm_set1_epi32(left), _mm_set_epi32(3 * inc_left, 2 * inc_left, inc_left, 0));
    __m128i volume_right = _mm_add_epi32(_mm_set1_epi32(right),
                                         _mm_set_epi32(3 * inc_right, 2 * inc_right, inc_right, 0));
    const __m128i step_left = _mm_set1_epi32(4 * inc_left),
                  step_right = _mm_set1_epi32(4 * inc_right);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = walk.Next();
        AddFrames(mix + 2 * i, ScaleByRampVolume(s, volume_left),
                  ScaleByRampVolume(s, volume_right));
        volume_left = _mm_add_epi32(volume_left, step_left);
        volume_right = _mm_add_epi32(volume_right, step_right);
    }
    left += i * inc_left;
    right += i * inc_right;
    pos = walk.p;
    return i;
}

} // namespace xm::lanes
#endif
