// Sequencer behaviour on small modules built in code, checked tick by tick.
#include "about/music/xm_tables.h"
#include "tests/host/music/music_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>

namespace {

// Two channels, one instrument with a looped 16-bit square wave.
TestModule Base(int patterns = 1, int rows = 64) {
    TestModule m;
    for (int i = 0; i < patterns; ++i)
        m.patterns.push_back(EmptyPattern(rows, m.channels));
    m.orders.assign(patterns, 0);
    for (int i = 0; i < patterns; ++i)
        m.orders[i] = static_cast<uint8_t>(i);
    TestInstrument ins;
    TestSample s;
    for (int i = 0; i < 64; ++i)
        s.data.push_back(static_cast<int16_t>(i < 32 ? 20000 : -20000));
    s.sixteen_bit = true;
    s.loop = 1;
    s.loop_length = 64;
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
    return m;
}

std::unique_ptr<xm::Player> Play(const TestModule& m, bool once = true) {
    auto p = std::make_unique<xm::Player>();
    EXPECT_TRUE(LoadPlayer(*p, WriteModule(m), once));
    return p;
}

// "order:row" of each of the first `ticks` ticks.
std::string Positions(xm::Player& p, int ticks) {
    std::ostringstream out;
    for (int i = 0; i < ticks && xm::StartTick(p); ++i)
        out << (i ? " " : "") << p.order << ":" << p.row;
    return out.str();
}

TEST(MusicSequencer, F00MakesEveryTickANewRow) {
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 0, 0, 0, 0xF, 0x00);
    auto p = Play(m);
    EXPECT_EQ(Positions(*p, 5), "0:0 0:1 0:2 0:3 0:4");
}

TEST(MusicSequencer, PatternBreakContinuesAtDecimalRowOfNextOrder) {
    TestModule m = Base(2);
    m.tempo = 1;
    SetCell(m.patterns[0], 2, 1, 1, 0, 0, 0, 0xD, 0x32);
    auto p = Play(m);
    EXPECT_EQ(Positions(*p, 4), "0:0 0:1 1:32 1:33");
}

TEST(MusicSequencer, PositionJumpAndBreakInOneRow) {
    TestModule m = Base(3);
    m.tempo = 1;
    // B in channel 0 then D in channel 1: order from B, row from D.
    SetCell(m.patterns[0], 2, 0, 0, 0, 0, 0, 0xB, 0x02);
    SetCell(m.patterns[0], 2, 0, 1, 0, 0, 0, 0xD, 0x05);
    auto p = Play(m);
    EXPECT_EQ(Positions(*p, 2), "0:0 2:5");
    // D in channel 0 then B in channel 1: B overrides the order and row 0.
    TestModule r = Base(3);
    r.tempo = 1;
    SetCell(r.patterns[0], 2, 0, 0, 0, 0, 0, 0xD, 0x05);
    SetCell(r.patterns[0], 2, 0, 1, 0, 0, 0, 0xB, 0x02);
    auto q = Play(r);
    EXPECT_EQ(Positions(*q, 2), "0:0 2:0");
}

TEST(MusicSequencer, PatternLoopRepeatsRows) {
    TestModule m = Base(1, 4);
    m.tempo = 1;
    SetCell(m.patterns[0], 2, 1, 0, 0, 0, 0, 0xE, 0x60);
    SetCell(m.patterns[0], 2, 2, 0, 0, 0, 0, 0xE, 0x62);
    auto p = Play(m);
    EXPECT_EQ(Positions(*p, 9), "0:0 0:1 0:2 0:1 0:2 0:1 0:2 0:3");
}

TEST(MusicSequencer, PatternDelayAddsTicksOnce) {
    TestModule m = Base();
    m.tempo = 2;
    SetCell(m.patterns[0], 2, 0, 0, 0, 0, 0, 0xE, 0xE2);
    auto p = Play(m);
    EXPECT_EQ(Positions(*p, 8), "0:0 0:0 0:0 0:0 0:0 0:0 0:1 0:1");
}

TEST(MusicSequencer, VolumeColumnSlideActsOnEveryTickIncludingTheFirst) {
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0, 0, 0);
    SetCell(m.patterns[0], 2, 1, 0, 0, 0, 0x65, 0, 0);
    auto p = Play(m);
    for (int i = 0; i < 6; ++i)
        xm::StartTick(*p);
    std::ostringstream volumes;
    for (int i = 0; i < 6; ++i) {
        xm::StartTick(*p);
        volumes << p->channels[0].volume << " ";
    }
    EXPECT_EQ(volumes.str(), "59 54 49 44 39 34 ");
}

