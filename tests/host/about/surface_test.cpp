// The drawing library on the host back buffer (a plain heap block of exactly
// width x height pixels, so ASan reports any write outside it).
#include "about/about_font.h"
#include "about/surface.h"
#include "about/surface_raster.h"
#include "about/surface_state.h"
#include "tools/pack/pack_formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const uint32_t kInk = 0x123456;

uint32_t Pixel(int x, int y) {
    const SurfImage* img = SurfBackBuffer();
    return reinterpret_cast<const uint32_t*>(img->top_row - y * img->pitch)[x];
}

// A font whose glyphs are solid blocks: glyph width 8 (or `width`), height
// 14, every atlas byte `value`, `mode` 1 = mask.
std::vector<uint8_t> BlockFont(uint8_t value, uint32_t mode, uint8_t width = 8) {
    std::vector<uint8_t> f(kFontAtlas + 768 * 14, value);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    put32(0, 768);
    put32(4, 14);
    put32(8, mode);
    for (unsigned g = 0; g < 96; ++g) {
        f[kFontGlyphOffsets + 2 * g] = uint8_t(g * 8);
        f[kFontGlyphOffsets + 2 * g + 1] = uint8_t((g * 8) >> 8);
        f[kFontGlyphWidths + g] = width;
    }
    return f;
}

class Surface : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SurfInit(64, 48));
        ASSERT_TRUE(SurfBeginFrame(nullptr));
        SurfFillRect(0, 0, 64, 48, 0);
    }
    void TearDown() override {
        SurfEndFrame();
        SurfShutdown();
    }
    // Every pixel is kInk exactly inside [l, r) x [t, b) and 0 elsewhere.
    void ExpectOnly(int l, int t, int r, int b) {
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                bool in = x >= l && x < r && y >= t && y < b;
                ASSERT_EQ(Pixel(x, y), in ? kInk : 0u) << x << "," << y;
            }
    }
};

TEST_F(Surface, EmbeddedFontUnpacksToItsDeclaredSizeAndIsCurrent) {
    uint32_t declared;
    std::memcpy(&declared, kAboutFont + 8, 4);
    EXPECT_EQ(declared, 11052u);
    std::vector<uint8_t> out(11052);
    uint32_t packed_len;
    std::memcpy(&packed_len, kAboutFont + 4, 4);
    EXPECT_EQ(packed_len + 12, kAboutFontSize);
    EXPECT_EQ(SurfUnpack(kAboutFont + 12, out.data(), packed_len, 11052), 11052);
    // The committed data is what the packer makes from the glyph table now.
    EXPECT_EQ(out, BuildAboutFontBlock());
    std::vector<uint8_t> repacked = PackFontForm(out);
    EXPECT_EQ(repacked, std::vector<uint8_t>(kAboutFont, kAboutFont + kAboutFontSize));
    const uint8_t* font = SurfLoadFont(kAboutFont, kAboutFontSize);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(std::memcmp(font, out.data(), 11052), 0);
}

TEST_F(Surface, LoadFontRejectsBadData) {
    std::vector<uint8_t> bad(kAboutFont, kAboutFont + kAboutFontSize);
    EXPECT_EQ(SurfLoadFont(bad.data(), 11), nullptr);                       // no header
    EXPECT_EQ(SurfLoadFont(bad.data(), uint32_t(bad.size() - 1)), nullptr); // cut stream
    bad[0] = 'X';
    EXPECT_EQ(SurfLoadFont(bad.data(), uint32_t(bad.size())), nullptr); // magic
    bad[0] = 'T';
    uint32_t too_big = 20000;
    std::memcpy(&bad[8], &too_big, 4);
    EXPECT_EQ(SurfLoadFont(bad.data(), uint32_t(bad.size())), nullptr); // short stream
    // A font block whose glyphs point outside the atlas.
    std::vector<uint8_t> block = BuildAboutFontBlock();
    block[kFontGlyphOffsets + 2 * 95 + 1] = 0x03; // offset 760 + 768
    std::vector<uint8_t> packed = PackFontForm(block);
    EXPECT_EQ(SurfLoadFont(packed.data(), uint32_t(packed.size())), nullptr);
}

