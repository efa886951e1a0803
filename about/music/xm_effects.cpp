// The effect column and the volume column: what each does on the row's
// first tick and on its later ticks.
#include "about/music/xm_sequencer.h"

#include <algorithm>

namespace xm {
namespace {

constexpr int32_t kMaxPeriod = 1 << 20; // keeps endless slides from overflowing

const Instrument* InstrumentOf(const Player& p, const Channel& ch) {
    if (ch.instrument < 1 || ch.instrument > static_cast<int>(p.module.instruments.size()))
        return nullptr;
    return &p.module.instruments[ch.instrument - 1];
}

void PeriodDown(Channel& ch, int amount) {
    ch.period = std::max(1, ch.period - amount);
}
void PeriodUp(Channel& ch, int amount) {
    ch.period = std::min(kMaxPeriod, ch.period + amount);
}

void VolumeSlide(Channel& ch) {
    int x = ch.vol_slide >> 4, y = ch.vol_slide & 15;
    ch.volume += x ? x : -y;
}

void Tremor(Channel& ch) {
    int on = ch.tremor_on + 1, off = ch.tremor_off + 1;
    if (ch.tremor_pos % (on + off) >= on) ch.volume_delta = -ch.volume;
    ch.tremor_pos = (ch.tremor_pos + 1) % (on + off);
}

void Retrigger(Channel& ch) {
    ch.flags |= kUpdTrigger;
    ch.sample_offset = 0;
}

void RetrigVolume(Channel& ch) {
    int& v = ch.volume;
    switch (ch.retrig_volume) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        v -= 1 << (ch.retrig_volume - 1);
        break;
    case 6:
        v = v * 2 / 3;
        break;
    case 7:
        v /= 2;
        break;
    case 9:
    case 0xA:
    case 0xB:
    case 0xC:
    case 0xD:
        v += 1 << (ch.retrig_volume - 9);
        break;
    case 0xE:
        v = v * 3 / 2;
        break;
    case 0xF:
        v *= 2;
        break;
    default:
        break;
    }
}

void Jump(Player& p, int order, int row) {
    p.pending_order = order;
    p.pending_row = row;
}

void DelayedTrigger(Player& p, Channel& ch) {
    ch.fadeout = 65536;
    if (ch.sample) ch.volume = ch.sample->volume;
    ch.env_volume = ch.env_volume > 9 ? 64 : 0;
    ch.vol_env = EnvelopeState();
    ch.pan_env = EnvelopeState();
    ch.key_off = false;
    if (ch.vib_wave < 4) ch.vib_pos = 0;
    if (static_cast<int8_t>(ch.trem_wave << 4 | ch.vib_wave) < 0x4F) ch.trem_pos = 0;
    ch.period = ch.target_period;
    VolumeColumnRow(p, ch);
    ch.flags |= kUpdTrigger;
}

void ExtendedRow(Player& p, Channel& ch, int sub, int y) {
    switch (sub) {
    case 0x1:
        if (y) ch.fine_porta_up = static_cast<uint8_t>(y);
        PeriodDown(ch, 4 * ch.fine_porta_up);
        break;
    case 0x2:
        if (y) ch.fine_porta_down = static_cast<uint8_t>(y);
        PeriodUp(ch, 4 * ch.fine_porta_down);
        break;
    case 0x4:
        ch.vib_wave = static_cast<uint8_t>(y);
        break;
    case 0x5: {
        // y = 8 is no detune; each step is 1/8 semitone
        ch.finetune = (y - 8) * 16;
        const Cell& c = ch.cell;
        if (c.note >= 1 && c.note <= kNotes) {
            ch.target_period = NotePeriod(p, ch.real_note, ch.finetune);
            if (ch.flags & kUpdTrigger) ch.period = ch.target_period;
        }
        break;
    }
    case 0x6:
        if (y == 0) {
            ch.loop_row = p.row;
        } else if (ch.loop_count == 0 || --ch.loop_count > 0) {
            if (ch.loop_count == 0) ch.loop_count = y;
            Jump(p, p.order, ch.loop_row);
            p.song_jump = false;
        }
        break;
    case 0x7:
        ch.trem_wave = static_cast<uint8_t>(y);
        break;
    case 0x8:
        ch.panning = y * 16;
        break;
    case 0xA:
        if (y) ch.fine_vol_slide = y;
        ch.volume += ch.fine_vol_slide;
        break;
    case 0xB:
        if (y) ch.fine_vol_slide = -y;
        ch.volume += ch.fine_vol_slide;
        break;
    case 0xC:
        if (y == 0) ch.volume = 0;
        break;
    case 0xD:
        if (y) {
            ch.period = ch.saved_period;
            ch.volume = ch.saved_volume;
            ch.panning = ch.saved_panning;
            ch.flags &= ~kUpdTrigger;
            ch.delay_tick = static_cast<uint8_t>(y);
        }
        break;
    case 0xE:
        p.extra_ticks = y * p.speed;
        break;
    default:
        break;
    }
}

void ExtendedTick(Player& p, Channel& ch, int sub, int y) {
    switch (sub) {
    case 0x9:
        if (y && p.tick % y == 0) Retrigger(ch);
        break;
    case 0xC:
        if (p.tick == y) ch.volume = 0;
        break;
    case 0xD:
        if (ch.delay_tick == p.tick)
            DelayedTrigger(p, ch);
        else if (p.tick < ch.delay_tick)
            ch.flags = 0;
        break;
    default:
        break;
    }
}

} // namespace

