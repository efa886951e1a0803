// Composing one About frame against the floor of any frame: filling the
// same 400 x 320 buffer and copying it once.
#include "about/about_font.h"
#include "about/credits_animation.h"
#include "about/surface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

void ComposeFrame(benchmark::State& st) {
    SurfInit(kAboutWidth, kAboutHeight);
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    AboutAnimation anim;
    OpenAboutAnimation(anim);
    // Start where the credit line is on screen in all six rows.
    for (int i = 0; i < 100; ++i)
        AdvanceCredit(anim);
    SurfBeginFrame(nullptr);
    for (auto _ : st) {
        ComposeAboutFrame(anim, kCreditText.text, "1.0.0.42");
        if (anim.credit_x < -3000) OpenAboutAnimation(anim);
        benchmark::DoNotOptimize(SurfBackBuffer()->pixels);
        benchmark::ClobberMemory();
    }
    SurfEndFrame();
    SurfShutdown();
}
BENCHMARK(ComposeFrame);

void FillAndCopyFloor(benchmark::State& st) {
    SurfInit(kAboutWidth, kAboutHeight);
    std::vector<uint8_t> window(size_t(kAboutWidth) * kAboutHeight * 4);
    SurfBeginFrame(nullptr);
    for (auto _ : st) {
        SurfFillRect(0, 0, kAboutWidth, kAboutHeight, 0x000000);
        benchmark::ClobberMemory();
        std::memcpy(window.data(), SurfBackBuffer()->pixels, window.size());
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
    SurfEndFrame();
    SurfShutdown();
}
BENCHMARK(FillAndCopyFloor);

} // namespace
