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
    int amount = AutoVibratoValue(ins.vibratoType, ch.autoVibPos) * ins.vibratoDepth;
    if (ins.vibratoSweep) {
        amount = amount * ch.autoVibSweep / ins.vibratoSweep;
        if (ch.autoVibSweep < ins.vibratoSweep) ch.autoVibSweep++;
    }
    ch.periodDelta += amount >> 6;
    ch.autoVibPos = (ch.autoVibPos + ins.vibratoRate) & 255;
}

// The channel's slot fades out the old note over one ramp while the other
// slot starts the new one from silence.
void Trigger(Player& p, int index, Channel& ch) {
    Voice* pair = p.voices[index];
    Voice& old = pair[ch.slot];
    if (old.sample) {
        Voice& next = pair[ch.slot ^ 1];
        next.step = old.step;
        next.targetLeft = old.targetLeft;
        next.targetRight = old.targetRight;
        next.panning = old.panning;
        old.targetLeft = old.targetRight = 0;
        ch.slot ^= 1;
    }
    Voice& v = pair[ch.slot];
    const Sample* s = ch.sample;
    v.sample = (s && s->length > 0) ? s : nullptr;
    v.position = static_cast<uint64_t>(ch.sampleOffset) << 32;
    ch.sampleOffset = 0;
    v.backwards = false;
    v.left = v.right = 0;
    v.usedLeft = v.usedRight = 0;
    v.incLeft = v.incRight = 0;
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

    int64_t vol = static_cast<int64_t>(ch.volume + ch.volumeDelta) * 255 * p.globalVolume;
    vol = std::clamp<int64_t>(vol, 0, 1044480);
    vol = ((vol * ch.envVolume * ch.fadeout) >> 32) >> 3;
    int pan = ch.panning + (ch.envPanning - 32) * ((128 - std::abs(ch.panning - 128)) >> 5);
    v.panning = std::clamp(pan, 0, 255);
    v.targetRight = static_cast<int>(vol * v.panning / 255);
    v.targetLeft = static_cast<int>(vol * (255 - v.panning) / 255);

    int32_t period = ch.period + ch.periodDelta;
    double hz = 40.0;
    if (period > 0) hz = p.module.linear ? LinearFrequency(period) : AmigaFrequency(period);
    v.step = StepForFrequency(hz);
}

} // namespace xm
