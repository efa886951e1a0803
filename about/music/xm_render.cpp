#include "about/music/xm_render.h"

#include "about/music/xm_sequencer.h"

#include <algorithm>
#include <cstring>

namespace xm {
namespace {

bool Visited(const Player& p, int order, int row) {
    size_t bit = static_cast<size_t>(order) * 256 + row;
    return p.visited.size() * 8 > bit && (p.visited[bit / 8] >> (bit % 8) & 1);
}

void MarkVisited(Player& p) {
    size_t bit = static_cast<size_t>(p.order) * 256 + p.row;
    if (p.visited.size() * 8 > bit) p.visited[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
}

// Applies the pending position at the start of a row. Returns false when a
// play-once song ends here: past the last order, or a jump back to a row
// already played (other than a pattern loop).
bool ApplyPending(Player& p) {
    const Module& m = p.module;
    bool jump = p.songJump;
    int order = p.pendingOrder >= 0 ? p.pendingOrder : p.order;
    int row = p.pendingRow >= 0 ? p.pendingRow : p.row;
    if (order >= m.songLength) {
        if (p.playOnce) return false;
        order = m.restart < m.songLength ? m.restart : 0;
        p.visited.assign(p.visited.size(), 0);
    }
    const Pattern& pat = m.patterns[m.orders[order]];
    if (row >= pat.rows) row = 0; // a break beyond the pattern lands on its first row
    if (jump && p.playOnce && Visited(p, order, row)) return false;
    p.order = order;
    p.row = row;
    p.pendingOrder = p.pendingRow = -1;
    p.jumpMarked = p.songJump = false;
    MarkVisited(p);
    return true;
}

// Exact sums of any number of voice slots: voices add into a 32-bit group
// buffer, which is folded into 64-bit sums before it could overflow.
struct BlockMix {
    int32_t group[2 * kBlockFrames];
    int64_t wide[2 * kBlockFrames];
    bool widened = false;

    void Fold(int first, int count) {
        if (!widened) {
            std::memset(wide, 0, sizeof wide);
            widened = true;
        }
        for (int i = 2 * first; i < 2 * (first + count); ++i) {
            wide[i] += group[i];
            group[i] = 0;
        }
    }

    // Leaves the block's sums in `group`, limited to what the conversion
    // limits anyway.
    void Finish() {
        if (!widened) return;
        constexpr int64_t kBound = 1 << 30;
        for (int i = 0; i < 2 * kBlockFrames; ++i)
            group[i] = static_cast<int32_t>(std::clamp(wide[i] + group[i], -kBound, kBound));
    }
};

void MixSegment(Player& p, BlockMix& mix, int first, int count) {
    int inGroup = 0;
    for (int c = 0; c < p.module.channels; ++c) {
        for (Voice& v : p.voices[c]) {
            if (!v.sample) continue;
            if (inGroup == kVoicesPerGroup) {
                mix.Fold(first, count);
                inGroup = 0;
            }
            if (MixVoice(v, mix.group + 2 * first, count)) ++inGroup;
        }
    }
}

} // namespace

bool StartTick(Player& p) {
    if (p.ended) return false;
    if (p.tick == 0) {
        if (!ApplyPending(p)) {
            p.ended = true;
            return false;
        }
        ProcessRow(p);
        if (p.pendingOrder < 0 && p.pendingRow < 0) {
            int rows = p.module.patterns[p.module.orders[p.order]].rows;
            if (p.row + 1 < rows) {
                p.pendingRow = p.row + 1;
            } else {
                p.pendingOrder = p.order + 1;
                p.pendingRow = 0;
            }
        }
    } else {
        ProcessTick(p);
    }
    if (p.onTick) p.onTick(p.onTickContext, p);
    if (++p.tick >= p.speed + p.extraTicks) {
        p.tick = 0;
        p.extraTicks = 0;
    }
    p.samplesLeft = p.samplesPerTick;
    return true;
}

void RenderBlock(Player& p, int16_t* out, BlockInfo& info) {
    static_assert(kBlockFrames == 1024, "levels divide by the block length");
    BlockMix mix;
    std::memset(mix.group, 0, sizeof mix.group);
    if (!p.paused) {
        int done = 0;
        while (done < kBlockFrames) {
            if (p.samplesLeft == 0 && !StartTick(p)) break;
            int n = std::min(p.samplesLeft, kBlockFrames - done);
            MixSegment(p, mix, done, n);
            p.samplesLeft -= n;
            done += n;
            p.timeMs += static_cast<uint32_t>(n * 20 / 960);
        }
    }
    info.position = static_cast<uint32_t>(p.order) << 16 | static_cast<uint32_t>(p.row);
    uint64_t left = 0, right = 0;
    mix.Finish();
    ConvertBlock(mix.group, kBlockFrames, p.masterVolume, out, left, right);
    info.levels = static_cast<uint32_t>(left / kBlockFrames) << 16 |
                  static_cast<uint32_t>(right / kBlockFrames);
}

} // namespace xm