void TonePortamento(Channel& ch) {
    int speed = 4 * ch.tone_porta_speed;
    if (ch.period < ch.target_period)
        ch.period = std::min(ch.period + speed, ch.target_period);
    else if (ch.period > ch.target_period)
        ch.period = std::max(ch.period - speed, ch.target_period);
}

void VolumeColumnRow(Player& p, Channel& ch) {
    (void)p;
    int v = ch.cell.volume, x = v & 15;
    if (v >= 0x10 && v <= 0x50) {
        ch.volume = v - 0x10;
        return;
    }
    switch (v >> 4) {
    case 0x6:
    case 0x8:
        ch.volume -= x;
        break;
    case 0x7:
    case 0x9:
        ch.volume += x;
        break;
    case 0xA:
        if (x) ch.vib_speed = static_cast<uint8_t>(x);
        break;
    case 0xB:
        if (x) ch.vib_depth = static_cast<uint8_t>(x);
        break;
    case 0xC:
        ch.panning = x * 16;
        break;
    case 0xD:
        ch.panning = std::max(0, ch.panning - x);
        break;
    case 0xE:
        ch.panning = std::min(255, ch.panning + x);
        break;
    case 0xF:
        if (x) ch.tone_porta_speed = static_cast<uint8_t>(x * 16);
        break;
    default:
        break;
    }
}

void VolumeColumnTick(Channel& ch) {
    int v = ch.cell.volume, x = v & 15;
    switch (v >> 4) {
    case 0x6:
        ch.volume -= x;
        break;
    case 0x7:
        ch.volume += x;
        break;
    case 0xB:
        ApplyVibrato(ch, x);
        break;
    case 0xD:
        ch.panning = std::max(0, ch.panning - x);
        break;
    case 0xE:
        ch.panning = std::min(255, ch.panning + x);
        break;
    case 0xF:
        TonePortamento(ch);
        break;
    default:
        break;
    }
}