TEST_F(Surface, MeasuresText) {
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    uint32_t w = 99, h = 99;
    SurfMeasureText("AB", &w, &h);
    EXPECT_EQ(w, 18u);
    EXPECT_EQ(h, 14u);
    SurfMeasureText("A\nBC", &w, &h);
    EXPECT_EQ(w, 18u);
    EXPECT_EQ(h, 28u);
    SurfMeasureText("", &w, &h);
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 14u);
    SurfMeasureText("A\x01\xC8"
                    "B",
                    &w, &h); // other bytes are ignored
    EXPECT_EQ(w, 18u);
}

TEST_F(Surface, DrawsGlyphBoxesAdvancingByGlyphWidth) {
    std::vector<uint8_t> block = BlockFont(1, 1);
    SurfCurrentFont = block.data();
    SurfDrawText(0, 0, "AB", kInk);
    ExpectOnly(0, 0, 16, 14);
    SurfFillRect(0, 0, 64, 48, 0);
    SurfDrawText(0, 0, "A", kInk);
    SurfDrawText(9, 0, "B", kInk);
    for (int y = 0; y < 14; ++y) {
        EXPECT_EQ(Pixel(8, y), 0u);
        EXPECT_EQ(Pixel(7, y), kInk);
        EXPECT_EQ(Pixel(9, y), kInk);
    }
    // Line feed returns to the starting x one line down; control bytes skip.
    SurfFillRect(0, 0, 64, 48, 0);
    SurfDrawText(3, 2,
                 "\x01\n"
                 "A",
                 kInk);
    ExpectOnly(3, 16, 11, 30);
    // The real font: ink of A then B inside 0..15, nothing beyond.
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    SurfFillRect(0, 0, 64, 48, 0);
    SurfDrawText(0, 0, "AB", kInk);
    bool ink_a = false, ink_b = false;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            if (Pixel(x, y) == 0) continue;
            ASSERT_LT(x, 16);
            ASSERT_LT(y, 14);
            (x < 8 ? ink_a : ink_b) = true;
        }
    EXPECT_TRUE(ink_a && ink_b);
}

