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
constexpr int kMaxVoiceVolume = 127; // voice slot volumes are 0..127

enum LoopType : uint8_t { kLoopNone = 0, kLoopForward = 1, kLoopPingPong = 2 };

struct Sample {
    int32_t length = 0;    // in sample frames
    int32_t loopStart = 0; // normalised: without a loop 0 and length
    int32_t loopLength = 0;
    uint8_t volume = 0;
    int8_t finetune = 0;
    uint8_t type = 0; // the header's type byte
    uint8_t loop = kLoopNone;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
    bool sixteenBit = false;
    bool adpcm = false;
    std::vector<int16_t> pcm; // length + kGuardSamples values
};

enum EnvelopeFlags : uint8_t { kEnvOn = 1, kEnvSustain = 2, kEnvLoop = 4 };

struct Envelope {
    uint16_t x[12] = {};
    uint8_t y[12] = {};
    uint8_t points = 0;
    uint8_t sustain = 0;
    uint8_t loopStart = 0;
    uint8_t loopEnd = 0;
    uint8_t flags = 0;
};

struct Instrument {
    int sampleCount = 0;
    uint8_t sampleMap[96] = {};
    Envelope volume, panning;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
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
    char name[21] = {};
    int songLength = 0;
    int restart = 0;
    int channels = 0;
    int declaredPatterns = 0;
    bool linear = false;
    int tempo = 6;
    int bpm = 125;
    uint8_t orders[256] = {};
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
    int targetLeft = 0, targetRight = 0; // 0..127
    int usedLeft = 0, usedRight = 0;     // targets of the last ramp
    int32_t left = 0, right = 0;         // current volumes x 128
    int32_t incLeft = 0, incRight = 0;
    int ramp = 0; // frames left in the ramp
    int panning = 128;
};

enum UpdateFlags : uint8_t { kUpdFrequency = 1, kUpdVolume = 2, kUpdPanning = 4, kUpdTrigger = 8 };

struct Channel {
    int instrument = 0; // 1-based, 0 = none
    int note = 0;
    int realNote = 0; // note - 1 + relative note of the last note
    const Sample* sample = nullptr;
    int finetune = 0;
    int32_t period = 0, targetPeriod = 0;
    int volume = 0;
    int panning = 128;
    int volumeDelta = 0, periodDelta = 0;
    uint8_t flags = 0;
    bool keyOff = false;
    EnvelopeState volEnv, panEnv;
    int envVolume = 64, envPanning = 32;
    int32_t fadeout = 65536;
    int autoVibPos = 0, autoVibSweep = 0;
    // effect memories
    uint8_t portaSpeed = 0, tonePortaSpeed = 0, volSlide = 0, panSlide = 0;
    uint8_t finePortaUp = 0, finePortaDown = 0, xfinePortaUp = 0, xfinePortaDown = 0;
    int fineVolSlide = 0;
    uint8_t offsetParam = 0;
    uint8_t retrigInterval = 0, retrigVolume = 0;
    uint8_t tremorOn = 0, tremorOff = 0;
    int tremorPos = 0;
    uint8_t vibSpeed = 0, vibDepth = 0, vibPos = 0;
    uint8_t tremSpeed = 0, tremDepth = 0, tremPos = 0;
    uint8_t vibWave = 0, tremWave = 0;
    uint8_t globalSlide = 0;
    int tremoloLastDelta = 0;
    uint8_t lastEffect = 0;
    int loopRow = 0, loopCount = 0;
    int32_t savedPeriod = 0;
    int savedVolume = 0, savedPanning = 128;
    uint32_t sampleOffset = 0; // in frames, applied by the next trigger
    uint8_t delayTick = 0;     // ED: tick of the delayed trigger, 0 = none
    Cell cell{};               // the cell of the current row
    int slot = 0;              // the voice slot the channel drives
};

// Everything belonging to one song. The renderer and the sequencer own it
// on the mixing thread.
struct Player {
    Module module;
    int order = 0, row = 0;
    int pendingOrder = 0, pendingRow = 0;
    bool jumpMarked = false; // a B effect has set the pending position this row
    bool songJump = false;   // the pending position comes from B or D
    int speed = 6, bpm = 125;
    int tick = 0;
    int extraTicks = 0;
    int samplesPerTick = 960;
    int samplesLeft = 0;
    int globalVolume = 64;
    bool playOnce = false;
    bool ended = false;
    bool paused = false;
    int32_t masterVolume = 32768;
    uint32_t timeMs = 0;
    Channel channels[kMaxChannels];
    Voice voices[kMaxChannels][2];
    std::vector<uint8_t> visited; // one bit per order x row, for the song end
    // Called after every processed tick (timeline dumps, tests).
    void (*onTick)(void* context, const Player& player) = nullptr;
    void* onTickContext = nullptr;
};

} // namespace xm