void RowEffect(Player& p, Channel& ch, int index) {
    const Module& m = p.module;
    int prm = ch.cell.param, x = prm >> 4, y = prm & 15;
    switch (ch.cell.effect) {
    case kPortaUp:
    case kPortaDown:
        if (prm) ch.porta_speed = static_cast<uint8_t>(prm);
        break;
    case kTonePorta:
        if (prm) ch.tone_porta_speed = static_cast<uint8_t>(prm);
        break;
    case kVibrato:
        if (x) ch.vib_speed = static_cast<uint8_t>(x);
        if (y) ch.vib_depth = static_cast<uint8_t>(y);
        ApplyVibrato(ch, ch.vib_depth);
        break;
    case kTonePortaVolSlide:
        if (prm) ch.vol_slide = static_cast<uint8_t>(prm);
        break;
    case kVibratoVolSlide:
        if (prm) ch.vol_slide = static_cast<uint8_t>(prm);
        ApplyVibrato(ch, ch.vib_depth);
        break;
    case kTremolo:
        if (x) ch.trem_speed = static_cast<uint8_t>(x);
        if (y) ch.trem_depth = static_cast<uint8_t>(y);
        break;
    case kSetPanning:
        ch.panning = prm;
        break;
    case kSampleOffset:
        if (prm) ch.offset_param = static_cast<uint8_t>(prm);
        if (ch.flags & kUpdTrigger) {
            uint32_t offset = ch.offset_param * 256u;
            const Sample* s = ch.sample;
            if (s && offset >= static_cast<uint32_t>(s->loop_start + s->loop_length)) {
                // Beyond the sample: no new note; the current sound restarts.
                ch.flags &= ~kUpdTrigger;
                Voice& v = p.voices[index][ch.slot];
                v.position = 0;
                v.backwards = false;
            } else {
                ch.sample_offset = offset;
            }
        }
        break;
    case kVolumeSlide:
        if (prm) ch.vol_slide = static_cast<uint8_t>(prm);
        break;
    case kPositionJump:
        Jump(p, prm >= m.song_length ? 0 : prm, 0);
        p.jump_marked = true;
        p.song_jump = true;
        break;
    case kSetVolume:
        ch.volume = prm;
        break;
    case kPatternBreak:
        p.pending_row = x * 10 + y;
        // Past the last order a looping song continues at order 0, not at the
        // restart position; a play-once song ends there.
        if (!p.jump_marked)
            p.pending_order = p.order + 1 < m.song_length || p.play_once ? p.order + 1 : 0;
        p.song_jump = true;
        break;
    case kExtended:
        ExtendedRow(p, ch, x, y);
        break;
    case kSpeed:
        if (prm < 32) {
            p.speed = prm ? prm : 1;
        } else {
            p.bpm = prm;
            p.samples_per_tick = SamplesPerTick(prm);
        }
        break;
    case kGlobalVolume:
        p.global_volume = std::min(prm, 64);
        break;
    case kGlobalSlide:
        if (prm) ch.global_slide = static_cast<uint8_t>(prm);
        break;
    case kEnvelopePosition: {
        const Instrument* ins = InstrumentOf(p, ch);
        if (ins && (ins->volume.flags & kEnvOn))
            EnvelopeJump(ins->volume, ch.vol_env, prm, ch.env_volume);
        break;
    }
    case kPanningSlide:
        if (prm) ch.pan_slide = static_cast<uint8_t>(prm);
        break;
    case kMultiRetrig:
        if (x) ch.retrig_volume = static_cast<uint8_t>(x);
        if (y) ch.retrig_interval = static_cast<uint8_t>(y);
        break;
    case kTremor:
        if (prm) {
            ch.tremor_on = static_cast<uint8_t>(x);
            ch.tremor_off = static_cast<uint8_t>(y);
        }
        Tremor(ch);
        break;
    case kExtraFinePorta:
        if (x == 1) {
            if (y) ch.xfine_porta_up = static_cast<uint8_t>(y);
            PeriodDown(ch, ch.xfine_porta_up);
        } else if (x == 2) {
            if (y) ch.xfine_porta_down = static_cast<uint8_t>(y);
            PeriodUp(ch, ch.xfine_porta_down);
        }
        break;
    default:
        break;
    }
}

void TickEffect(Player& p, Channel& ch) {
    int prm = ch.cell.param, x = prm >> 4, y = prm & 15;
    switch (ch.cell.effect) {
    case kArpeggio: {
        if (!prm) break;
        int phase = p.tick % 3;
        int semis = phase == 1 ? x : phase == 2 ? y : 0;
        if (!semis) break;
        if (p.module.linear)
            ch.period_delta = -64 * semis;
        else
            ch.period_delta = NotePeriod(p, ch.real_note + semis, ch.finetune) -
                              NotePeriod(p, ch.real_note, ch.finetune);
        break;
    }
    case kPortaUp:
        PeriodDown(ch, 4 * ch.porta_speed);
        break;
    case kPortaDown:
        PeriodUp(ch, 4 * ch.porta_speed);
        break;
    case kTonePorta:
        TonePortamento(ch);
        break;
    case kVibrato:
        ApplyVibrato(ch, ch.vib_depth);
        break;
    case kTonePortaVolSlide:
        TonePortamento(ch);
        VolumeSlide(ch);
        break;
    case kVibratoVolSlide:
        ApplyVibrato(ch, ch.vib_depth);
        VolumeSlide(ch);
        break;
    case kTremolo:
        ApplyTremolo(ch);
        break;
    case kVolumeSlide:
        VolumeSlide(ch);
        break;
    case kExtended:
        ExtendedTick(p, ch, x, y);
        break;
    case kGlobalSlide: {
        int gx = ch.global_slide >> 4, gy = ch.global_slide & 15;
        p.global_volume = std::clamp(p.global_volume + (gx ? gx : -gy), 0, 64);
        break;
    }
    case kPanningSlide: {
        int px = ch.pan_slide >> 4, py = ch.pan_slide & 15;
        ch.panning = std::clamp(ch.panning + (px ? px : -py), 0, 255);
        break;
    }
    case kMultiRetrig:
        if (ch.retrig_interval && p.tick % ch.retrig_interval == 0) {
            Retrigger(ch);
            RetrigVolume(ch);
        }
        break;
    case kTremor:
        Tremor(ch);
        break;
    default:
        break;
    }
}

} // namespace xm