TEST(MusicSequencer, BpmSetsFramesPerTick) {
    TestModule m = Base();
    auto p = Play(m);
    xm::StartTick(*p);
    EXPECT_EQ(p->samples_left, 960);
    TestModule fast = Base();
    SetCell(fast.patterns[0], 2, 0, 1, 0, 0, 0, 0xF, 150);
    auto q = Play(fast);
    xm::StartTick(*q);
    EXPECT_EQ(q->samples_left, 800);
}

TEST(MusicSequencer, SampleOffsetBeyondTheEndRestartsTheCurrentVoice) {
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0, 0, 0);
    SetCell(m.patterns[0], 2, 1, 0, 49, 1, 0, 0x9, 0x01); // 256 > 64 frames
    auto p = Play(m);
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    xm::RenderBlock(*p, block, info); // plays row 0 for a while
    const xm::Voice* pair = p->voices[0];
    int slot = p->channels[0].slot;
    ASSERT_NE(pair[slot].position, 0u);
    for (int i = 0; i < 6; ++i)
        xm::StartTick(*p);
    while (p->row != 1)
        xm::StartTick(*p);
    EXPECT_EQ(p->channels[0].slot, slot) << "no new voice";
    EXPECT_EQ(pair[slot].position >> 32, 0u);
    EXPECT_NE(pair[slot].sample, nullptr);
}

TEST(MusicSequencer, KeyOffWithoutEnvelopeIsSilentWithinOneRamp) {
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0, 0, 0);
    SetCell(m.patterns[0], 2, 1, 0, 97, 0, 0, 0, 0);
    m.tempo = 1;
    auto p = Play(m);
    // Row 0 lasts 960 frames; the key-off row starts at frame 960.
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    xm::RenderBlock(*p, block, info);
    EXPECT_NE(block[2 * 900], 0);
    for (int f = 960 + 128; f < xm::kBlockFrames; ++f)
        ASSERT_EQ(block[2 * f], 0) << f;
}

TEST(MusicSequencer, GoldenTicksOfSlidesAndPortamento) {
    // Channel 0: A volume slide down by 4, then portamento up 1xx; channel 1:
    // arpeggio 037. One row of 6 ticks each; per tick: volume period delta.
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0, 0xA, 0x04);
    SetCell(m.patterns[0], 2, 1, 0, 0, 0, 0, 0x1, 0x02);
    SetCell(m.patterns[0], 2, 0, 1, 49, 1, 0, 0x0, 0x37);
    SetCell(m.patterns[0], 2, 2, 0, 0, 0, 0, 0x3, 0x00);
    SetCell(m.patterns[0], 2, 2, 1, 61, 0, 0, 0x3, 0x10);
    auto p = Play(m);
    std::ostringstream dump;
    for (int i = 0; i < 18; ++i) {
        xm::StartTick(*p);
        const xm::Channel& a = p->channels[0];
        const xm::Channel& b = p->channels[1];
        dump << a.volume << "/" << a.period << " " << b.period << "+" << b.period_delta << "\n";
    }
    EXPECT_EQ(dump.str(), "64/4608 4608+0\n60/4608 4608+-192\n56/4608 4608+-448\n"
                          "52/4608 4608+0\n48/4608 4608+-192\n44/4608 4608+-448\n"
                          "44/4608 4608+0\n44/4600 4608+0\n44/4592 4608+0\n"
                          "44/4584 4608+0\n44/4576 4608+0\n44/4568 4608+0\n"
                          "44/4568 4608+0\n44/4568 4544+0\n44/4568 4480+0\n"
                          "44/4568 4416+0\n44/4568 4352+0\n44/4568 4288+0\n");
}

TEST(MusicSequencer, EnvelopeSustainsUntilKeyOffThenFades) {
    TestModule m = Base();
    m.instruments[0].volume_envelope = {{0, 0}, {2, 64}, {4, 32}, {6, 0}};
    m.instruments[0].volume_sustain = 1;
    m.instruments[0].fadeout = 8192; // doubled: gone 4 ticks after the key-off
    m.tempo = 4;
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0, 0, 0);
    SetCell(m.patterns[0], 2, 1, 0, 97, 0, 0, 0, 0);
    auto p = Play(m);
    std::ostringstream dump;
    for (int i = 0; i < 8; ++i) {
        xm::StartTick(*p);
        dump << p->channels[0].env_volume << "," << p->channels[0].fadeout << " ";
    }
    EXPECT_EQ(dump.str(), "0,65536 32,65536 64,65536 64,65536 "
                          "64,49152 48,32768 32,16384 16,0 ");
}

