// Mixing of one voice slot: linear interpolation, 128-frame volume ramps,
// forward and ping-pong loops, spans cut only at region and ramp ends.
#include "about/music/xm_render.h"

#include <algorithm>

namespace xm {
namespace {

// 40 Hz at 48 kHz as a 32.32 step; replaces steps too small to move.
constexpr int64_t kStep40Hz = (40LL << 32) / kOutputRate;

void StartRampIfNeeded(Voice& v) {
    if (v.targetLeft == v.usedLeft && v.targetRight == v.usedRight) return;
    v.usedLeft = v.targetLeft;
    v.usedRight = v.targetRight;
    v.incLeft = (v.targetLeft * 128 - v.left) / kRampFrames;
    v.incRight = (v.targetRight * 128 - v.right) / kRampFrames;
    v.ramp = kRampFrames;
}

// Mixes `count` frames without boundary checks. Specialised for the common
// cases: no ramp running, and equal left and right volumes.
template <bool kRamp, bool kMono>
void MixFrames(const int16_t* data, int64_t& pos, int64_t step, Voice& v, int64_t* mix, int count) {
    int32_t left = v.left, right = v.right;
    const int32_t incLeft = v.incLeft, incRight = v.incRight;
    // Without a ramp the volumes are whole multiples of 128, so
    // (s x volume) >> 7 is s x (volume / 128), a product that fits 32 bits.
    const int32_t flatLeft = left >> 7, flatRight = right >> 7;
    int64_t p = pos;
    for (int i = 0; i < count; ++i) {
        // Linear interpolation with a 15-bit fraction, which keeps the
        // product in 32 bits; s is the sample value x 64. (s x volume) >> 7
        // differs from a division rounded toward zero by at most one
        // accumulator unit (1/16320 of an output step) and is faster.
        const int64_t idx = p >> 32;
        const int32_t s0 = data[idx], s1 = data[idx + 1];
        const int32_t frac = static_cast<int32_t>((p >> 17) & 0x7FFF);
        const int32_t s = s0 * 64 + (((s1 - s0) * frac) >> 9);
        if (kRamp) {
            mix[2 * i] += (static_cast<int64_t>(s) * left) >> 7;
            mix[2 * i + 1] += (static_cast<int64_t>(s) * right) >> 7;
            left += incLeft;
            right += incRight;
        } else {
            const int32_t l = s * flatLeft;
            mix[2 * i] += l;
            mix[2 * i + 1] += kMono ? l : s * flatRight;
        }
        p += step;
    }
    pos = p;
    v.left = left;
    v.right = right;
}

void MixRun(const int16_t* data, int64_t& pos, int64_t step, Voice& v, int64_t* mix, int count) {
    if (v.ramp)
        MixFrames<true, false>(data, pos, step, v, mix, count);
    else if (v.left == v.right)
        MixFrames<false, true>(data, pos, step, v, mix, count);
    else
        MixFrames<false, false>(data, pos, step, v, mix, count);
}

} // namespace

void MixVoice(Voice& v, int64_t* mix, int frames) {
    const Sample* s = v.sample;
    if (!s) return;
    StartRampIfNeeded(v);
    int64_t step = static_cast<int64_t>(v.step);
    if ((step >> 5) == 0) step = kStep40Hz;
    const int64_t start = static_cast<int64_t>(s->loopStart) << 32;
    const int64_t end = static_cast<int64_t>(s->loopStart + s->loopLength) << 32;
    const int64_t loopLength = end - start;
    int64_t pos = static_cast<int64_t>(v.position);
    // Boundaries are handled before each run and after the last one, so the
    // stored position is always inside the playing region.
    for (;;) {
        if (!v.backwards && pos >= end) {
            if (s->loop == kLoopForward) {
                pos = start + (pos - end) % loopLength;
            } else if (s->loop == kLoopPingPong) {
                pos = end - 1 - std::min(pos - end, loopLength - 1);
                v.backwards = true;
            } else {
                v.sample = nullptr;
                return;
            }
        } else if (v.backwards && pos < start) {
            pos = start + std::min(start - pos, loopLength - 1);
            v.backwards = false;
        }
        if (frames == 0) break;
        int64_t n = v.backwards ? (pos - start) / step + 1 : (end - pos + step - 1) / step;
        int count = static_cast<int>(std::min<int64_t>(frames, n));
        if (v.ramp) count = std::min(count, v.ramp);
        const int64_t signedStep = v.backwards ? -step : step;
        if (v.ramp == 0 && v.left == 0 && v.right == 0)
            pos += signedStep * count; // silent: only the position moves
        else
            MixRun(s->pcm.data(), pos, signedStep, v, mix, count);
        if (v.ramp) {
            v.ramp -= count;
            if (v.ramp == 0) {
                v.left = v.usedLeft * 128;
                v.right = v.usedRight * 128;
                v.incLeft = v.incRight = 0;
            }
        }
        frames -= count;
        mix += 2 * count;
    }
    v.position = static_cast<uint64_t>(pos);
}

namespace {

// |s| / 16320 rounding halves up, limited to 32767, times the master volume.
inline uint32_t ConvertMagnitude(int64_t s, uint32_t master) {
    constexpr uint64_t kLimit = 32767ULL * 16320 - 8160;
    uint64_t a = static_cast<uint64_t>(s < 0 ? -s : s);
    a = a < kLimit ? a : kLimit; // below 2^30: the division fits in 32 bits
    uint32_t q = (static_cast<uint32_t>(a) + 8160u) / 16320u;
    return (q * master) >> 15;
}

inline int16_t WithSign(int64_t s, uint32_t q) {
    int32_t v = static_cast<int32_t>(q);
    return static_cast<int16_t>(s < 0 ? -v : v);
}

} // namespace

void ConvertBlock(const int64_t* mix, int frames, int32_t masterVolume, int16_t* out,
                  uint64_t& leftSum, uint64_t& rightSum) {
    const uint32_t master = static_cast<uint32_t>(masterVolume);
    uint64_t left = 0, right = 0;
    for (int f = 0; f < frames; ++f) {
        const uint32_t l = ConvertMagnitude(mix[2 * f], master);
        const uint32_t r = ConvertMagnitude(mix[2 * f + 1], master);
        out[2 * f] = WithSign(mix[2 * f], l);
        out[2 * f + 1] = WithSign(mix[2 * f + 1], r);
        left += l;
        right += r;
    }
    leftSum = left;
    rightSum = right;
}

} // namespace xm
