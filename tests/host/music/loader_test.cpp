// Loader checks: rejected headers, extra patterns, sample conversions and
// truncated input.
#include "about/music/xm_loader.h"
#include "tests/host/music/music_test_util.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TestModule OneNoteModule() {
    TestModule m;
    m.patterns.push_back(EmptyPattern(64, m.channels));
    SetCell(m.patterns[0], m.channels, 0, 0, 49, 1, 0, 0, 0);
    TestInstrument ins;
    TestSample s;
    for (int i = 0; i < 100; ++i)
        s.data.push_back(static_cast<int16_t>(i % 2 ? 50 : -50));
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
    return m;
}

// Offset of the first instrument in the bytes of `m`.
size_t FirstInstrument(const TestModule& m) {
    size_t at = 336;
    for (const auto& p : m.patterns)
        at += 9 + p.size() / 5 * 6;
    return at;
}

bool Loads(const std::vector<uint8_t>& bytes, xm::Module& module) {
    xm::MemoryCursor cursor{bytes.data(), bytes.size(), 0};
    xm::Source source = xm::MemorySource(cursor);
    return xm::LoadModule(source, module);
}

bool Loads(const std::vector<uint8_t>& bytes) {
    auto module = std::make_unique<xm::Module>();
    return Loads(bytes, *module);
}

void Patch16(std::vector<uint8_t>& v, size_t at, int value) {
    v[at] = static_cast<uint8_t>(value);
    v[at + 1] = static_cast<uint8_t>(value >> 8);
}

TEST(MusicLoader, RejectsBadHeaders) {
    TestModule m = OneNoteModule();
    const auto good = WriteModule(m);
    ASSERT_TRUE(Loads(good));
    struct Case {
        size_t offset;
        int value;
        const char* what;
    } cases[] = {{68, 65, "65 channels"},
                 {68, 0, "no channel"},
                 {64, 0, "song length 0"},
                 {64, 257, "song length 257"},
                 {70, 0, "0 patterns"}};
    for (const Case& c : cases) {
        auto bad = good;
        Patch16(bad, c.offset, c.value);
        EXPECT_FALSE(Loads(bad)) << c.what;
    }
    size_t ins = FirstInstrument(m);
    auto bad = good;
    Patch16(bad, ins + 27, 17);
    EXPECT_FALSE(Loads(bad)) << "17 samples";
    bad = good;
    bad[ins + 29] = 41;
    EXPECT_FALSE(Loads(bad)) << "sample header size 41";
}

TEST(MusicLoader, EveryTruncationFailsCleanly) {
    const auto good = WriteModule(OneNoteModule());
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        EXPECT_FALSE(Loads(cut)) << "length " << n;
    }
}

TEST(MusicLoader, OrderTableBeyondDeclaredPatternsAddsEmpty64RowPatterns) {
    TestModule m = OneNoteModule();
    for (int i = 1; i < 5; ++i)
        m.patterns.push_back(EmptyPattern(32, m.channels));
    m.orders = {0, 10};
    auto module = std::make_unique<xm::Module>();
    ASSERT_TRUE(Loads(WriteModule(m), *module));
    ASSERT_EQ(module->patterns.size(), 11u);
    for (int i = 5; i <= 10; ++i) {
        EXPECT_EQ(module->patterns[i].rows, 64);
        EXPECT_TRUE(module->patterns[i].cells.empty());
    }
    // The song reaches the empty pattern and plays its 64 rows.
    auto player = std::make_unique<xm::Player>();
    ASSERT_TRUE(LoadPlayer(*player, WriteModule(m), true));
    int rows_in_order1 = 0;
    while (xm::StartTick(*player))
        if (player->order == 1 && player->tick == 0) rows_in_order1++;
    EXPECT_EQ(rows_in_order1, 64);
}

