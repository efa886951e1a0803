#include "about/credits_animation.h"

#include "about/surface.h"

#include <cmath>

const int32_t kCreditPauses[kCreditPauseCount] = {-170, -944, -2080, -2624, -2976};
const char kAboutTitle[] = "  Pellam Board";
const char kAboutClientVersion[] = "Client Version: 1.0";

// Segments, by first index: 0 product, 19 maker's line (end year at 39),
// 61 gap, 65 hardware sentence, 105 gap, 121 designer, 133 gap, 149 software
// sentence, 206 gap, 208 web prompt, 231 gap, 234 web address, 271 gap,
// 275 mail prompt, 290 gap, 297 mail address, 329 gap, 340 slogan, 365.
constexpr CreditText kCreditText = {"   Pellam Board...."
                                    " Copyright(c)2019 - 2026 Qvoxline Circuits"
                                    "    "
                                    "Pellam Board's hardware was designed by:"
                                    "                "
                                    "Mira Toveson"
                                    "                "
                                    "Pellam Board software was written in C++ for Windows....."
                                    "  "
                                    "Visit us on the web at:"
                                    "   "
                                    "http://www.qvoxline-circuits.example/"
                                    "    "
                                    "or email us at:"
                                    "       "
                                    "orders@qvoxline-circuits.example"
                                    "           "
                                    "Remote Control Made Easy!"
                                    " "};
static_assert(kCreditText.text[kCreditLength - 1] != 0, "the text fills the whole credit line");

namespace {

struct CreditRow {
    int32_t y;
    uint32_t colour;
};

constexpr CreditRow kCreditRows[6] = {{70, 0xFFFF00},  {110, 0x0000FF}, {150, 0xFF0000},
                                      {190, 0x00FFFF}, {230, 0xFF40FF}, {270, 0x00FF00}};

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;

// The version line.
constexpr int32_t kVersionY = 40;
constexpr int32_t kClientVersionX = 40;
constexpr int32_t kBuildLabelX = 240;
constexpr int32_t kBuildTextX = 295;
const char kBuildLabel[] = "Build:";

// The title wave.
constexpr double kWaveStep = 20.0;
constexpr double kWaveAmplitude = 3.5;
constexpr double kWaveBaseY = 20.0;
constexpr int32_t kTitleX = 120;

// The starfield: every frame replays the same generator, so each star keeps
// its direction from the centre while its depth moves.
constexpr uint32_t kStarSeed = 351345;
constexpr int32_t kStarCount = 200;
constexpr int32_t kStarCentreX = 200;
constexpr int32_t kStarCentreY = 150;
constexpr int32_t kStarDepthOffset = 3215;    // the depth walk starts at the phase plus this
constexpr int32_t kStarDepthSpread = 3243561; // depth step from one star to the next
constexpr int32_t kStarDepthMask = 1023;      // depths 1..1024, phases 0..1023
constexpr int32_t kStarPhaseStep = 10;        // depth gained per frame

} // namespace

void WriteCreditYear(CreditText& credit, const char* year) {
    for (int i = 0; i < kCreditYearLength; ++i)
        credit.text[kCreditYearIndex + i] = year[i];
}

void WriteCreditYear(CreditText& credit, int year) {
    char digits[kCreditYearLength];
    for (int i = kCreditYearLength - 1; i >= 0; --i) {
        digits[i] = char('0' + (year % 10 + 10) % 10);
        year /= 10;
    }
    WriteCreditYear(credit, digits);
}

void OpenAboutAnimation(AboutAnimation& state) {
    state.credit_x = kCreditStartX;
}

void AdvanceCredit(AboutAnimation& state) {
    if (state.credit_x < kCreditWrapLow || state.credit_x > kCreditStartX)
        state.credit_x = kCreditStartX;
    for (int32_t pause : kCreditPauses) {
        if (state.credit_x != pause) continue;
        if (state.hold == kCreditHoldFrames) {
            state.hold = 0;
            state.credit_x -= kCreditStep;
        } else {
            ++state.hold;
        }
        return;
    }
    state.credit_x -= kCreditStep;
}

void DrawStarfield(AboutAnimation& state) {
    uint32_t s = kStarSeed;
    int32_t z = state.star_phase + kStarDepthOffset;
    for (int32_t i = 0; i < kStarCount; ++i) {
        s = s * 214013u + 2531011u;
        int32_t x = int32_t(s) >> 16;
        s = s * 314013u + 1531011u;
        int32_t y = int32_t(s) >> 16;
        z = ((z + kStarDepthSpread) & kStarDepthMask) + 1;
        SurfPutPixel(x / z + kStarCentreX, y / z + kStarCentreY, kWhite);
    }
    state.star_phase = (state.star_phase + kStarPhaseStep) & kStarDepthMask;
}

void ComposeAboutFrame(AboutAnimation& state, const char* credit, const char* build_text) {
    SurfFillRect(0, 0, kAboutWidth, kAboutHeight, kBlack);
    SurfDrawText(kClientVersionX, kVersionY, kAboutClientVersion, kWhite);
    SurfDrawText(kBuildLabelX, kVersionY, kBuildLabel, kWhite);
    SurfDrawText(kBuildTextX, kVersionY, build_text, kWhite);

    AdvanceCredit(state);
    char one[2] = {0, 0};
    int32_t x = state.credit_x;
    for (const char* p = credit; p && *p; ++p) {
        one[0] = *p;
        for (const CreditRow& row : kCreditRows)
            SurfDrawText(x, row.y, one, row.colour);
        uint32_t width, height;
        SurfMeasureText(one, &width, &height);
        x += int32_t(width);
    }

    x = kTitleX;
    for (const char* p = kAboutTitle; *p; ++p) {
        one[0] = *p;
        state.wave_angle += kWaveStep;
        // Halves round to even under the default rounding mode.
        int32_t y =
            int32_t(std::nearbyint(std::sin(state.wave_angle) * kWaveAmplitude + kWaveBaseY));
        SurfDrawText(x, y, one, kGreen);
        uint32_t width, height;
        SurfMeasureText(one, &width, &height);
        x += int32_t(width);
    }

    DrawStarfield(state);
}
