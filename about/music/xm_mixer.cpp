// Mixing of one voice slot: linear interpolation, 128-frame volume ramps,
// forward and ping-pong loops, spans cut only at region and ramp ends.
#include "about/music/xm_render.h"

#include <algorithm>
#include <cstring>

#include "about/music/xm_mix_lanes.h"

#if defined(__SSE2__)
#include <cpuid.h>
#endif

namespace xm {
namespace {

// 40 Hz at 48 kHz as a 32.32 step; replaces steps too small to move.
constexpr int64_t kStep40Hz = (40LL << 32) / kOutputRate;

void StartRampIfNeeded(Voice& v) {
    // The accumulator bound (see MixVoice) holds only for volumes up to 127.
    v.target_left = std::clamp(v.target_left, 0, kMaxVoiceVolume);
    v.target_right = std::clamp(v.target_right, 0, kMaxVoiceVolume);
    if (v.target_left == v.used_left && v.target_right == v.used_right) return;
    v.used_left = v.target_left;
    v.used_right = v.target_right;
    v.inc_left = (v.target_left * 128 - v.left) / kRampFrames;
    v.inc_right = (v.target_right * 128 - v.right) / kRampFrames;
    v.ramp = kRampFrames;
}

// One frame of linear interpolation with a 15-bit fraction, which keeps the
// product in 32 bits; the result is the sample value x 64.
inline int32_t Interpolate(const int16_t* data, int64_t p) {
    const int64_t idx = p >> 32;
    const int32_t s0 = data[idx], s1 = data[idx + 1];
    const int32_t frac = static_cast<int32_t>((p >> 17) & 0x7FFF);
    return s0 * 64 + (((s1 - s0) * frac) >> 9);
}

#if defined(__SSE2__)
bool CpuHasSse41() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_SSE4_1);
}

bool g_use_sse41 = CpuHasSse41();

// The vector kernels built twice: for any x86-64 processor, and for those
// with SSE4.1, chosen once at start-up.
template <bool kMono>
int MixFlatSse2(const int16_t* data, int64_t& pos, int64_t step, int32_t left, int32_t right,
                int32_t* mix, int count) {
    return lanes::MixFlat<kMono>(data, pos, step, left, right, mix, count);
}

template <bool kMono>
__attribute__((target("sse4.1"))) int MixFlatSse41(const int16_t* data, int64_t& pos, int64_t step,
                                                   int32_t left, int32_t right, int32_t* mix,
                                                   int count) {
    return lanes::MixFlat<kMono>(data, pos, step, left, right, mix, count);
}

int MixRampSse2(const int16_t* data, int64_t& pos, int64_t step, int32_t& left, int32_t& right,
                int32_t inc_left, int32_t inc_right, int32_t* mix, int count) {
    return lanes::MixRamp(data, pos, step, left, right, inc_left, inc_right, mix, count);
}

__attribute__((target("sse4.1"))) int MixRampSse41(const int16_t* data, int64_t& pos, int64_t step,
                                                   int32_t& left, int32_t& right, int32_t inc_left,
                                                   int32_t inc_right, int32_t* mix, int count) {
    return lanes::MixRamp(data, pos, step, left, right, inc_left, inc_right, mix, count);
}
#endif