TEST(MusicLoader, SampleConversions) {
    uint8_t eight[] = {0x80};
    int16_t out[2];
    xm::DecodeDelta8(eight, 1, out);
    EXPECT_EQ(out[0], -32768);
    uint8_t sixteen[] = {0xFF, 0x7F, 0x02, 0x00}; // 32767, then +2 wraps
    xm::DecodeDelta16(sixteen, 2, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32767);
    uint8_t table[16] = {0, 1, 2, 4, 8, 16, 32, 64, 0x80, 0xFF, 0xFE, 0xFC, 0xF8, 0xF0, 0xE0, 0xC0};
    uint8_t nibbles[] = {0x31, 0x9A}; // low nibble first: 1, 3, 10, 9
    int16_t adpcm[4];
    xm::DecodeAdpcm(table, nibbles, 4, adpcm);
    EXPECT_EQ(adpcm[0], 1 * 256);
    EXPECT_EQ(adpcm[1], 5 * 256); // 1 + 4
    EXPECT_EQ(adpcm[2], 3 * 256); // 5 - 2
    EXPECT_EQ(adpcm[3], 2 * 256); // 3 - 1
}

TEST(MusicLoader, AdpcmSamplesLoadFromTheTableAndNibbles) {
    TestModule m = OneNoteModule();
    auto bytes = WriteModule(m);
    size_t ins = FirstInstrument(m);
    size_t header = ins + 243;
    // Replace the 100 raw bytes with ADPCM: a table and 50 nibble bytes.
    bytes[header + 17] = 0xAD;
    bytes.resize(header + 40);
    uint8_t table[16] = {0, 10};
    bytes.insert(bytes.end(), table, table + 16);
    bytes.insert(bytes.end(), 50, 0x11); // every step +10
    auto module = std::make_unique<xm::Module>();
    ASSERT_TRUE(Loads(bytes, *module));
    const xm::Sample& s = module->instruments[0].samples[0];
    EXPECT_EQ(s.pcm[0], 10 * 256);
    EXPECT_EQ(s.pcm[11], 120 * 256);
    EXPECT_EQ(s.pcm[12], static_cast<int16_t>(static_cast<int8_t>(130) * 256)); // 8-bit wrap
}

TEST(MusicLoader, LoopsAreNormalisedAndGuarded) {
    TestModule m = OneNoteModule();
    TestSample& s = m.instruments[0].samples[0];
    s.data.clear();
    for (int i = 0; i < 10; ++i)
        s.data.push_back(static_cast<int16_t>(1000 * i));
    s.sixteen_bit = true;
    s.loop = 2;
    s.loop_start = 4;
    s.loop_length = 50; // beyond the end: cut to what remains
    TestSample fwd = s;
    fwd.loop = 1;
    fwd.loop_length = 3;
    TestSample none = s;
    none.loop = 1;
    none.loop_length = 0; // no loop
    m.instruments[0].samples = {s, fwd, none};
    m.instruments[0].fadeout = 100;
    m.instruments[0].volume_envelope = {{0, 64}}; // one point: off
    auto module = std::make_unique<xm::Module>();
    ASSERT_TRUE(Loads(WriteModule(m), *module));
    const auto& ins = module->instruments[0];
    EXPECT_EQ(ins.fadeout, 200u);
    EXPECT_EQ(ins.volume.flags, 0);
    const xm::Sample& pp = ins.samples[0];
    EXPECT_EQ(pp.length, 10);
    EXPECT_EQ(pp.loop_start, 4);
    EXPECT_EQ(pp.loop_length, 6);
    EXPECT_EQ(pp.pcm[10], 9000); // ping-pong guard: the sample before the loop end
    const xm::Sample& f = ins.samples[1];
    EXPECT_EQ(f.pcm[7], 4000); // forward guard: the loop's first sample
    const xm::Sample& n = ins.samples[2];
    EXPECT_EQ(n.loop, xm::kLoopNone);
    EXPECT_EQ(n.loop_start, 0);
    EXPECT_EQ(n.loop_length, 10);
}

TEST(MusicLoader, ModuleWithoutInstrumentsPlaysSilence) {
    TestModule m = OneNoteModule();
    m.instruments.clear();
    auto player = std::make_unique<xm::Player>();
    ASSERT_TRUE(LoadPlayer(*player, WriteModule(m), false));
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    for (int b = 0; b < 8; ++b) {
        xm::RenderBlock(*player, block, info);
        for (int16_t v : block)
            ASSERT_EQ(v, 0);
    }
}

} // namespace
