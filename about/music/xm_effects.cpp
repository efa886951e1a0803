// The effect column and the volume column: what each does on the row's
// first tick and on its later ticks.
#include "about/music/xm_sequencer.h"

#include <algorithm>

namespace xm {
namespace {

constexpr int32_t kMaxPeriod = 1 << 20; // keeps endless slides from overflowing

enum Effect : uint8_t {
    kArpeggio = 0,
    kPortaUp,
    kPortaDown,
    kTonePorta,
    kVibrato,
    kTonePortaVolSlide,
    kVibratoVolSlide,
    kTremolo,
    kSetPanning,
    kSampleOffset,
    kVolumeSlide,
    kPositionJump,
    kSetVolume,
    kPatternBreak,
    kExtended,
    kSpeed,
    kGlobalVolume,
    kGlobalSlide,
    kKeyOff = 20,
    kEnvelopePosition = 21,
    kPanningSlide = 25,
    kMultiRetrig = 27,
    kTremor = 29,
    kExtraFinePorta = 33
};

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
    int x = ch.volSlide >> 4, y = ch.volSlide & 15;
    ch.volume += x ? x : -y;
}

void Tremor(Channel& ch) {
    int on = ch.tremorOn + 1, off = ch.tremorOff + 1;
    if (ch.tremorPos % (on + off) >= on) ch.volumeDelta = -ch.volume;
    ch.tremorPos = (ch.tremorPos + 1) % (on + off);
}

void Retrigger(Channel& ch) {
    ch.flags |= kUpdTrigger;
    ch.sampleOffset = 0;
}

void RetrigVolume(Channel& ch) {
    int& v = ch.volume;
    switch (ch.retrigVolume) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        v -= 1 << (ch.retrigVolume - 1);
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
        v += 1 << (ch.retrigVolume - 9);
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
    p.pendingOrder = order;
    p.pendingRow = row;
}

void DelayedTrigger(Player& p, Channel& ch) {
    ch.fadeout = 65536;
    if (ch.sample) ch.volume = ch.sample->volume;
    ch.envVolume = ch.envVolume > 9 ? 64 : 0;
    ch.volEnv = EnvelopeState();
    ch.panEnv = EnvelopeState();
    ch.keyOff = false;
    if (ch.vibWave < 4) ch.vibPos = 0;
    if (static_cast<int8_t>(ch.tremWave << 4 | ch.vibWave) < 0x4F) ch.tremPos = 0;
    ch.period = ch.targetPeriod;
    VolumeColumnRow(p, ch);
    ch.flags |= kUpdTrigger;
}

void ExtendedRow(Player& p, Channel& ch, int sub, int y) {
    switch (sub) {
    case 0x1:
        if (y) ch.finePortaUp = static_cast<uint8_t>(y);
        PeriodDown(ch, 4 * ch.finePortaUp);
        break;
    case 0x2:
        if (y) ch.finePortaDown = static_cast<uint8_t>(y);
        PeriodUp(ch, 4 * ch.finePortaDown);
        break;
    case 0x4:
        ch.vibWave = static_cast<uint8_t>(y);
        break;
    case 0x5: {
        // y = 8 is no detune; each step is 1/8 semitone
        ch.finetune = (y - 8) * 16;
        const Cell& c = ch.cell;
        if (c.note >= 1 && c.note <= 96) {
            ch.targetPeriod = NotePeriod(p, ch.realNote, ch.finetune);
            if (ch.flags & kUpdTrigger) ch.period = ch.targetPeriod;
        }
        break;
    }
    case 0x6:
        if (y == 0) {
            ch.loopRow = p.row;
        } else if (ch.loopCount == 0 || --ch.loopCount > 0) {
            if (ch.loopCount == 0) ch.loopCount = y;
            Jump(p, p.order, ch.loopRow);
            p.songJump = false;
        }
        break;
    case 0x7:
        ch.tremWave = static_cast<uint8_t>(y);
        break;
    case 0x8:
        ch.panning = y * 16;
        break;
    case 0xA:
        if (y) ch.fineVolSlide = y;
        ch.volume += ch.fineVolSlide;
        break;
    case 0xB:
        if (y) ch.fineVolSlide = -y;
        ch.volume += ch.fineVolSlide;
        break;
    case 0xC:
        if (y == 0) ch.volume = 0;
        break;
    case 0xD:
        if (y) {
            ch.period = ch.savedPeriod;
            ch.volume = ch.savedVolume;
            ch.panning = ch.savedPanning;
            ch.flags &= ~kUpdTrigger;
            ch.delayTick = static_cast<uint8_t>(y);
        }
        break;
    case 0xE:
        p.extraTicks = y * p.speed;
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
        if (ch.delayTick == p.tick)
            DelayedTrigger(p, ch);
        else if (p.tick < ch.delayTick)
            ch.flags = 0;
        break;
    default:
        break;
    }
}

} // namespace