// Mixes `count` frames without boundary checks. Specialised for the common
// cases: no ramp running, and equal left and right volumes.
template <bool kRamp, bool kMono>
void MixFrames(const int16_t* data, int64_t& pos, int64_t step, Voice& v, int32_t* mix, int count) {
    int32_t left = v.left, right = v.right;
    const int32_t inc_left = v.inc_left, inc_right = v.inc_right;
    // Without a ramp the volumes are whole multiples of 128, so
    // (s x volume) >> 7 is s x (volume / 128), a product that fits 32 bits.
    // It differs from a division rounded toward zero by at most one
    // accumulator unit (1/16320 of an output step) and is faster.
    const int32_t flat_left = left >> 7, flat_right = right >> 7;
    int64_t p = pos;
    int i = 0;
#if defined(__SSE2__)
    if (kRamp)
        i = (g_use_sse41 ? MixRampSse41 : MixRampSse2)(data, p, step, left, right, inc_left,
                                                       inc_right, mix, count);
    else
        i = (g_use_sse41 ? MixFlatSse41<kMono> : MixFlatSse2<kMono>)(data, p, step, flat_left,
                                                                     flat_right, mix, count);
#endif
    for (; i < count; ++i) {
        const int32_t s = Interpolate(data, p);
        if (kRamp) {
            mix[2 * i] += static_cast<int32_t>((static_cast<int64_t>(s) * left) >> 7);
            mix[2 * i + 1] += static_cast<int32_t>((static_cast<int64_t>(s) * right) >> 7);
            left += inc_left;
            right += inc_right;
        } else {
            const int32_t l = s * flat_left;
            mix[2 * i] += l;
            mix[2 * i + 1] += kMono ? l : s * flat_right;
        }
        p += step;
    }
    pos = p;
    v.left = left;
    v.right = right;
}

void MixRun(const int16_t* data, int64_t& pos, int64_t step, Voice& v, int32_t* mix, int count) {
    if (v.ramp)
        MixFrames<true, false>(data, pos, step, v, mix, count);
    else if (v.left == v.right)
        MixFrames<false, true>(data, pos, step, v, mix, count);
    else
        MixFrames<false, false>(data, pos, step, v, mix, count);
}

} // namespace

void PreferSse41Mixing(bool prefer) {
#if defined(__SSE2__)
    g_use_sse41 = prefer && CpuHasSse41();
#else
    (void)prefer;
#endif
}

bool MixVoice(Voice& v, int32_t* mix, int frames) {
    const Sample* s = v.sample;
    if (!s) return false;
    bool added = false;
    StartRampIfNeeded(v);
    int64_t step = static_cast<int64_t>(v.step);
    if ((step >> 5) == 0) step = kStep40Hz;
    const int64_t start = static_cast<int64_t>(s->loop_start) << 32;
    const int64_t end = static_cast<int64_t>(s->loop_start + s->loop_length) << 32;
    const int64_t loop_length = end - start;
    int64_t pos = static_cast<int64_t>(v.position);
    // Boundaries are handled before each run and after the last one, so the
    // stored position is always inside the playing region.
    for (;;) {
        if (!v.backwards && pos >= end) {
            if (s->loop == kLoopForward) {
                pos = start + (pos - end) % loop_length;
            } else if (s->loop == kLoopPingPong) {
                pos = end - 1 - std::min(pos - end, loop_length - 1);
                v.backwards = true;
            } else {
                v.sample = nullptr;
                return added;
            }
        } else if (v.backwards && pos < start) {
            pos = start + std::min(start - pos, loop_length - 1);
            v.backwards = false;
        }
        if (frames == 0) break;
        // Frames before the region boundary; the division is skipped when
        // all of them fit (the common case).
        const int64_t room = v.backwards ? pos - start : end - pos - 1;
        int count = frames;
        if (room < (frames - 1) * step) count = static_cast<int>(room / step + 1);
        if (v.ramp) count = std::min(count, v.ramp);
        const int64_t signed_step = v.backwards ? -step : step;
        if (v.ramp == 0 && v.left == 0 && v.right == 0)
            pos += signed_step * count; // silent: only the position moves
        else {
            MixRun(s->pcm.data(), pos, signed_step, v, mix, count);
            added = true;
        }
        if (v.ramp) {
            v.ramp -= count;
            if (v.ramp == 0) {
                v.left = v.used_left * 128;
                v.right = v.used_right * 128;
                v.inc_left = v.inc_right = 0;
            }
        }
        frames -= count;
        mix += 2 * count;
    }
    v.position = static_cast<uint64_t>(pos);
    return added;
}

