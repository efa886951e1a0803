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

// Mixes `count` frames without boundary checks.
void MixRun(const int16_t* data, int64_t& pos, int64_t step, Voice& v, int64_t* mix, int count) {
    int32_t left = v.left, right = v.right;
    const int32_t incLeft = v.incLeft, incRight = v.incRight;
    for (int i = 0; i < count; ++i) {
        const int64_t idx = pos >> 32;
        const int32_t s0 = data[idx], s1 = data[idx + 1];
        const int64_t frac = pos & 0xFFFFFFFF;
        const int64_t s = s0 * 64 + (((s1 - s0) * frac) >> 26);
        mix[2 * i] += (s * left / 64) >> 1;
        mix[2 * i + 1] += (s * right / 64) >> 1;
        left += incLeft;
        right += incRight;
        pos += step;
    }
    v.left = left;
    v.right = right;
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
        MixRun(s->pcm.data(), pos, v.backwards ? -step : step, v, mix, count);
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

void ConvertBlock(const int64_t* mix, int frames, int32_t masterVolume, int16_t* out,
                  uint64_t& leftSum, uint64_t& rightSum) {
    leftSum = rightSum = 0;
    for (int i = 0; i < 2 * frames; ++i) {
        int64_t s = mix[i];
        int64_t a = s < 0 ? -s : s;
        a = std::min<int64_t>((a + 8160) / 16320, 32767);
        a = (a * masterVolume) >> 15;
        out[i] = static_cast<int16_t>(s < 0 ? -a : a);
        (i & 1 ? rightSum : leftSum) += static_cast<uint64_t>(a);
    }
}

} // namespace xm
