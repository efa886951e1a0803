// about_frame_dump OUT.ppm [FRAMES]: composes FRAMES About frames (default
// 100) on the host and writes the last one as a binary PPM, to look at.
#include "about/about_font.h"
#include "about/credits_animation.h"
#include "about/surface.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: about_frame_dump OUT.ppm [FRAMES]\n");
        return 2;
    }
    int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    if (!SurfInit(kAboutWidth, kAboutHeight)) return 1;
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    if (SurfCurrentFont == nullptr) return 1;
    AboutAnimation state;
    OpenAboutAnimation(state);
    for (int i = 0; i < frames; ++i) {
        if (!SurfBeginFrame(nullptr)) return 1;
        ComposeAboutFrame(state, kCreditText.text, "1.0.0.42");
        SurfEndFrame();
    }
    const SurfImage* img = SurfBackBuffer();
    FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", img->width, img->height);
    for (int y = 0; y < img->height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(img->top_row - y * img->pitch);
        for (int x = 0; x < img->width; ++x) {
            unsigned char rgb[3] = {uint8_t(row[x] >> 16), uint8_t(row[x] >> 8), uint8_t(row[x])};
            std::fwrite(rgb, 1, 3, f);
        }
    }
    std::fclose(f);
    SurfShutdown();
    std::printf("frame %d, credit x %d\n", frames, state.credit_x);
    return 0;
}
