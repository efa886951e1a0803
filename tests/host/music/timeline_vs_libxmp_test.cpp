// Compares our sequencer's position at every tick with libxmp's for the
// first 2000 ticks of each test module: order and row must match.
#include "about/music/about_module.h"
#include "tests/host/music/music_test_util.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TickPos {
    int order, row, tick, speed, bpm;
};

constexpr int kTicks = 2000;

void Record(void* context, const xm::Player& p) {
    static_cast<std::vector<TickPos>*>(context)->push_back(
        {p.order, p.row, p.tick, p.speed, p.bpm});
}

std::vector<TickPos> OurTimeline(const std::vector<uint8_t>& bytes) {
    std::vector<TickPos> ticks;
    auto player = std::make_unique<xm::Player>();
    if (!LoadPlayer(*player, bytes, false)) return ticks;
    player->on_tick = Record;
    player->on_tick_context = &ticks;
    while (ticks.size() < static_cast<size_t>(kTicks))
        if (!xm::StartTick(*player)) break;
    return ticks;
}

std::vector<TickPos> LibxmpTimeline(const std::vector<uint8_t>& bytes) {
    std::vector<TickPos> ticks;
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())) == 0) {
        xmp_start_player(ctx, 48000, 0);
        for (int i = 0; i < kTicks; ++i) {
            if (xmp_play_frame(ctx) != 0) break;
            xmp_frame_info fi;
            xmp_get_frame_info(ctx, &fi);
            ticks.push_back({fi.pos, fi.row, fi.frame, fi.speed, fi.bpm});
        }
        xmp_end_player(ctx);
        xmp_release_module(ctx);
    }
    xmp_free_context(ctx);
    return ticks;
}

std::string Describe(const TickPos& t) {
    char text[80];
    std::snprintf(text, sizeof text, "order %d row %d tick %d speed %d bpm %d", t.order, t.row,
                  t.tick, t.speed, t.bpm);
    return text;
}

// Prints the first tick where order or row differ.
void CompareTimelines(const std::string& name, const std::vector<uint8_t>& bytes) {
    auto ours = OurTimeline(bytes);
    auto theirs = LibxmpTimeline(bytes);
    ASSERT_EQ(ours.size(), static_cast<size_t>(kTicks)) << name;
    ASSERT_EQ(theirs.size(), static_cast<size_t>(kTicks)) << name;
    for (int i = 0; i < kTicks; ++i) {
        if (ours[i].order == theirs[i].order && ours[i].row == theirs[i].row) continue;
        ADD_FAILURE() << name << ": first difference at tick " << i << ": ours "
                      << Describe(ours[i]) << ", libxmp " << Describe(theirs[i]);
        return;
    }
}

TEST(MusicTimeline, OrderAndRowMatchLibxmpForTheFirst2000Ticks) {
    auto modules = TestModules();
    if (modules.empty()) GTEST_SKIP() << "no test modules beside the repository";
    for (const std::string& path : modules)
        CompareTimelines(path, ReadFileBytes(path));
}

// The whole song once: ours in play-once mode against libxmp up to its
// first loop; the songs must also end on the same tick.
TEST(MusicTimeline, WholeSongsAndTheirEndsMatchLibxmp) {
    auto modules = TestModules();
    if (modules.empty()) GTEST_SKIP() << "no test modules beside the repository";
    for (const std::string& path : modules) {
        auto bytes = ReadFileBytes(path);
        std::vector<TickPos> ours;
        auto player = std::make_unique<xm::Player>();
        ASSERT_TRUE(LoadPlayer(*player, bytes, true));
        player->on_tick = Record;
        player->on_tick_context = &ours;
        while (xm::StartTick(*player) && ours.size() < 200000) {
        }
        std::vector<TickPos> theirs;
        xmp_context ctx = xmp_create_context();
        ASSERT_EQ(xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())),
                  0);
        xmp_start_player(ctx, 48000, 0);
        xmp_frame_info fi;
        while (theirs.size() < 200000 && xmp_play_frame(ctx) == 0) {
            xmp_get_frame_info(ctx, &fi);
            if (fi.loop_count > 0) break;
            theirs.push_back({fi.pos, fi.row, fi.frame, fi.speed, fi.bpm});
        }
        xmp_end_player(ctx);
        xmp_release_module(ctx);
        xmp_free_context(ctx);
        EXPECT_EQ(ours.size(), theirs.size()) << path;
        for (size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i) {
            if (ours[i].order == theirs[i].order && ours[i].row == theirs[i].row) continue;
            ADD_FAILURE() << path << ": first difference at tick " << i << ": ours "
                          << Describe(ours[i]) << ", libxmp " << Describe(theirs[i]);
            break;
        }
    }
}

TEST(MusicTimeline, AboutModuleMatchesLibxmp) {
    CompareTimelines("about module",
                     std::vector<uint8_t>(kAboutModule, kAboutModule + kAboutModuleSize));
}

} // namespace

namespace {

TEST(MusicRealModules, LoadAndPlayToTheirEnd) {
    auto modules = TestModules();
    if (modules.empty()) GTEST_SKIP() << "no test modules beside the repository";
    for (const std::string& path : modules) {
        auto player = std::make_unique<xm::Player>();
        ASSERT_TRUE(LoadPlayer(*player, ReadFileBytes(path), true)) << path;
        int16_t block[2 * xm::kBlockFrames];
        xm::BlockInfo info;
        long blocks = 0, audible = 0;
        const long ten_minutes = 600L * xm::kOutputRate / xm::kBlockFrames;
        while (!player->ended && blocks < ten_minutes) {
            xm::RenderBlock(*player, block, info);
            blocks++;
            if (info.levels) audible++;
        }
        EXPECT_TRUE(player->ended) << path;
        EXPECT_GT(blocks * xm::kBlockFrames, 30L * xm::kOutputRate)
            << path << " plays 30 s or more";
        EXPECT_GT(audible * 2, blocks) << path << " is mostly audible";
    }
}

} // namespace
