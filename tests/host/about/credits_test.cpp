// The About animation over many frames, on the host back buffer.
#include "about/about_font.h"
#include "about/credits_animation.h"
#include "about/surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

uint32_t Pixel(int x, int y) {
    const SurfImage* img = SurfBackBuffer();
    return reinterpret_cast<const uint32_t*>(img->top_row - y * img->pitch)[x];
}

TEST(Credits, TextHasItsSegmentsInPlace) {
    std::string t = kCreditText.text;
    ASSERT_EQ(t.size(), 366u);
    EXPECT_EQ(t.substr(15, 4), "....");
    EXPECT_EQ(t.substr(36, 3), " - ");
    EXPECT_EQ(t.substr(61, 4), "    ");
    EXPECT_EQ(t.substr(105, 16), std::string(16, ' '));
    EXPECT_EQ(t.substr(133, 16), std::string(16, ' '));
    EXPECT_EQ(t.substr(201, 7), ".....  ");
    EXPECT_EQ(t.substr(208, 23), "Visit us on the web at:");
    EXPECT_EQ(t.substr(275, 15), "or email us at:");
    EXPECT_EQ(t.substr(329, 11), std::string(11, ' '));
    EXPECT_EQ(t.substr(340, 26), "Remote Control Made Easy! ");
    EXPECT_NE(t[121], ' ');
    EXPECT_NE(t[132], ' ');
    EXPECT_NE(t[234], ' ');
    EXPECT_NE(t[270], ' ');
    EXPECT_EQ(t.substr(297, 32).find('@') != std::string::npos, true);
    // Each pause puts the first character of its 45-character window within
    // a character of x = 1, at an even x that the 2-pixel steps reach.
    const int firsts[kCreditPauseCount] = {19, 105, 231, 291, 330};
    for (int i = 0; i < kCreditPauseCount; ++i) {
        EXPECT_EQ(kCreditPauses[i] % 2, 0);
        EXPECT_LT(std::abs(kCreditPauses[i] - (1 - 9 * firsts[i])), 9);
    }

    CreditText copy = kCreditText;
    WriteCreditYear(copy, 2031);
    EXPECT_EQ(std::string(copy.text).substr(35, 9), "9 - 2031 ");
    EXPECT_EQ(std::strlen(copy.text), 366u);
    WriteCreditYear(copy, "1999");
    EXPECT_EQ(std::string(copy.text, 39, 4), "1999");
}

TEST(Credits, CycleMovesHoldsAndWraps) {
    AboutAnimation a;
    a.hold = 0;
    OpenAboutAnimation(a);
    AdvanceCredit(a);
    EXPECT_EQ(a.credit_x, 398); // the first frame
    std::vector<int> held;
    int frames = 1, held_here = 0, lowest = 398;
    while (true) {
        int before = a.credit_x;
        AdvanceCredit(a);
        ++frames;
        lowest = std::min(lowest, a.credit_x);
        if (a.credit_x == before) {
            ++held_here;
        } else if (held_here) {
            held.push_back(before);
            EXPECT_EQ(held_here, 120) << before;
            held_here = 0;
        }
        if (a.credit_x == 398) break;
        ASSERT_LT(frames, 5000);
    }
    EXPECT_EQ(held, (std::vector<int>{-170, -944, -2080, -2624, -2976}));
    EXPECT_EQ(lowest, -3346);
    EXPECT_EQ(frames - 1, 2473); // one full cycle, back at 398
}

TEST(Credits, HoldCountCarriesOverToTheNextOpening) {
    AboutAnimation a;
    OpenAboutAnimation(a);
    while (a.credit_x != -170)
        AdvanceCredit(a);
    for (int i = 0; i < 50; ++i)
        AdvanceCredit(a);
    EXPECT_EQ(a.hold, 50);
    OpenAboutAnimation(a); // closed at the pause and opened again
    EXPECT_EQ(a.credit_x, 400);
    while (a.credit_x != -170)
        AdvanceCredit(a);
    int frames = 0;
    while (a.credit_x == -170) {
        AdvanceCredit(a);
        ++frames;
    }
    EXPECT_EQ(frames, 71); // 70 remaining held frames, then the move
    // A position outside the range (e.g. state from elsewhere) restarts.
    a.credit_x = -5000;
    AdvanceCredit(a);
    EXPECT_EQ(a.credit_x, 398);
}

TEST(Credits, FramesDrawTextsTitleWaveAndStars) {
    ASSERT_TRUE(SurfInit(kAboutWidth, kAboutHeight));
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    ASSERT_NE(SurfCurrentFont, nullptr);
    AboutAnimation a;
    OpenAboutAnimation(a);
    ASSERT_TRUE(SurfBeginFrame(nullptr));
    ComposeAboutFrame(a, kCreditText.text, "1.0.0.42");
    EXPECT_EQ(a.credit_x, 398);
    EXPECT_DOUBLE_EQ(a.wave_angle, 280.0); // 20 per title character, never reduced
    EXPECT_EQ(a.star_phase, 10);
    // The first stars of the phase-0 field (200 + X / z, 150 + Y / z).
    for (auto s : {std::pair<int, int>{154, 173}, {86, 111}, {225, 187}, {165, 150}, {232, 146}})
        EXPECT_EQ(Pixel(s.first, s.second), 0xFFFFFFu) << s.first << "," << s.second;
    // White version texts on black; title ink in green around y = 20 +- 4.
    int white = 0, green = 0;
    for (int y = 40; y < 54; ++y)
        for (int x = 40; x < 400; ++x)
            white += Pixel(x, y) == 0xFFFFFF;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x) {
            if (Pixel(x, y) != 0x00FF00) continue;
            ++green;
            EXPECT_GE(x, 120);
            EXPECT_GE(y, 16);
            EXPECT_LT(y, 24 + 14);
        }
    EXPECT_GT(white, 100);
    EXPECT_GT(green, 50);
    // Later frames: the credit line shows in all six colours.
    for (int i = 0; i < 200; ++i)
        ComposeAboutFrame(a, kCreditText.text, "1.0.0.42");
    for (uint32_t colour : {0xFFFF00u, 0x0000FFu, 0xFF0000u, 0x00FFFFu, 0xFF40FFu, 0x00FF00u}) {
        int n = 0;
        for (int y = 60; y < 290; ++y)
            for (int x = 0; x < 400; ++x)
                n += Pixel(x, y) == colour;
        EXPECT_GT(n, 100) << std::hex << colour;
    }
    EXPECT_DOUBLE_EQ(a.wave_angle, 201 * 280.0);
    EXPECT_EQ(a.star_phase, (201 * 10) & 1023);
    SurfEndFrame();
    SurfShutdown();
}

} // namespace
