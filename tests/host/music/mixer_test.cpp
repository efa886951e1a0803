// The mixer on hand-made voices: ramps, interpolation, loops, conversion.
#include "about/music/xm_render.h"
#include "tests/host/music/music_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

xm::Sample MakeSample(std::vector<int16_t> values, uint8_t loop, int loop_start, int loop_length) {
    xm::Sample s;
    s.length = static_cast<int32_t>(values.size());
    s.loop = loop;
    s.loop_start = loop ? loop_start : 0;
    s.loop_length = loop ? loop_length : s.length;
    s.pcm = values;
    s.pcm.resize(values.size() + xm::kGuardSamples, 0);
    int end = s.loop_start + s.loop_length;
    if (loop == xm::kLoopForward) s.pcm[end] = s.pcm[s.loop_start];
    if (loop == xm::kLoopPingPong) s.pcm[end] = s.pcm[end - 1];
    return s;
}

xm::Voice VoiceAt(const xm::Sample& s, double frames_per_output, int volume) {
    xm::Voice v;
    v.sample = &s;
    v.step = static_cast<uint64_t>(frames_per_output * 4294967296.0);
    v.target_left = v.target_right = volume;
    v.used_left = v.used_right = volume; // no ramp
    v.left = v.right = volume * 128;
    return v;
}

// Sample index played at each output frame.
std::vector<int> Walk(xm::Voice& v, int frames) {
    std::vector<int> idx;
    std::vector<int32_t> mix(2);
    for (int f = 0; f < frames && v.sample; ++f) {
        idx.push_back(static_cast<int>(v.position >> 32));
        xm::MixVoice(v, mix.data(), 1);
    }
    return idx;
}

TEST(MusicMixer, NewTargetsRampOver128Frames) {
    xm::Sample s = MakeSample(std::vector<int16_t>(64, 16384), xm::kLoopForward, 0, 64);
    xm::Voice v = VoiceAt(s, 1.0, 0);
    v.target_left = v.target_right = 100;
    std::vector<int32_t> mix(2 * 200, 0);
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
    std::vector<int32_t> mix(2 * 6, 0);
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
    const int32_t mix[] = {16320 * 3 + 8160, -16320 * 3 - 8159, 16320 * 40000, 0};
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

// Mixing many frames at once (the vectorised paths, with and without
// SSE4.1) gives exactly what mixing them one frame at a time gives, across
// loop turns and ramps.
class MusicMixerPaths : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override { xm::PreferSse41Mixing(GetParam()); }
    void TearDown() override { xm::PreferSse41Mixing(true); }
};

INSTANTIATE_TEST_SUITE_P(Sse41, MusicMixerPaths, testing::Bool());

TEST_P(MusicMixerPaths, BlockMixingMatchesFrameByFrameMixing) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-32768, 32767);
    std::vector<int16_t> values(1000);
    for (int16_t& x : values)
        x = static_cast<int16_t>(value(rng));
    for (uint8_t loop : {xm::kLoopForward, xm::kLoopPingPong}) {
        xm::Sample s = MakeSample(values, loop, 300, 700);
        for (double step : {0.13, 0.77, 1.0, 2.37, 9.5}) {
            for (int left : {0, 64, 127}) {
                for (int right : {64, 127}) {
                    xm::Voice whole = VoiceAt(s, step, 0);
                    whole.target_left = left;
                    whole.target_right = right;
                    whole.used_left = whole.used_right = 0;
                    whole.left = whole.right = 0;
                    xm::Voice single = whole;
                    std::vector<int32_t> a(2 * 1023, 0), b(2 * 1023, 0);
                    // a ramp, flat frames, then a new ramp halfway through
                    xm::MixVoice(whole, a.data(), 700);
                    for (int f = 0; f < 700; ++f)
                        xm::MixVoice(single, b.data() + 2 * f, 1);
                    whole.target_left = single.target_left = right;
                    whole.target_right = single.target_right = left;
                    xm::MixVoice(whole, a.data() + 1400, 323);
                    for (int f = 700; f < 1023; ++f)
                        xm::MixVoice(single, b.data() + 2 * f, 1);
                    ASSERT_EQ(a, b) << int(loop) << " " << step << " " << left << " " << right;
                    EXPECT_EQ(whole.position, single.position);
                    EXPECT_EQ(whole.backwards, single.backwards);
                }
            }
        }
    }
}

TEST(MusicMixer, ConversionOfLongBlocksMatchesValueByValue) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int32_t> value(-(1 << 30), 1 << 30);
    std::vector<int32_t> mix(2 * 1023);
    for (int32_t& x : mix)
        x = value(rng) >> (rng() % 20);
    // the largest sums of one group of voices
    mix[6] = 2130706432;
    mix[7] = -2130706432;
    for (int32_t master : {32768, 32767, 12345, 0}) {
        std::vector<int16_t> whole(mix.size()), single(mix.size());
        uint64_t left = 0, right = 0, left_total = 0, right_total = 0;
        xm::ConvertBlock(mix.data(), 1023, master, whole.data(), left, right);
        for (int f = 0; f < 1023; ++f) {
            uint64_t l = 0, r = 0;
            xm::ConvertBlock(mix.data() + 2 * f, 1, master, single.data() + 2 * f, l, r);
            left_total += l;
            right_total += r;
        }
        EXPECT_EQ(whole, single) << master;
        EXPECT_EQ(left, left_total);
        EXPECT_EQ(right, right_total);
    }
}

// 32 full-volume voices add up to far more than 32 bits hold: the output is
// limited, never wrapped around.
TEST_P(MusicMixerPaths, ManyLoudVoicesAreLimitedNotWrapped) {
    TestModule m;
    m.channels = 32;
    m.patterns.push_back(EmptyPattern(64, m.channels));
    TestInstrument ins;
    TestSample s;
    s.data.assign(64, 32767);
    s.sixteen_bit = true;
    s.loop = 1;
    s.loop_length = 64;
    s.panning = 0; // all on the left
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
    for (int c = 0; c < m.channels; ++c)
        SetCell(m.patterns[0], m.channels, 0, c, 49, 1, 0, 0, 0);
    auto player = std::make_unique<xm::Player>();
    ASSERT_TRUE(LoadPlayer(*player, WriteModule(m), true));
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    for (int b = 0; b < 4; ++b) {
        xm::RenderBlock(*player, block, info);
        for (int f = 0; f < xm::kBlockFrames; ++f)
            ASSERT_GE(block[2 * f], 0) << b << " " << f;
    }
    EXPECT_EQ(block[2 * (xm::kBlockFrames - 1)], 32767);
    EXPECT_EQ(info.levels >> 16, 32767u);
}

} // namespace