void TonePortamento(Channel& ch) {
    int speed = 4 * ch.tonePortaSpeed;
    if (ch.period < ch.targetPeriod)
        ch.period = std::min(ch.period + speed, ch.targetPeriod);
    else if (ch.period > ch.targetPeriod)
        ch.period = std::max(ch.period - speed, ch.targetPeriod);
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
        if (x) ch.vibSpeed = static_cast<uint8_t>(x);
        break;
    case 0xB:
        if (x) ch.vibDepth = static_cast<uint8_t>(x);
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
        if (x) ch.tonePortaSpeed = static_cast<uint8_t>(x * 16);
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
        if (prm) ch.portaSpeed = static_cast<uint8_t>(prm);
        break;
    case kTonePorta:
        if (prm) ch.tonePortaSpeed = static_cast<uint8_t>(prm);
        break;
    case kVibrato:
        if (x) ch.vibSpeed = static_cast<uint8_t>(x);
        if (y) ch.vibDepth = static_cast<uint8_t>(y);
        ApplyVibrato(ch, ch.vibDepth);
        break;
    case kTonePortaVolSlide:
        if (prm) ch.volSlide = static_cast<uint8_t>(prm);
        break;
    case kVibratoVolSlide:
        if (prm) ch.volSlide = static_cast<uint8_t>(prm);
        ApplyVibrato(ch, ch.vibDepth);
        break;
    case kTremolo:
        if (x) ch.tremSpeed = static_cast<uint8_t>(x);
        if (y) ch.tremDepth = static_cast<uint8_t>(y);
        break;
    case kSetPanning:
        ch.panning = prm;
        break;
    case kSampleOffset:
        if (prm) ch.offsetParam = static_cast<uint8_t>(prm);
        if (ch.flags & kUpdTrigger) {
            uint32_t offset = ch.offsetParam * 256u;
            const Sample* s = ch.sample;
            if (s && offset >= static_cast<uint32_t>(s->loopStart + s->loopLength)) {
                // Beyond the sample: no new note; the current sound restarts.
                ch.flags &= ~kUpdTrigger;
                Voice& v = p.voices[index][ch.slot];
                v.position = 0;
                v.backwards = false;
            } else {
                ch.sampleOffset = offset;
            }
        }
        break;
    case kVolumeSlide:
        if (prm) ch.volSlide = static_cast<uint8_t>(prm);
        break;
    case kPositionJump:
        Jump(p, prm >= m.songLength ? 0 : prm, 0);
        p.jumpMarked = true;
        p.songJump = true;
        break;
    case kSetVolume:
        ch.volume = prm;
        break;
    case kPatternBreak:
        p.pendingRow = x * 10 + y;
        if (!p.jumpMarked) p.pendingOrder = p.order + 1;
        p.songJump = true;
        break;
    case kExtended:
        ExtendedRow(p, ch, x, y);
        break;
    case kSpeed:
        if (prm < 32) {
            p.speed = prm ? prm : 1;
        } else {
            p.bpm = prm;
            p.samplesPerTick = SamplesPerTick(prm);
        }
        break;
    case kGlobalVolume:
        p.globalVolume = std::min(prm, 64);
        break;
    case kGlobalSlide:
        if (prm) ch.globalSlide = static_cast<uint8_t>(prm);
        break;
    case kEnvelopePosition: {
        const Instrument* ins = InstrumentOf(p, ch);
        if (ins && (ins->volume.flags & kEnvOn))
            EnvelopeJump(ins->volume, ch.volEnv, prm, ch.envVolume);
        break;
    }
    case kPanningSlide:
        if (prm) ch.panSlide = static_cast<uint8_t>(prm);
        break;
    case kMultiRetrig:
        if (x) ch.retrigVolume = static_cast<uint8_t>(x);
        if (y) ch.retrigInterval = static_cast<uint8_t>(y);
        break;
    case kTremor:
        if (prm) {
            ch.tremorOn = static_cast<uint8_t>(x);
            ch.tremorOff = static_cast<uint8_t>(y);
        }
        Tremor(ch);
        break;
    case kExtraFinePorta:
        if (x == 1) {
            if (y) ch.xfinePortaUp = static_cast<uint8_t>(y);
            PeriodDown(ch, ch.xfinePortaUp);
        } else if (x == 2) {
            if (y) ch.xfinePortaDown = static_cast<uint8_t>(y);
            PeriodUp(ch, ch.xfinePortaDown);
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
            ch.periodDelta = -64 * semis;
        else
            ch.periodDelta = NotePeriod(p, ch.realNote + semis, ch.finetune) -
                             NotePeriod(p, ch.realNote, ch.finetune);
        break;
    }
    case kPortaUp:
        PeriodDown(ch, 4 * ch.portaSpeed);
        break;
    case kPortaDown:
        PeriodUp(ch, 4 * ch.portaSpeed);
        break;
    case kTonePorta:
        TonePortamento(ch);
        break;
    case kVibrato:
        ApplyVibrato(ch, ch.vibDepth);
        break;
    case kTonePortaVolSlide:
        TonePortamento(ch);
        VolumeSlide(ch);
        break;
    case kVibratoVolSlide:
        ApplyVibrato(ch, ch.vibDepth);
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
        int gx = ch.globalSlide >> 4, gy = ch.globalSlide & 15;
        p.globalVolume = std::clamp(p.globalVolume + (gx ? gx : -gy), 0, 64);
        break;
    }
    case kPanningSlide: {
        int px = ch.panSlide >> 4, py = ch.panSlide & 15;
        ch.panning = std::clamp(ch.panning + (px ? px : -py), 0, 255);
        break;
    }
    case kMultiRetrig:
        if (ch.retrigInterval && p.tick % ch.retrigInterval == 0) {
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
