// The cached file reader against the same bytes in memory: reads of every
// size around the 8192-byte cache, seeks, and the end of the file.
#include "about/music/music_file_source_win32.h"
#include "about/music/xm_loader.h"
#include "about/music/about_module.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::string TempFile(const std::vector<uint8_t>& bytes) {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "xm", 0, path);
    std::FILE* f = std::fopen(path, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

TEST(MusicFileSource, ReadsAndSeeksLikeMemory) {
    std::vector<uint8_t> bytes(3 * 8192 + 777);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
    std::string path = TempFile(bytes);
    xm::FileSource file;
    ASSERT_TRUE(xm::OpenFileSource(path.c_str(), file));
    xm::Source& s = file.source;
    EXPECT_EQ(s.length, static_cast<int64_t>(bytes.size()));
    // Reads of growing sizes from moving offsets, crossing cache blocks.
    const size_t sizes[] = {1, 7, 8191, 8192, 8193, 16384, 20000, 40000};
    size_t offset = 0;
    for (size_t n : sizes) {
        offset = (offset * 7 + 4093) % bytes.size();
        s.seek(s.context, static_cast<int64_t>(offset), false);
        std::vector<uint8_t> got(n, 0xEE);
        size_t expect = std::min(n, bytes.size() - offset);
        ASSERT_EQ(s.read(s.context, got.data(), n), expect) << n << " at " << offset;
        for (size_t i = 0; i < expect; ++i)
            ASSERT_EQ(got[i], bytes[offset + i]) << i;
        EXPECT_EQ(s.tell(s.context), static_cast<int64_t>(offset + expect));
    }
    // Relative seeks backwards, and seeks outside the file are ignored.
    s.seek(s.context, 8192, false);
    s.seek(s.context, -100, true);
    uint8_t b = 0;
    ASSERT_EQ(s.read(s.context, &b, 1), 1u);
    EXPECT_EQ(b, bytes[8092]);
    s.seek(s.context, -1, false);
    s.seek(s.context, static_cast<int64_t>(bytes.size()) + 1, false);
    EXPECT_EQ(s.tell(s.context), 8093);
    xm::CloseFileSource(file);
    DeleteFileA(path.c_str());
}

TEST(MusicFileSource, LoadsTheSameModuleAsMemory) {
    std::vector<uint8_t> bytes(kAboutModule, kAboutModule + kAboutModuleSize);
    std::string path = TempFile(bytes);
    xm::FileSource file;
    ASSERT_TRUE(xm::OpenFileSource(path.c_str(), file));
    auto from_file = std::make_unique<xm::Module>();
    ASSERT_TRUE(xm::LoadModule(file.source, *from_file));
    xm::CloseFileSource(file);
    DeleteFileA(path.c_str());
    EXPECT_EQ(from_file->instruments.size(), 8u);
    EXPECT_EQ(from_file->instruments[1].samples[0].pcm.size(), 256u + xm::kGuardSamples);
    EXPECT_FALSE(xm::OpenFileSource("no-such-file.xm", file));
}

} // namespace