namespace {

// |s| / 16320 rounding halves up, limited to 32767, times the master
// volume (32768 = unity). The SSE2 version below gives the same values.
inline int32_t ConvertValue(int32_t s, uint32_t master) {
    constexpr uint32_t kLimit = 32767u * 16320u - 8160u;
    const uint32_t magnitude = s < 0 ? 0u - static_cast<uint32_t>(s) : static_cast<uint32_t>(s);
    const uint32_t limited = magnitude < kLimit ? magnitude : kLimit;
    const uint32_t q = (((limited + 8160u) / 16320u) * master) >> 15;
    return s < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

#if defined(__SSE2__)
// Two frames at a time. (|s| + 8160) >> 6 is below 2^23, so it converts to
// float exactly, and floor(y / 255) equals floor((|s| + 8160) / 16320). A
// correctly rounded float division cannot round a quotient up across an
// integer here: the quotient is at least 1/255 below the next integer,
// which is more than half a float step for values below 32768.
int ConvertSse2(const int32_t* mix, int values, uint32_t master, int16_t* out, __m128i& sums) {
    const __m128i limit = _mm_set1_epi32(static_cast<int32_t>(32767u * 16320u - 8160u));
    const __m128i half = _mm_set1_epi32(8160);
    const __m128 divisor = _mm_set1_ps(255.0f);
    const __m128i master_pair = _mm_set1_epi32(static_cast<int32_t>(master));
    const bool unity = master == kUnityVolume;
    int i = 0;
    for (; i + 8 <= values; i += 8) {
        __m128i q[2];
        __m128i sign[2];
        for (int k = 0; k < 2; ++k) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + i + 4 * k));
            sign[k] = _mm_srai_epi32(s, 31);
            __m128i a = _mm_sub_epi32(_mm_xor_si128(s, sign[k]), sign[k]);
            // |s| < 2^31 here, so a signed compare limits it
            const __m128i over = _mm_cmpgt_epi32(a, limit);
            a = _mm_or_si128(_mm_and_si128(over, limit), _mm_andnot_si128(over, a));
            const __m128i y = _mm_srli_epi32(_mm_add_epi32(a, half), 6);
            __m128i v = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(y), divisor));
            // below 2^15, so one 16-bit multiply-add gives v x master
            if (!unity) v = _mm_srli_epi32(_mm_madd_epi16(v, master_pair), 15);
            sums = _mm_add_epi32(sums, v);
            q[k] = _mm_sub_epi32(_mm_xor_si128(v, sign[k]), sign[k]);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(q[0], q[1]));
    }
    return i;
}
#endif

} // namespace

void ConvertBlock(const int32_t* mix, int frames, int32_t master_volume, int16_t* out,
                  uint64_t& left_sum, uint64_t& right_sum) {
    const uint32_t master = static_cast<uint32_t>(master_volume);
    const int values = 2 * frames;
    uint64_t left = 0, right = 0;
    int i = 0;
#if defined(__SSE2__)
    if (master <= kUnityVolume) {
        // lanes 0 and 2 sum left values, 1 and 3 right ones; a block's sums
        // stay far below 2^32
        __m128i sums = _mm_setzero_si128();
        i = ConvertSse2(mix, values, master, out, sums);
        alignas(16) uint32_t lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
        left = uint64_t{lanes[0]} + lanes[2];
        right = uint64_t{lanes[1]} + lanes[3];
    }
#endif
    for (; i < values; i += 2) {
        const int32_t l = ConvertValue(mix[i], master), r = ConvertValue(mix[i + 1], master);
        out[i] = static_cast<int16_t>(l);
        out[i + 1] = static_cast<int16_t>(r);
        left += static_cast<uint32_t>(l < 0 ? -l : l);
        right += static_cast<uint32_t>(r < 0 ? -r : r);
    }
    left_sum = left;
    right_sum = right;
}

} // namespace xm