TEST_F(Surface, ClipsAtEveryEdge) {
    std::vector<uint8_t> block = BlockFont(1, 1);
    SurfCurrentFont = block.data();
    SurfSetClip(10, 10, 40, 30);
    struct Case {
        int x, y;
        const char* text;
        int l, t, r, b; // expected ink
    } cases[] = {
        {5, 12, "AB", 10, 12, 21, 26},  // starts left of the clip
        {35, 12, "AB", 35, 12, 40, 26}, // straddles the right edge
        {12, 4, "A", 12, 10, 20, 18},   // straddles the top
        {12, 25, "A", 12, 25, 20, 30},  // straddles the bottom
        {-10, 12, "AB", 0, 0, 0, 0},    // wholly left (ends at x = 6)
        {40, 12, "A", 0, 0, 0, 0},      // at the right edge
        {12, -4, "A", 0, 0, 0, 0},      // ends at the top edge
        {12, 30, "A", 0, 0, 0, 0},      // at the bottom edge
        {-100000, -100000, "A\nA", 0, 0, 0, 0},
        {2147483640, 12, "AAAA", 0, 0, 0, 0},
        {-2147483647, 12, "AAAAAAAAAAAAAAAA", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        SurfSetClip(0, 0, 64, 48);
        SurfFillRect(0, 0, 64, 48, 0);
        SurfSetClip(10, 10, 40, 30);
        SurfDrawText(c.x, c.y, c.text, kInk);
        ExpectOnly(c.l, c.t, c.r, c.b);
    }
    SurfSetClip(0, 0, 64, 48);
    SurfFillRect(0, 0, 64, 48, 0);
    SurfSetClip(10, 10, 40, 30);
    SurfPutPixel(9, 10, kInk);
    SurfPutPixel(40, 10, kInk);
    SurfPutPixel(10, 9, kInk);
    SurfPutPixel(10, 30, kInk);
    SurfPutPixel(39, 29, kInk);
    ExpectOnly(39, 29, 40, 30);
}

TEST_F(Surface, ClipLargerThanTheBufferStaysInside) {
    std::vector<uint8_t> block = BlockFont(1, 1);
    SurfCurrentFont = block.data();
    SurfSetClip(-100, -100, 1000, 1000);
    SurfFillRect(-50, -50, 2000, 2000, kInk);
    ExpectOnly(0, 0, 64, 48);
    SurfDrawText(60, 44, "AB\nAB", 0);
    SurfDrawText(-4, -4, "A", 0);
    SurfPutPixel(64, 0, 0);
    SurfPutPixel(0, 48, 0);
    SurfPutPixel(-1, -1, 0);
    EXPECT_EQ(Pixel(63, 47), 0u);
    EXPECT_EQ(Pixel(0, 0), 0u);
    EXPECT_EQ(Pixel(63, 0), kInk);
}

TEST_F(Surface, FillsOnlyNonEmptyClippedRectangles) {
    SurfSetClip(10, 10, 40, 30);
    for (auto r : {std::vector<int>{12, 12, 0, 5},
                   {12, 12, 5, 0},
                   {12, 12, -3, 5},
                   {12, 12, 5, -3},
                   {0, 0, 10, 48},
                   {40, 0, 10, 48},
                   {0, 30, 64, 5},
                   {2147483647, 12, 2147483647, 4},
                   {-2147483647 - 1, 12, 2147483647, 4}})
        SurfFillRect(r[0], r[1], r[2], r[3], kInk);
    ExpectOnly(0, 0, 0, 0);
    SurfFillRect(5, 25, 100, 100, kInk);
    ExpectOnly(10, 25, 40, 30);
}

TEST_F(Surface, BlendsCoverageFonts) {
    for (uint8_t a : {0, 128, 255}) {
        std::vector<uint8_t> block = BlockFont(a, 0);
        SurfCurrentFont = block.data();
        SurfFillRect(0, 0, 64, 48, 0x204060);
        SurfDrawText(0, 0, "A", 0xFF80C0);
        uint32_t expect_rb = ((0xFF00C0u * a + 0x200060u * (256 - a)) >> 8) & 0xFF00FF;
        uint32_t expect_g = ((0x8000u * a + 0x4000u * (256 - a)) >> 8) & 0xFF00;
        EXPECT_EQ(Pixel(3, 3), expect_rb | expect_g) << int(a);
        EXPECT_EQ(Pixel(8, 3), 0x204060u);
    }
    EXPECT_EQ(Pixel(0, 0), 0xFE7FBFu); // a = 255 is not quite opaque: (c * 255 + p) >> 8
}

TEST_F(Surface, LoadsPackedImages) {
    std::vector<uint16_t> px = {To565(255, 255, 255), To565(255, 0, 0),  To565(0, 255, 0),
                                To565(0, 0, 255),     To565(16, 32, 64), 0};
    std::vector<uint8_t> packed = PackImageForm(3, 2, px, nullptr);
    SurfImage* img = SurfLoadPackedImage(packed.data(), uint32_t(packed.size()));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 3);
    EXPECT_EQ(img->height, 2);
    EXPECT_EQ(img->flags, 0u);
    auto at = [&](int x, int y) {
        return reinterpret_cast<uint32_t*>(img->top_row - y * img->pitch)[x];
    };
    EXPECT_EQ(at(0, 0), 0xFFF8FCF8u);
    EXPECT_EQ(at(1, 0), 0xFFF80000u);
    EXPECT_EQ(at(2, 0), 0xFF00FC00u);
    EXPECT_EQ(at(0, 1), 0xFF0000F8u);
    EXPECT_EQ(at(1, 1), 0xFF102040u);
    EXPECT_EQ(at(2, 1), 0xFF000000u);
    // Rows are stored bottom row first.
    EXPECT_EQ(reinterpret_cast<uint32_t*>(img->pixels)[0], 0xFF0000F8u);

    std::vector<uint8_t> alpha = {0, 10, 20, 30, 40, 255};
    packed = PackImageForm(3, 2, px, &alpha);
    SurfImage* with_alpha = SurfLoadPackedImage(packed.data(), uint32_t(packed.size()));
    ASSERT_NE(with_alpha, nullptr);
    EXPECT_EQ(with_alpha->flags, uint32_t(kSurfImageAlpha));
    EXPECT_EQ(reinterpret_cast<uint32_t*>(with_alpha->top_row)[1], 0x0AF80000u);
    EXPECT_EQ(with_alpha->next, img); // newest first

    // A stream shorter than the pixels, and a header larger than the data.
    std::vector<uint16_t> fewer(px.begin(), px.begin() + 5);
    std::vector<uint8_t> short_image = PackImageForm(3, 2, fewer, nullptr);
    EXPECT_EQ(SurfLoadPackedImage(short_image.data(), uint32_t(short_image.size())), nullptr);
    EXPECT_EQ(SurfLoadPackedImage(packed.data(), uint32_t(packed.size() - 1)), nullptr);
    EXPECT_EQ(SurfLoadPackedImage(packed.data(), 11), nullptr);
}

