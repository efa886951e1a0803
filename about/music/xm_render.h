// The block renderer: advances the song tick by tick, mixes every voice
// slot into 1024-frame blocks and converts them to 16-bit stereo.
#pragma once

#include "about/music/xm_types.h"

namespace xm {

struct BlockInfo {
    uint32_t levels = 0;   // average |left| << 16 | average |right|
    uint32_t position = 0; // order << 16 | row
};

// Renders kBlockFrames frames (left, right interleaved) into `out`.
// Once the song has ended (play-once) the block is silent.
void RenderBlock(Player& player, int16_t* out, BlockInfo& info);

// Starts the next tick: row or tick processing, then the tick advance.
// Returns false when a play-once song has reached its end.
bool StartTick(Player& player);

// Adds `frames` frames of one voice slot to 32-bit accumulators (left,
// right interleaved). Each value added is below 2^28 in magnitude (sample x
// 64 x volume 127), so the sums of kVoicesPerGroup calls fit 32 bits.
// Returns whether anything was added.
bool MixVoice(Voice& voice, int32_t* mix, int frames);
constexpr int kVoicesPerGroup = 8;

// Mixing uses SSE4.1 where the processor has it; tests turn it off to check
// the plain SSE2 path too. Not for use while a block is being mixed.
void PreferSse41Mixing(bool prefer);

// Converts accumulators to 16-bit with the master volume; returns the sums
// of the converted magnitudes of the left and right channels.
void ConvertBlock(const int32_t* mix, int frames, int32_t master_volume, int16_t* out,
                  uint64_t& left_sum, uint64_t& right_sum);

} // namespace xm
