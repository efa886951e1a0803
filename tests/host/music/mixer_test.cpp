// The mixer on hand-made voices: ramps, interpolation, loops, conversion.
#include "about/music/xm_render.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

xm::Sample MakeSample(std::vector<int16_t> values, uint8_t loop, int loopStart, int loopLength) {
    xm::Sample s;
    s.length = static_cast<int32_t>(values.size());
    s.loop = loop;
    s.loopStart = loop ? loopStart : 0;
    s.loopLength = loop ? loopLength : s.length;
    s.pcm = values;
    s.pcm.resize(values.size() + xm::kGuardSamples, 0);
    int end = s.loopStart + s.loopLength;
    if (loop == xm::kLoopForward) s.pcm[end] = s.pcm[s.loopStart];
    if (loop == xm::kLoopPingPong) s.pcm[end] = s.pcm[end - 1];
    return s;
}

xm::Voice VoiceAt(const xm::Sample& s, double framesPerOutput, int volume) {
    xm::Voice v;
    v.sample = &s;
    v.step = static_cast<uint64_t>(framesPerOutput * 4294967296.0);
    v.targetLeft = v.targetRight = volume;
    v.usedLeft = v.usedRight = volume; // no ramp
    v.left = v.right = volume * 128;
    return v;
}

// Sample index played at each output frame.
std::vector<int> Walk(xm::Voice& v, int frames) {
    std::vector<int> idx;
    std::vector<int64_t> mix(2);
    for (int f = 0; f < frames && v.sample; ++f) {
        idx.push_back(static_cast<int>(v.position >> 32));
        xm::MixVoice(v, mix.data(), 1);
    }
    return idx;
}

TEST(MusicMixer, NewTargetsRampOver128Frames) {
    xm::Sample s = MakeSample(std::vector<int16_t>(64, 16384), xm::kLoopForward, 0, 64);
    xm::Voice v = VoiceAt(s, 1.0, 0);
    v.targetLeft = v.targetRight = 100;
    std::vector<int64_t> mix(2 * 200, 0);
    xm::MixVoice(v, mix.data(), 200);
    EXPECT_EQ(mix[0], 0);
    for (int f = 1; f < 128; ++f)
        EXPECT_GT(mix[2 * f], mix[2 * f - 2]) << f;
    for (int f = 128; f < 200; ++f)
        EXPECT_EQ(mix[2 * f], mix[2 * 128]) << f;
    EXPECT_EQ(v.left, 100 * 128);
    // full scale: (16384 * 64 * 12800) >> 7
    EXPECT_EQ(mix[2 * 150], (16384LL * 64 * 12800) >> 7);
}

TEST(MusicMixer, InterpolatesLinearlyBetweenSamples) {
    xm::Sample s = MakeSample({0, 1024, 2048, 0}, xm::kLoopNone, 0, 0);
    xm::Voice v = VoiceAt(s, 0.25, 64);
    std::vector<int64_t> mix(2 * 6, 0);
    xm::MixVoice(v, mix.data(), 6);
    // s = s0 * 64 + (s1 - s0) * frac15 >> 9; out = (s * 8192) >> 7
    const int64_t expect[] = {0, 256, 512, 768, 1024, 1280};
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(mix[2 * f], (expect[f] * 64 * 8192) >> 7) << f;
}

TEST(MusicMixer, ForwardLoopWrapsIntoTheLoop) {
    xm::Sample s = MakeSample({1, 2, 3, 4, 5, 6}, xm::kLoopForward, 2, 4);
    xm::Voice v = VoiceAt(s, 1.0, 64);
    EXPECT_EQ(Walk(v, 12), (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3}));
}

TEST(MusicMixer, PingPongLoopReversesAtBothEnds) {
    xm::Sample s = MakeSample({1, 2, 3, 4, 5, 6}, xm::kLoopPingPong, 2, 4);
    xm::Voice v = VoiceAt(s, 1.0, 64);
    EXPECT_EQ(Walk(v, 14), (std::vector<int>{0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 2, 3, 4, 5}));
}

TEST(MusicMixer, UnloopedSampleStopsAtItsEnd) {
    xm::Sample s = MakeSample({1, 2, 3}, xm::kLoopNone, 0, 0);
    xm::Voice v = VoiceAt(s, 1.0, 64);
    EXPECT_EQ(Walk(v, 10).size(), 3u);
    EXPECT_EQ(v.sample, nullptr);
}

TEST(MusicMixer, ConversionRoundsLimitsAndScales) {
    const int64_t mix[] = {16320 * 3 + 8160, -16320 * 3 - 8159, 16320LL * 40000, 0};
    int16_t out[4];
    uint64_t left = 0, right = 0;
    xm::ConvertBlock(mix, 2, 32768, out, left, right);
    EXPECT_EQ(out[0], 4); // halves round up
    EXPECT_EQ(out[1], -3);
    EXPECT_EQ(out[2], 32767); // limited
    EXPECT_EQ(left, 4u + 32767u);
    EXPECT_EQ(right, 3u);
    xm::ConvertBlock(mix, 2, 16384, out, left, right);
    EXPECT_EQ(out[2], 16383);
}

} // namespace
