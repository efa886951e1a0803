// Records of the XM player: the loaded module (samples, instruments,
// patterns), the per-channel sequencer state, the two voice slots of each
// channel and the song state that the block renderer advances.
#pragma once

#include <cstdint>
#include <vector>

namespace xm {

constexpr int kMaxChannels = 64;
constexpr int kMaxSamplesPerInstrument = 16;
constexpr int kGuardSamples = 13; // room after the data: 26 bytes
constexpr int kOutputRate = 48000;
constexpr int kBlockFrames = 1024;
constexpr int kRampFrames = 128;
constexpr int kMaxVoiceVolume = 127;    // voice slot volumes are 0..127
constexpr int32_t kUnityVolume = 32768; // master volume that leaves the mix as it is
constexpr int kModuleNameLength = 20;
constexpr int kMaxOrders = 256;
constexpr int kNotes = 96;          // notes 1..96; 97 and above are key-off
constexpr int kEnvelopePoints = 12; // at most, per envelope

enum LoopType : uint8_t { kLoopNone = 0, kLoopForward = 1, kLoopPingPong = 2 };

struct Sample {
    int32_t length = 0;     // in sample frames
    int32_t loop_start = 0; // normalised: without a loop 0 and length
    int32_t loop_length = 0;
    uint8_t volume = 0;
    int8_t finetune = 0;
    uint8_t type = 0; // the header's type byte
    uint8_t loop = kLoopNone;
    uint8_t panning = 128;
    int8_t relative_note = 0;
    bool sixteen_bit = false;
    bool adpcm = false;
    std::vector<int16_t> pcm; // length + kGuardSamples values
};

enum EnvelopeFlags : uint8_t { kEnvOn = 1, kEnvSustain = 2, kEnvLoop = 4 };

struct Envelope {
    uint16_t x[kEnvelopePoints] = {};
    uint8_t y[kEnvelopePoints] = {};
    uint8_t points = 0;
    uint8_t sustain = 0;
    uint8_t loop_start = 0;
    uint8_t loop_end = 0;
    uint8_t flags = 0;
};

struct Instrument {
    int sample_count = 0;
    uint8_t sample_map[kNotes] = {};
    Envelope volume, panning;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    uint32_t fadeout = 0; // already doubled
    std::vector<Sample> samples;
};

struct Cell {
    uint8_t note, instrument, volume, effect, param;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells; // rows * channels, empty = pattern without cells
};

struct Module {
    char name[kModuleNameLength + 1] = {};
    int song_length = 0;
    int restart = 0;
    int channels = 0;
    int declared_patterns = 0;
    bool linear = false;
    int tempo = 6;
    int bpm = 125;
    uint8_t orders[kMaxOrders] = {};
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments; // instrument n is instruments[n - 1]
};

struct EnvelopeState {
    int point = 0;
    int tick = 0;
    int32_t value = 0; // 16.16
    int32_t slope = 0;
    bool finished = false;
};

// One of the two playback slots of a channel.
struct Voice {
    const Sample* sample = nullptr;
    uint64_t position = 0; // 32.32 in sample frames
    uint64_t step = 0;
    bool backwards = false;
    int target_left = 0, target_right = 0; // 0..127
    int used_left = 0, used_right = 0;     // targets of the last ramp
    int32_t left = 0, right = 0;           // current volumes x 128
    int32_t inc_left = 0, inc_right = 0;
    int ramp = 0; // frames left in the ramp
    int panning = 128;
};

enum UpdateFlags : uint8_t { kUpdFrequency = 1, kUpdVolume = 2, kUpdPanning = 4, kUpdTrigger = 8 };

struct Channel {
    int instrument = 0; // 1-based, 0 = none
    int note = 0;
    int real_note = 0; // note - 1 + relative note of the last note
    const Sample* sample = nullptr;
    int finetune = 0;
    int32_t period = 0, target_period = 0;
    int volume = 0;
    int panning = 128;
    int volume_delta = 0, period_delta = 0;
    uint8_t flags = 0;
    bool key_off = false;
    EnvelopeState vol_env, pan_env;
    int env_volume = 64, env_panning = 32;
    int32_t fadeout = 65536;
    int auto_vib_pos = 0, auto_vib_sweep = 0;
    // effect memories
    uint8_t porta_speed = 0, tone_porta_speed = 0, vol_slide = 0, pan_slide = 0;
    uint8_t fine_porta_up = 0, fine_porta_down = 0, xfine_porta_up = 0, xfine_porta_down = 0;
    int fine_vol_slide = 0;
    uint8_t offset_param = 0;
    uint8_t retrig_interval = 0, retrig_volume = 0;
    uint8_t tremor_on = 0, tremor_off = 0;
    int tremor_pos = 0;
    uint8_t vib_speed = 0, vib_depth = 0, vib_pos = 0;
    uint8_t trem_speed = 0, trem_depth = 0, trem_pos = 0;
    uint8_t vib_wave = 0, trem_wave = 0;
    uint8_t global_slide = 0;
    int tremolo_last_delta = 0;
    uint8_t last_effect = 0;
    int loop_row = 0, loop_count = 0;
    int32_t saved_period = 0;
    int saved_volume = 0, saved_panning = 128;
    uint32_t sample_offset = 0; // in frames, applied by the next trigger
    uint8_t delay_tick = 0;     // ED: tick of the delayed trigger, 0 = none
    Cell cell{};                // the cell of the current row
    int slot = 0;               // the voice slot the channel drives
};

// Everything belonging to one song. The renderer and the sequencer own it
// on the mixing thread.
struct Player {
    Module module;
    int order = 0, row = 0;
    int pending_order = 0, pending_row = 0;
    bool jump_marked = false; // a B effect has set the pending position this row
    bool song_jump = false;   // the pending position comes from B or D
    int speed = 6, bpm = 125;
    int tick = 0;
    int extra_ticks = 0;
    int samples_per_tick = 960;
    int samples_left = 0;
    int global_volume = 64;
    bool play_once = false;
    bool ended = false;
    bool paused = false;
    int32_t master_volume = kUnityVolume;
    uint32_t time_ms = 0;
    Channel channels[kMaxChannels];
    Voice voices[kMaxChannels][2];
    std::vector<uint8_t> visited; // one bit per order x row, for the song end
    // Called after every processed tick (timeline dumps, tests).
    void (*on_tick)(void* context, const Player& player) = nullptr;
    void* on_tick_context = nullptr;
};

} // namespace xm
