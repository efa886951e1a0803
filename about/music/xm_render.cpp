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
    bool jump = p.song_jump;
    int order = p.pending_order >= 0 ? p.pending_order : p.order;
    int row = p.pending_row >= 0 ? p.pending_row : p.row;
    if (order >= m.song_length) {
        if (p.play_once) return false;
        order = m.restart < m.song_length ? m.restart : 0;
        p.visited.assign(p.visited.size(), 0);
    }
    const Pattern& pat = m.patterns[m.orders[order]];
    if (row >= pat.rows) row = 0; // a break beyond the pattern lands on its first row
    if (jump && p.play_once && Visited(p, order, row)) return false;
    p.order = order;
    p.row = row;
    p.pending_order = p.pending_row = -1;
    p.jump_marked = p.song_jump = false;
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
    int in_group = 0;
    for (int c = 0; c < p.module.channels; ++c) {
        for (Voice& v : p.voices[c]) {
            if (!v.sample) continue;
            if (in_group == kVoicesPerGroup) {
                mix.Fold(first, count);
                in_group = 0;
            }
            if (MixVoice(v, mix.group + 2 * first, count)) ++in_group;
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
        if (p.pending_order < 0 && p.pending_row < 0) {
            int rows = p.module.patterns[p.module.orders[p.order]].rows;
            if (p.row + 1 < rows) {
                p.pending_row = p.row + 1;
            } else {
                p.pending_order = p.order + 1;
                p.pending_row = 0;
            }
        }
    } else {
        ProcessTick(p);
    }
    if (p.on_tick) p.on_tick(p.on_tick_context, p);
    if (++p.tick >= p.speed + p.extra_ticks) {
        p.tick = 0;
        p.extra_ticks = 0;
    }
    p.samples_left = p.samples_per_tick;
    return true;
}

void RenderBlock(Player& p, int16_t* out, BlockInfo& info) {
    static_assert(kBlockFrames == 1024, "levels divide by the block length");
    BlockMix mix;
    std::memset(mix.group, 0, sizeof mix.group);
    if (!p.paused) {
        int done = 0;
        while (done < kBlockFrames) {
            if (p.samples_left == 0 && !StartTick(p)) break;
            int n = std::min(p.samples_left, kBlockFrames - done);
            MixSegment(p, mix, done, n);
            p.samples_left -= n;
            done += n;
            p.time_ms += static_cast<uint32_t>(n * 1000 / kOutputRate);
        }
    }
    info.position = static_cast<uint32_t>(p.order) << 16 | static_cast<uint32_t>(p.row);
    uint64_t left = 0, right = 0;
    mix.Finish();
    ConvertBlock(mix.group, kBlockFrames, p.master_volume, out, left, right);
    info.levels = static_cast<uint32_t>(left / kBlockFrames) << 16 |
                  static_cast<uint32_t>(right / kBlockFrames);
}

} // namespace xm
