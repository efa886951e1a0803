#include "about/music/xm_tables.h"

#include <cmath>

namespace xm {

const uint8_t kVibratoSine[32] = {0,   12,  25,  37,  49,  60,  71,  81,  90,  98,  106,
                                  112, 117, 122, 125, 126, 127, 126, 125, 122, 117, 112,
                                  106, 98,  90,  81,  71,  60,  49,  37,  25,  12};

const uint8_t kAutoVibratoQuarter[65] = {
    0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 16, 17, 19, 20, 22, 23, 24, 26, 27, 29, 30, 32,
    33, 34, 36, 37, 38, 39, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56,
    56, 57, 58, 59, 59, 60, 60, 61, 61, 62, 62, 62, 63, 63, 63, 64, 64, 64, 64, 64, 64};

const int32_t kMasterVolumeSteps[26] = {1,    130,  164,   207,   260,   328,   413,   519,  654,
                                        823,  1036, 1305,  1642,  2068,  2603,  3277,  4125, 5193,
                                        6538, 8231, 10362, 13045, 16423, 20675, 26029, 32768};

int WaveValue(int wave, int pos) {
    pos &= 63;
    switch (wave & 3) {
    case 0:
        return pos < 32 ? kVibratoSine[pos] : -kVibratoSine[pos - 32];
    case 1:
        return 127 - (pos * 254) / 63; // falls from +127 to -127 over the cycle
    default:
        return pos < 32 ? 127 : -127;
    }
}

int AutoVibratoValue(int type, int pos) {
    pos &= 255;
    switch (type & 3) {
    case 0: {
        int i = pos & 127;
        int v = i <= 64 ? kAutoVibratoQuarter[i] : kAutoVibratoQuarter[128 - i];
        return pos >= 128 ? -v : v;
    }
    case 1:
        return pos < 128 ? 64 : -64;
    case 2:
        return (128 - ((pos - 128) & 255)) >> 1;
    default:
        return (128 - ((128 - pos) & 255)) >> 1;
    }
}

int32_t LinearPeriod(int note, int finetune) {
    return 7680 - 64 * note - finetune / 2;
}

static double AmigaBase(int note) {
    return std::lround(13.375 * std::pow(2.0, (132 - note) / 12.0));
}

int32_t AmigaPeriod(int note, int finetune) {
    double p = AmigaBase(note);
    double neighbour = AmigaBase(finetune < 0 ? note - 1 : note + 1);
    int ft = finetune < 0 ? -finetune : finetune;
    return static_cast<int32_t>(std::lround(p + (neighbour - p) * ft / 128.0));
}

double LinearFrequency(int32_t period) {
    return 8363.0 * std::pow(2.0, (4608 - period) / 768.0);
}

double AmigaFrequency(int32_t period) {
    return 14317456.0 / period;
}

uint64_t StepForFrequency(double hz) {
    return static_cast<uint64_t>(std::llround(hz / 48000.0 * 4294967296.0));
}

} // namespace xm