TEST(MusicSequencer, NoteDelayTriggersOnItsTick) {
    TestModule m = Base();
    SetCell(m.patterns[0], 2, 0, 0, 49, 1, 0x20, 0xE, 0xD3);
    auto p = Play(m);
    const xm::Voice* pair = p->voices[0];
    for (int t = 0; t < 3; ++t) {
        xm::StartTick(*p);
        EXPECT_EQ(pair[0].sample, nullptr) << "tick " << t;
    }
    xm::StartTick(*p);
    EXPECT_NE(pair[p->channels[0].slot].sample, nullptr);
    EXPECT_EQ(p->channels[0].volume, 16) << "volume column applied at the trigger";
}

TEST(MusicSequencer, SongEndStopsPlayOnceAndRestartsOtherwise) {
    TestModule m = Base(2, 2);
    m.tempo = 1;
    m.restart = 1;
    auto once = Play(m, true);
    EXPECT_EQ(Positions(*once, 10), "0:0 0:1 1:0 1:1");
    EXPECT_TRUE(once->ended);
    auto loop = Play(m, false);
    EXPECT_EQ(Positions(*loop, 7), "0:0 0:1 1:0 1:1 1:0 1:1 1:0");
    // A jump back ends a play-once song too.
    SetCell(m.patterns[1], 2, 1, 0, 0, 0, 0, 0xB, 0x00);
    auto jump = Play(m, true);
    EXPECT_EQ(Positions(*jump, 10), "0:0 0:1 1:0 1:1");
}

TEST(MusicSequencer, PatternBreakOnTheLastOrderLoopsToOrderZero) {
    TestModule m = Base(2, 2);
    m.tempo = 1;
    m.restart = 1; // the song's natural end restarts here; a break does not
    SetCell(m.patterns[1], 2, 0, 1, 0, 0, 0, 0xD, 0x01);
    auto loop = Play(m, false);
    EXPECT_EQ(Positions(*loop, 6), "0:0 0:1 1:0 0:1 1:0 0:1");
    auto once = Play(m, true);
    EXPECT_EQ(Positions(*once, 10), "0:0 0:1 1:0");
    EXPECT_TRUE(once->ended);
}

TEST(MusicSequencer, EndlessVolumeGrowthStaysBounded) {
    // Multi-retrig doubling the volume on every tick for a whole pattern.
    TestModule m = Base();
    for (int r = 0; r < 64; ++r)
        SetCell(m.patterns[0], 2, r, 0, r == 0 ? 49 : 0, r == 0 ? 1 : 0, 0, 0x1B, 0xF1);
    auto p = Play(m);
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    while (!p->ended)
        xm::RenderBlock(*p, block, info);
    EXPECT_LE(p->channels[0].volume, 1 << 20);
}

TEST(MusicTables, SineTablesFollowTheirFormulas) {
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(xm::kVibratoSine[k], std::lround(127 * std::sin(k * M_PI / 32))) << k;
    for (int k = 0; k <= 64; ++k)
        EXPECT_EQ(xm::kAutoVibratoQuarter[k], std::lround(64 * std::sin(k * M_PI / 128))) << k;
    for (int k = 1; k <= 25; ++k)
        EXPECT_EQ(xm::kMasterVolumeSteps[k], std::lround(32768 * std::pow(10, -(25 - k) / 10.0)));
    EXPECT_EQ(xm::WaveValue(0, 40), -xm::kVibratoSine[8]);
    EXPECT_EQ(xm::WaveValue(1, 0), 127);
    EXPECT_EQ(xm::WaveValue(1, 63), -127);
    EXPECT_EQ(xm::AutoVibratoValue(0, 192), -64);
    EXPECT_EQ(xm::AutoVibratoValue(2, 0), 0);
}

TEST(MusicTables, LinearAndAmigaPitch) {
    EXPECT_EQ(xm::LinearPeriod(48, 0), 4608);
    EXPECT_NEAR(xm::LinearFrequency(4608), 8363.0, 1e-9);
    EXPECT_NEAR(xm::LinearFrequency(4608 - 768), 16726.0, 1e-9);
    EXPECT_EQ(xm::AmigaPeriod(48, 0), 1712);
    EXPECT_NEAR(xm::AmigaFrequency(1712), 8363.0, 0.5);
    EXPECT_LT(xm::AmigaPeriod(48, 127), 1712);
    EXPECT_GT(xm::AmigaPeriod(48, 127), xm::AmigaPeriod(49, 0));
}

} // namespace
