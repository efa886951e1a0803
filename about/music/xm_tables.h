// Fixed tables and pitch formulas of the player.
#pragma once

#include <cstdint>

namespace xm {

extern const uint8_t kVibratoSine[32];        // 127 sin(k pi / 32), k = 0..31
extern const uint8_t kAutoVibratoQuarter[65]; // 64 sin(k pi / 128), k = 0..64
extern const int32_t kMasterVolumeSteps[26];  // 2 dB steps, 32768 = unity

// Vibrato/tremolo wave at `pos` (0..63) for waveform `wave` (low two bits):
// 0 sine, 1 falling ramp, 2 and 3 square; -127..127.
int WaveValue(int wave, int pos);
// Auto-vibrato wave at `pos` (0..255) for type 0..3; -64..64.
int AutoVibratoValue(int type, int pos);

// Period of real note `note` (0-based semitones from C-0) with `finetune`.
int32_t LinearPeriod(int note, int finetune);
int32_t AmigaPeriod(int note, int finetune);
// Playback frequency in Hz of an effective period (period + delta).
double LinearFrequency(int32_t period);
double AmigaFrequency(int32_t period);
// 32.32 step per output frame for `hz`.
uint64_t StepForFrequency(double hz);

} // namespace xm
