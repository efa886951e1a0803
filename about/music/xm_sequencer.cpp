#include "about/music/xm_sequencer.h"

#include "about/music/xm_tables.h"

#include <algorithm>

namespace xm {
namespace {

const Instrument* InstrumentOf(const Player& p, const Channel& ch) {
    if (ch.instrument < 1 || ch.instrument > static_cast<int>(p.module.instruments.size()))
        return nullptr;
    return &p.module.instruments[ch.instrument - 1];
}

// The cells of the current row, or null for a pattern without cells.
const Cell* RowCells(const Player& p) {
    const Pattern& pat = p.module.patterns[p.module.orders[p.order]];
    if (pat.cells.empty() || p.row >= pat.rows) return nullptr;
    return &pat.cells[static_cast<size_t>(p.row) * p.module.channels];
}

constexpr uint8_t kUpdAll = kUpdFrequency | kUpdVolume | kUpdPanning;

void RowChannel(Player& p, Channel& ch, int index, const Cell& cell) {
    ch.cell = cell;
    ch.delayTick = 0;
    bool effectPorta = cell.effect == 3 || cell.effect == 5;
    bool porta = effectPorta || cell.volume >= 0xF0;
    bool hasNote = cell.note >= 1 && cell.note <= 96;

    // 1-2: instrument, note and sample
    if (!effectPorta) {
        if (cell.instrument) ch.instrument = cell.instrument;
        if (hasNote) {
            ch.note = cell.note;
            const Instrument* ins = InstrumentOf(p, ch);
            ch.sample = nullptr;
            if (ins && ins->sampleMap[cell.note - 1] < ins->sampleCount)
                ch.sample = &ins->samples[ins->sampleMap[cell.note - 1]];
        }
    }

    // 3: state for note delay, tremolo carry-over, fresh deltas
    ch.savedPeriod = ch.period;
    ch.savedVolume = ch.volume;
    ch.savedPanning = ch.panning;
    if (ch.lastEffect == 7 && cell.effect != 7) ch.volume += ch.tremoloLastDelta;
    ch.volumeDelta = 0;
    ch.periodDelta = 0;
    ch.flags = kUpdAll;

    // 4: the note's period
    if (hasNote) {
        int relative = ch.sample ? ch.sample->relativeNote : 0;
        if (!effectPorta) ch.finetune = ch.sample ? ch.sample->finetune : 0;
        ch.realNote = std::clamp(cell.note - 1 + relative, 0, 118);
        int32_t period = NotePeriod(p, ch.realNote, ch.finetune);
        ch.targetPeriod = period;
        if (!porta) {
            ch.period = period;
            ch.flags |= kUpdTrigger;
        }
    }

    // 5: a new instrument resets the channel's note state
    if (cell.instrument) {
        if (ch.sample) {
            ch.volume = ch.sample->volume;
            ch.panning = ch.sample->panning;
        }
        ResetOnNewInstrument(ch);
    }

    VolumeColumnRow(p, ch);                                     // 6
    if (cell.note >= 97 || cell.effect == 20) ch.keyOff = true; // 7
    RunEnvelopes(p, ch);                                        // 8
    RowEffect(p, ch, index);                                    // 9
    ch.lastEffect = cell.effect;
    UpdateVoice(p, index);
}

} // namespace

int SamplesPerTick(int bpm) {
    return bpm > 0 ? 120000 / bpm : 120000;
}

void ResetPlayer(Player& p) {
    const Module& m = p.module;
    p.order = p.row = 0;
    p.pendingOrder = p.pendingRow = 0;
    p.jumpMarked = p.songJump = false;
    p.speed = m.tempo;
    p.bpm = m.bpm;
    p.samplesPerTick = SamplesPerTick(m.bpm);
    p.samplesLeft = 0;
    p.tick = 0;
    p.extraTicks = 0;
    p.globalVolume = 64;
    p.ended = false;
    p.timeMs = 0;
    for (Channel& ch : p.channels)
        ch = Channel();
    for (auto& pair : p.voices)
        pair[0] = pair[1] = Voice();
    p.visited.assign(256 * 256 / 8, 0);
}

void ResetOnNewInstrument(Channel& ch) {
    ch.envVolume = 64;
    ch.envPanning = 32;
    ch.fadeout = 65536;
    ch.volEnv = EnvelopeState();
    ch.panEnv = EnvelopeState();
    ch.autoVibPos = 0;
    ch.autoVibSweep = 0;
    ch.keyOff = false;
    if (ch.vibWave < 4) ch.vibPos = 0;
    if (static_cast<int8_t>(ch.tremWave << 4 | ch.vibWave) < 0x4F) ch.tremPos = 0;
}

int32_t NotePeriod(const Player& p, int note, int finetune) {
    note = std::clamp(note, 0, 118);
    return p.module.linear ? LinearPeriod(note, finetune) : AmigaPeriod(note, finetune);
}

void EnvelopeStep(const Envelope& env, EnvelopeState& st, bool keyOff, int& output) {
    if (st.finished) return;
    if (st.tick >= env.x[st.point]) {
        if ((env.flags & kEnvLoop) && st.point == env.loopEnd) {
            st.point = env.loopStart;
            st.tick = env.x[st.point];
        }
        output = env.y[st.point];
        if (st.point >= env.points - 1) {
            st.finished = true;
            return;
        }
        if ((env.flags & kEnvSustain) && st.point == env.sustain && !keyOff) return;
        int next = st.point + 1;
        int dx = env.x[next] - env.x[st.point];
        st.value = env.y[st.point] * 65536;
        st.slope = dx > 0 ? (env.y[next] - env.y[st.point]) * 65536 / dx : 0;
        st.point = next;
    } else {
        st.value += st.slope;
    }
    st.tick++;
    output = std::clamp(st.value >> 16, 0, 64);
}

void EnvelopeJump(const Envelope& env, EnvelopeState& st, int tick, int& output) {
    int last = env.points - 1;
    st.finished = false;
    if (tick >= env.x[last]) { // past the end: the last point's value, finished next step
        st.point = last;
        st.tick = env.x[last];
        output = env.y[last];
        return;
    }
    int i = 0;
    while (i < last - 1 && tick >= env.x[i + 1])
        ++i;
    int dx = env.x[i + 1] - env.x[i];
    st.slope = dx > 0 ? (env.y[i + 1] - env.y[i]) * 65536 / dx : 0;
    st.value = env.y[i] * 65536 + st.slope * std::max(0, tick - env.x[i]);
    st.point = i + 1;
    st.tick = tick;
    output = std::clamp(st.value >> 16, 0, 64);
}

void RunEnvelopes(Player& p, Channel& ch) {
    const Instrument* ins = InstrumentOf(p, ch);
    if (ins && (ins->volume.flags & kEnvOn))
        EnvelopeStep(ins->volume, ch.volEnv, ch.keyOff, ch.envVolume);
    else if (ch.keyOff)
        ch.envVolume = 0;
    if (ins && (ins->panning.flags & kEnvOn))
        EnvelopeStep(ins->panning, ch.panEnv, ch.keyOff, ch.envPanning);
    if (ch.keyOff && ins)
        ch.fadeout = std::max<int32_t>(0, ch.fadeout - static_cast<int32_t>(ins->fadeout));
}

void ApplyVibrato(Channel& ch, int depth) {
    ch.periodDelta = ((WaveValue(ch.vibWave, ch.vibPos) * depth) >> 5) >> 1;
    ch.vibPos = (ch.vibPos + ch.vibSpeed) & 63;
}

void ApplyTremolo(Channel& ch) {
    ch.volumeDelta = (WaveValue(ch.tremWave, ch.tremPos) * ch.tremDepth) >> 5;
    ch.tremoloLastDelta = ch.volumeDelta;
    ch.tremPos = (ch.tremPos + ch.tremSpeed) & 63;
}

void ProcessRow(Player& p) {
    const Cell* cells = RowCells(p);
    if (!cells) return;
    for (int i = 0; i < p.module.channels; ++i)
        RowChannel(p, p.channels[i], i, cells[i]);
}

void ProcessTick(Player& p) {
    if (!RowCells(p)) return;
    for (int i = 0; i < p.module.channels; ++i) {
        Channel& ch = p.channels[i];
        ch.volumeDelta = 0;
        ch.periodDelta = 0;
        ch.flags = kUpdAll;
        RunEnvelopes(p, ch);
        VolumeColumnTick(ch);
        TickEffect(p, ch);
        UpdateVoice(p, i);
    }
}

} // namespace xm
