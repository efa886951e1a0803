// The Music* interface under Wine, whose audio driver is switched off in the
// test rig: without an output device nothing plays and MusicPlay says so.
#include "about/music/about_module.h"
#include "about/music/music.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(MusicOutput, NullSourceWhenIdleReturnsZero) {
    EXPECT_EQ(MusicPlay(nullptr, 0, 0), 0);
    EXPECT_STREQ(MusicGetTitle(), "");
    EXPECT_EQ(MusicGetPosition(), 0u);
    EXPECT_EQ(MusicGetLevels(), 0u);
}

TEST(MusicOutput, MemoryModuleWithoutDeviceReturnsZeroQuickly) {
    DWORD start = GetTickCount();
    EXPECT_EQ(MusicPlay(kAboutModule, kAboutModuleSize, MUSIC_FROM_MEMORY), 0);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_STREQ(MusicGetTitle(), "") << "the player stays idle";
    EXPECT_EQ(MusicGetTime(), 0u);
    // The further operations are harmless while idle.
    MusicPause();
    MusicResume();
    MusicSetVolume(40);
    MusicJumpToOrder(3);
    EXPECT_EQ(MusicPlay(nullptr, 0, 0), 0);
}

TEST(MusicOutput, FileAndResourceSourcesWithoutDeviceReturnZero) {
    EXPECT_EQ(MusicPlay("no-such-module.xm", 0, MUSIC_FROM_FILE | MUSIC_PLAY_ONCE), 0);
    EXPECT_EQ(MusicPlay("NOSUCHRESOURCE", 0, MUSIC_START_PAUSED), 0);
}
