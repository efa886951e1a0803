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
    ch.delay_tick = 0;
    bool effect_porta = cell.effect == kTonePorta || cell.effect == kTonePortaVolSlide;
    bool porta = effect_porta || cell.volume >= 0xF0;
    bool has_note = cell.note >= 1 && cell.note <= kNotes;

    // 1-2: instrument, note and sample
    if (!effect_porta) {
        if (cell.instrument) ch.instrument = cell.instrument;
        if (has_note) {
            ch.note = cell.note;
            const Instrument* ins = InstrumentOf(p, ch);
            ch.sample = nullptr;
            if (ins && ins->sample_map[cell.note - 1] < ins->sample_count)
                ch.sample = &ins->samples[ins->sample_map[cell.note - 1]];
        }
    }

    // 3: state for note delay, tremolo carry-over, fresh deltas
    ch.saved_period = ch.period;
    ch.saved_volume = ch.volume;
    ch.saved_panning = ch.panning;
    if (ch.last_effect == kTremolo && cell.effect != kTremolo) ch.volume += ch.tremolo_last_delta;
    ch.volume_delta = 0;
    ch.period_delta = 0;
    ch.flags = kUpdAll;

    // 4: the note's period
    if (has_note) {
        int relative = ch.sample ? ch.sample->relative_note : 0;
        if (!effect_porta) ch.finetune = ch.sample ? ch.sample->finetune : 0;
        ch.real_note = std::clamp(cell.note - 1 + relative, 0, 118);
        int32_t period = NotePeriod(p, ch.real_note, ch.finetune);
        ch.target_period = period;
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

    VolumeColumnRow(p, ch);                                              // 6
    if (cell.note > kNotes || cell.effect == kKeyOff) ch.key_off = true; // 7
    RunEnvelopes(p, ch);                                                 // 8
    RowEffect(p, ch, index);                                             // 9
    ch.last_effect = cell.effect;
    UpdateVoice(p, index);
}

} // namespace

int SamplesPerTick(int bpm) {
    return bpm > 0 ? 120000 / bpm : 120000;
}

void ResetPlayer(Player& p) {
    const Module& m = p.module;
    p.order = p.row = 0;
    p.pending_order = p.pending_row = 0;
    p.jump_marked = p.song_jump = false;
    p.speed = m.tempo;
    p.bpm = m.bpm;
    p.samples_per_tick = SamplesPerTick(m.bpm);
    p.samples_left = 0;
    p.tick = 0;
    p.extra_ticks = 0;
    p.global_volume = 64;
    p.ended = false;
    p.time_ms = 0;
    for (Channel& ch : p.channels)
        ch = Channel();
    for (auto& pair : p.voices)
        pair[0] = pair[1] = Voice();
    p.visited.assign(256 * 256 / 8, 0);
}

void ResetOnNewInstrument(Channel& ch) {
    ch.env_volume = 64;
    ch.env_panning = 32;
    ch.fadeout = 65536;
    ch.vol_env = EnvelopeState();
    ch.pan_env = EnvelopeState();
    ch.auto_vib_pos = 0;
    ch.auto_vib_sweep = 0;
    ch.key_off = false;
    if (ch.vib_wave < 4) ch.vib_pos = 0;
    if (static_cast<int8_t>(ch.trem_wave << 4 | ch.vib_wave) < 0x4F) ch.trem_pos = 0;
}

int32_t NotePeriod(const Player& p, int note, int finetune) {
    note = std::clamp(note, 0, 118);
    return p.module.linear ? LinearPeriod(note, finetune) : AmigaPeriod(note, finetune);
}

void EnvelopeStep(const Envelope& env, EnvelopeState& st, bool key_off, int& output) {
    if (st.finished) return;
    if (st.tick >= env.x[st.point]) {
        if ((env.flags & kEnvLoop) && st.point == env.loop_end) {
            st.point = env.loop_start;
            st.tick = env.x[st.point];
        }
        output = env.y[st.point];
        if (st.point >= env.points - 1) {
            st.finished = true;
            return;
        }
        if ((env.flags & kEnvSustain) && st.point == env.sustain && !key_off) return;
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
        EnvelopeStep(ins->volume, ch.vol_env, ch.key_off, ch.env_volume);
    else if (ch.key_off)
        ch.env_volume = 0;
    if (ins && (ins->panning.flags & kEnvOn))
        EnvelopeStep(ins->panning, ch.pan_env, ch.key_off, ch.env_panning);
    if (ch.key_off && ins)
        ch.fadeout = std::max<int32_t>(0, ch.fadeout - static_cast<int32_t>(ins->fadeout));
}

void ApplyVibrato(Channel& ch, int depth) {
    ch.period_delta = ((WaveValue(ch.vib_wave, ch.vib_pos) * depth) >> 5) >> 1;
    ch.vib_pos = (ch.vib_pos + ch.vib_speed) & 63;
}

void ApplyTremolo(Channel& ch) {
    ch.volume_delta = (WaveValue(ch.trem_wave, ch.trem_pos) * ch.trem_depth) >> 5;
    ch.tremolo_last_delta = ch.volume_delta;
    ch.trem_pos = (ch.trem_pos + ch.trem_speed) & 63;
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
        ch.volume_delta = 0;
        ch.period_delta = 0;
        ch.flags = kUpdAll;
        RunEnvelopes(p, ch);
        VolumeColumnTick(ch);
        TickEffect(p, ch);
        UpdateVoice(p, i);
    }
}

} // namespace xm
