// The voice update: auto-vibrato, note triggers with the two voice slots,
// and the volumes, panning and pitch step of the channel's slot.
#include "about/music/xm_sequencer.h"
#include "about/music/xm_tables.h"

#include <algorithm>
#include <cstdlib>

namespace xm {
namespace {

constexpr int kVolumeBound = 1 << 20;

void AutoVibrato(const Instrument& ins, Channel& ch) {
    int amount = AutoVibratoValue(ins.vibrato_type, ch.auto_vib_pos) * ins.vibrato_depth;
    if (ins.vibrato_sweep) {
        amount = amount * ch.auto_vib_sweep / ins.vibrato_sweep;
        if (ch.auto_vib_sweep < ins.vibrato_sweep) ch.auto_vib_sweep++;
    }
    ch.period_delta += amount >> 6;
    ch.auto_vib_pos = (ch.auto_vib_pos + ins.vibrato_rate) & 255;
}

// The channel's slot fades out the old note over one ramp while the other
// slot starts the new one from silence.
void Trigger(Player& p, int index, Channel& ch) {
    Voice* pair = p.voices[index];
    Voice& old = pair[ch.slot];
    if (old.sample) {
        Voice& next = pair[ch.slot ^ 1];
        next.step = old.step;
        next.target_left = old.target_left;
        next.target_right = old.target_right;
        next.panning = old.panning;
        old.target_left = old.target_right = 0;
        ch.slot ^= 1;
    }
    Voice& v = pair[ch.slot];
    const Sample* s = ch.sample;
    v.sample = (s && s->length > 0) ? s : nullptr;
    v.position = static_cast<uint64_t>(ch.sample_offset) << 32;
    ch.sample_offset = 0;
    v.backwards = false;
    v.left = v.right = 0;
    v.used_left = v.used_right = 0;
    v.inc_left = v.inc_right = 0;
    v.ramp = 0;
}

} // namespace

void UpdateVoice(Player& p, int index) {
    Channel& ch = p.channels[index];
    // Volume effects are not limited (the voice volume is), but endless
    // slides and retrig multipliers must not overflow.
    ch.volume = std::clamp(ch.volume, -kVolumeBound, kVolumeBound);
    if (!ch.flags) return;
    const auto& instruments = p.module.instruments;
    if (ch.instrument >= 1 && ch.instrument <= static_cast<int>(instruments.size()))
        AutoVibrato(instruments[ch.instrument - 1], ch);
    if (ch.flags & kUpdTrigger) Trigger(p, index, ch);
    ch.flags = 0;
    Voice& v = p.voices[index][ch.slot];

    int64_t vol = static_cast<int64_t>(ch.volume + ch.volume_delta) * 255 * p.global_volume;
    vol = std::clamp<int64_t>(vol, 0, 1044480);
    vol = ((vol * ch.env_volume * ch.fadeout) >> 32) >> 3;
    int pan = ch.panning + (ch.env_panning - 32) * ((128 - std::abs(ch.panning - 128)) >> 5);
    v.panning = std::clamp(pan, 0, 255);
    v.target_right = static_cast<int>(vol * v.panning / 255);
    v.target_left = static_cast<int>(vol * (255 - v.panning) / 255);

    int32_t period = ch.period + ch.period_delta;
    double hz = 40.0;
    if (period > 0) hz = p.module.linear ? LinearFrequency(period) : AmigaFrequency(period);
    v.step = StepForFrequency(hz);
}

} // namespace xm