TEST(SurfaceLifecycle, ReinitialisesAfterShutdown) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SurfInit(16, 8));
        SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
        ASSERT_NE(SurfCurrentFont, nullptr);
        std::vector<uint16_t> px(4, 0xFFFF);
        std::vector<uint8_t> packed = PackImageForm(2, 2, px, nullptr);
        ASSERT_NE(SurfLoadPackedImage(packed.data(), uint32_t(packed.size())), nullptr);
        EXPECT_TRUE(SurfBeginFrame(nullptr));
        EXPECT_TRUE(SurfFrameActive());
        SurfEndFrame();
        EXPECT_FALSE(SurfFrameActive());
        SurfShutdown(); // LeakSanitizer checks that everything went
        EXPECT_EQ(SurfBackBuffer(), nullptr);
        EXPECT_EQ(SurfCurrentFont, nullptr);
        EXPECT_FALSE(SurfBeginFrame(nullptr));
    }
    SurfFillRect(0, 0, 10, 10, 1); // no back buffer: nothing happens
    SurfDrawText(0, 0, "A", 1);
}

// A window showing the back buffer enlarged draws each of its pixels from
// inside the buffer rectangle its clip box maps to.
TEST(SurfaceScale, WindowRectanglesMapToTheBufferPixelsTheyShow) {
    struct Case {
        int32_t numerator, denominator;
        SurfRect window, buffer;
        int32_t window_width; // of a 400-pixel buffer
    };
    const Case cases[] = {
        {1, 1, {0, 0, 393, 296}, {0, 0, 393, 296}, 400},
        {2, 1, {0, 0, 786, 592}, {0, 0, 393, 296}, 800},
        {2, 1, {1, 1, 3, 5}, {0, 0, 2, 3}, 800},
        {144, 96, {0, 0, 590, 444}, {0, 0, 394, 296}, 600},
        {144, 96, {10, 10, 11, 11}, {6, 6, 8, 8}, 600},
        {3, 2, {-3, 0, 3, 3}, {-2, 0, 2, 2}, 600},
        {0, 96, {5, 5, 9, 9}, {5, 5, 9, 9}, 400}, // no scale: pixel for pixel
    };
    for (const Case& c : cases) {
        SurfSetWindowScale(c.numerator, c.denominator);
        const SurfRect b = SurfBufferRectOf(c.window);
        EXPECT_EQ(b.left, c.buffer.left) << c.numerator << "/" << c.denominator;
        EXPECT_EQ(b.top, c.buffer.top) << c.numerator << "/" << c.denominator;
        EXPECT_EQ(b.right, c.buffer.right) << c.numerator << "/" << c.denominator;
        EXPECT_EQ(b.bottom, c.buffer.bottom) << c.numerator << "/" << c.denominator;
        EXPECT_EQ(SurfWindowLength(400), c.window_width) << c.numerator << "/" << c.denominator;
    }
    SurfSetWindowScale(2, 1);
    ASSERT_TRUE(SurfInit(16, 8));
    SurfShutdown(); // pixel for pixel again
    EXPECT_TRUE(SurfWindowUnscaled());
}

} // namespace
