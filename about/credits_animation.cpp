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

const CreditRow kCreditRows[6] = {{70, 0xFFFF00},  {110, 0x0000FF}, {150, 0xFF0000},
                                  {190, 0x00FFFF}, {230, 0xFF40FF}, {270, 0x00FF00}};

const double kWaveStep = 20.0;
const double kWaveAmplitude = 3.5;
const double kWaveBaseY = 20.0;
const int32_t kTitleX = 120;

const uint32_t kStarSeed = 351345;
const int32_t kStarCount = 200;

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
    int32_t z = state.star_phase + 3215;
    for (int32_t i = 0; i < kStarCount; ++i) {
        s = s * 214013u + 2531011u;
        int32_t x = int32_t(s) >> 16;
        s = s * 314013u + 1531011u;
        int32_t y = int32_t(s) >> 16;
        z = ((z + 3243561) & 1023) + 1;
        SurfPutPixel(x / z + 200, y / z + 150, 0xFFFFFF);
    }
    state.star_phase = (state.star_phase + 10) & 1023;
}

void ComposeAboutFrame(AboutAnimation& state, const char* credit, const char* build_text) {
    SurfFillRect(0, 0, kAboutWidth, kAboutHeight, 0x000000);
    SurfDrawText(40, 40, kAboutClientVersion, 0xFFFFFF);
    SurfDrawText(240, 40, "Build:", 0xFFFFFF);
    SurfDrawText(295, 40, build_text, 0xFFFFFF);

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
        SurfDrawText(x, y, one, 0x00FF00);
        uint32_t width, height;
        SurfMeasureText(one, &width, &height);
        x += int32_t(width);
    }

    DrawStarfield(state);
}
