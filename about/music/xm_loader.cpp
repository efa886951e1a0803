#include "about/music/xm_loader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace xm {
namespace {

constexpr int32_t kMaxSampleFrames = 1 << 22;
constexpr int kMaxRows = 256;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 255;
constexpr int kEmptyPatternRows = 64;  // a pattern without cells or data
constexpr uint8_t kAdpcmMarker = 0xAD; // in the sample header's reserved byte
constexpr int kAdpcmTableBytes = 16;

// Where the fields of the records of an XM file lie, in bytes from the
// record's start.
enum ModuleHeader {
    kModuleName = 17,
    kModuleHeaderSize = 60, // counted from this field
    kModuleSongLength = 64,
    kModuleRestart = 66,
    kModuleChannels = 68,
    kModulePatterns = 70,
    kModuleInstruments = 72,
    kModuleFlags = 74,
    kModuleTempo = 76,
    kModuleBpm = 78,
    kModuleOrders = 80,
    kModuleHeaderBytes = 336,
};
enum PatternHeader {
    kPatternHeaderLength = 0,
    kPatternRows = 5,
    kPatternPackedSize = 7,
    kPatternHeaderBytes = 9,
    kPatternHeaderLimit = 64, // a longer header length is not believed
};
enum InstrumentHeader {
    kInstrumentHeaderSize = 0,
    kInstrumentSampleCount = 27,
    kInstrumentShortBytes = 29, // where an instrument without samples may end
    kInstrumentSampleHeaderSize = 29,
    kInstrumentHeadBytes = 33,
    // The rest, present when the instrument has samples.
    kInstrumentSampleMap = 0,
    kInstrumentVolumePoints = 96,
    kInstrumentPanningPoints = 144,
    kInstrumentVolumeCount = 192,
    kInstrumentPanningCount = 193,
    kInstrumentVolumeSustain = 194,
    kInstrumentVolumeLoopStart = 195,
    kInstrumentVolumeLoopEnd = 196,
    kInstrumentPanningSustain = 197,
    kInstrumentPanningLoopStart = 198,
    kInstrumentPanningLoopEnd = 199,
    kInstrumentVolumeFlags = 200,
    kInstrumentPanningFlags = 201,
    kInstrumentVibratoType = 202,
    kInstrumentVibratoSweep = 203,
    kInstrumentVibratoDepth = 204,
    kInstrumentVibratoRate = 205,
    kInstrumentFadeout = 206,
    kInstrumentRestBytes = 208,
};
enum SampleHeader {
    kSampleLength = 0,
    kSampleLoopStart = 4,
    kSampleLoopLength = 8,
    kSampleVolume = 12,
    kSampleFinetune = 13,
    kSampleType = 14,
    kSamplePanning = 15,
    kSampleRelativeNote = 16,
    kSampleReserved = 17,
    kSampleHeaderBytes = 40,
};
constexpr uint8_t kSampleSixteenBit = 0x10; // in the type byte
constexpr uint8_t kSampleLoopBits = 3;      // in the type byte
constexpr uint16_t kLinearFrequencies = 1;  // in the module's flags
constexpr int kEnvelopePointBytes = 4;      // x and y, 16 bits each
constexpr uint8_t kEnvelopeFlagBits = kEnvOn | kEnvSustain | kEnvLoop;
constexpr uint16_t kEnvelopeMaxValue = 64;

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool ReadExact(Source& s, void* dest, size_t count) {
    return s.read(s.context, dest, count) == count;
}

int64_t Remaining(Source& s) {
    return s.length - s.tell(s.context);
}

bool UnpackPattern(const uint8_t* data, size_t size, int rows, int channels, int instruments,
                   Pattern& p) {
    p.rows = rows;
    p.cells.assign(static_cast<size_t>(rows) * channels, Cell{0, 0, 0, 0, 0});
    size_t pos = 0;
    for (Cell& c : p.cells) {
        if (pos >= size) break; // short data: the rest stays empty
        uint8_t first = data[pos++];
        uint8_t mask = (first & 0x80) ? first : 0x1F;
        uint8_t fields[5] = {};
        int start = 0;
        if (!(first & 0x80)) {
            fields[0] = first;
            start = 1;
        }
        for (int f = start; f < 5; ++f) {
            if (!(mask & (1 << f))) continue;
            if (pos >= size) break;
            fields[f] = data[pos++];
        }
        c = Cell{fields[0], fields[1], fields[2], fields[3], fields[4]};
        if (c.instrument > instruments) c.instrument = 0;
    }
    return true;
}

bool LoadPatterns(Source& s, Module& m) {
    std::vector<uint8_t> packed;
    for (int i = 0; i < m.declared_patterns; ++i) {
        uint8_t h[kPatternHeaderBytes];
        int64_t start = s.tell(s.context);
        if (!ReadExact(s, h, sizeof h)) return false;
        uint32_t header_length = U32(h + kPatternHeaderLength);
        int rows = U16(h + kPatternRows);
        uint16_t packed_size = U16(h + kPatternPackedSize);
        if (header_length > kPatternHeaderBytes && header_length < kPatternHeaderLimit)
            s.seek(s.context, start + header_length, false);
        Pattern& p = m.patterns[i];
        if (packed_size == 0) {
            p.rows = (rows >= 1 && rows <= kMaxRows) ? rows : kEmptyPatternRows;
            continue;
        }
        if (rows < 1 || rows > kMaxRows) return false;
        packed.resize(packed_size);
        if (!ReadExact(s, packed.data(), packed_size)) return false;
        UnpackPattern(packed.data(), packed_size, rows, m.channels,
                      static_cast<int>(m.instruments.size()), p);
    }
    return true;
}

void ReadEnvelope(const uint8_t* points, uint8_t count, uint8_t sustain, uint8_t loop_start,
                  uint8_t loop_end, uint8_t flags, Envelope& e) {
    e.points = std::min<uint8_t>(count, kEnvelopePoints);
    for (int k = 0; k < kEnvelopePoints; ++k) {
        const uint8_t* point = points + kEnvelopePointBytes * k;
        e.x[k] = U16(point);
        e.y[k] = static_cast<uint8_t>(std::min<uint16_t>(U16(point + 2), kEnvelopeMaxValue));
    }
    e.sustain = sustain;
    e.loop_start = loop_start;
    e.loop_end = loop_end;
    e.flags = flags & kEnvelopeFlagBits;
    // Fewer than two points: no envelope. Points out of range switch off
    // the sustain or loop that names them.
    if (e.points < 2) e.flags = 0;
    if (e.sustain >= e.points) e.flags &= ~kEnvSustain;
    if (e.loop_start >= e.points || e.loop_end >= e.points || e.loop_start > e.loop_end)
        e.flags &= ~kEnvLoop;
}

void ReadSampleHeader(const uint8_t* h, Sample& smp, uint32_t& byte_length) {
    byte_length = U32(h + kSampleLength);
    uint32_t loop_start = U32(h + kSampleLoopStart), loop_length = U32(h + kSampleLoopLength);
    smp.volume = h[kSampleVolume];
    smp.finetune = static_cast<int8_t>(h[kSampleFinetune]);
    smp.type = h[kSampleType];
    smp.panning = h[kSamplePanning];
    smp.relative_note = static_cast<int8_t>(h[kSampleRelativeNote]);
    smp.adpcm = h[kSampleReserved] == kAdpcmMarker;
    smp.sixteen_bit = (smp.type & kSampleSixteenBit) != 0;
    uint32_t length = byte_length;
    if (smp.sixteen_bit) {
        length /= 2;
        loop_start /= 2;
        loop_length /= 2;
    }
    // Values at or above the limit fail the load later; clamp here so that
    // the arithmetic below stays in range.
    length = std::min<uint32_t>(length, kMaxSampleFrames);
    loop_start = std::min(loop_start, length);
    loop_length = std::min(loop_length, length - loop_start);
    smp.length = static_cast<int32_t>(length);
    smp.loop = smp.type & kSampleLoopBits;
    if (smp.loop == kSampleLoopBits) smp.loop = kLoopPingPong; // both bits: ping-pong
    if (smp.loop == kLoopNone || loop_length == 0) {
        smp.loop = kLoopNone;
        loop_start = 0;
        loop_length = length;
    }
    smp.loop_start = static_cast<int32_t>(loop_start);
    smp.loop_length = static_cast<int32_t>(loop_length);
}

bool LoadSampleData(Source& s, Sample& smp, uint32_t byte_length) {
    if (byte_length / (smp.sixteen_bit ? 2 : 1) >= static_cast<uint32_t>(kMaxSampleFrames))
        return false;
    int n = smp.length;
    int64_t stored = smp.adpcm ? kAdpcmTableBytes + (static_cast<int64_t>(n) + 1) / 2 : byte_length;
    if (stored > Remaining(s)) return false; // truncated: check before allocating
    smp.pcm.assign(static_cast<size_t>(n) + kGuardSamples, 0);
    std::vector<uint8_t> raw(static_cast<size_t>(stored));
    if (stored && !ReadExact(s, raw.data(), raw.size())) return false;
    if (smp.adpcm)
        DecodeAdpcm(raw.data(), raw.data() + kAdpcmTableBytes, n, smp.pcm.data());
    else if (smp.sixteen_bit)
        DecodeDelta16(raw.data(), n, smp.pcm.data());
    else
        DecodeDelta8(raw.data(), n, smp.pcm.data());
    int32_t end = smp.loop_start + smp.loop_length;
    if (smp.loop == kLoopForward) smp.pcm[end] = smp.pcm[smp.loop_start];
    if (smp.loop == kLoopPingPong) smp.pcm[end] = smp.pcm[end - 1];
    return true;
}

bool LoadInstrument(Source& s, Module& m, Instrument& ins) {
    int64_t start = s.tell(s.context);
    // Instruments without samples may end after the sample count; the
    // sample header size is read only when the header holds it.
    uint8_t head[kInstrumentHeadBytes] = {};
    if (!ReadExact(s, head, kInstrumentShortBytes)) return false;
    uint32_t header_size = U32(head + kInstrumentHeaderSize);
    if (header_size >= kInstrumentHeadBytes &&
        !ReadExact(s, head + kInstrumentShortBytes, kInstrumentHeadBytes - kInstrumentShortBytes))
        return false;
    int count = U16(head + kInstrumentSampleCount);
    uint32_t sample_header_size = header_size >= kInstrumentHeadBytes
                                      ? U32(head + kInstrumentSampleHeaderSize)
                                      : uint32_t{kSampleHeaderBytes};
    if (count > kMaxSamplesPerInstrument) return false;
    if (count > 0 && sample_header_size > kSampleHeaderBytes) return false;
    if (count > 0) {
        uint8_t rest[kInstrumentRestBytes];
        if (!ReadExact(s, rest, sizeof rest)) return false;
        std::memcpy(ins.sample_map, rest + kInstrumentSampleMap, sizeof ins.sample_map);
        ReadEnvelope(rest + kInstrumentVolumePoints, rest[kInstrumentVolumeCount],
                     rest[kInstrumentVolumeSustain], rest[kInstrumentVolumeLoopStart],
                     rest[kInstrumentVolumeLoopEnd], rest[kInstrumentVolumeFlags], ins.volume);
        ReadEnvelope(rest + kInstrumentPanningPoints, rest[kInstrumentPanningCount],
                     rest[kInstrumentPanningSustain], rest[kInstrumentPanningLoopStart],
                     rest[kInstrumentPanningLoopEnd], rest[kInstrumentPanningFlags], ins.panning);
        ins.vibrato_type = rest[kInstrumentVibratoType];
        ins.vibrato_sweep = rest[kInstrumentVibratoSweep];
        ins.vibrato_depth = rest[kInstrumentVibratoDepth];
        ins.vibrato_rate = rest[kInstrumentVibratoRate];
        ins.fadeout = static_cast<uint32_t>(U16(rest + kInstrumentFadeout)) * 2; // kept doubled
    }
    s.seek(s.context, start + static_cast<int64_t>(header_size) - s.tell(s.context), true);
    ins.sample_count = count;
    ins.samples.resize(count);
    std::vector<uint32_t> bytes(count);
    for (int k = 0; k < count; ++k) {
        uint8_t h[kSampleHeaderBytes];
        if (!ReadExact(s, h, sizeof h)) return false;
        ReadSampleHeader(h, ins.samples[k], bytes[k]);
    }
    for (int k = 0; k < count; ++k)
        if (!LoadSampleData(s, ins.samples[k], bytes[k])) return false;
    (void)m;
    return true;
}

bool LoadAll(Source& s, Module& m) {
    uint8_t h[kModuleHeaderBytes];
    if (!ReadExact(s, h, sizeof h)) return false;
    uint32_t header_size = U32(h + kModuleHeaderSize);
    m.song_length = U16(h + kModuleSongLength);
    m.restart = U16(h + kModuleRestart);
    m.channels = U16(h + kModuleChannels);
    m.declared_patterns = U16(h + kModulePatterns);
    int instruments = U16(h + kModuleInstruments);
    m.linear = (U16(h + kModuleFlags) & kLinearFrequencies) != 0;
    m.tempo = U16(h + kModuleTempo);
    m.bpm = U16(h + kModuleBpm);
    std::memcpy(m.orders, h + kModuleOrders, sizeof m.orders);
    std::memcpy(m.name, h + kModuleName, kModuleNameLength);
    m.name[kModuleNameLength] = 0;
    if (m.declared_patterns == 0 || m.song_length < 1 || m.song_length > kMaxOrders) return false;
    if (m.channels < 1 || m.channels > kMaxChannels) return false;
    // Pattern numbers and instrument numbers in cells are bytes.
    if (m.declared_patterns > kMaxPatterns || instruments > kMaxInstruments) return false;
    s.seek(s.context, kModuleHeaderSize + static_cast<int64_t>(header_size), false);

    int kept = m.declared_patterns;
    for (int i = 0; i < m.song_length; ++i)
        kept = std::max(kept, m.orders[i] + 1);
    m.patterns.resize(kept); // extra patterns: 64 empty rows without cells
    m.instruments.resize(instruments);
    if (!LoadPatterns(s, m)) return false;
    for (Instrument& ins : m.instruments)
        if (!LoadInstrument(s, m, ins)) return false;
    return true;
}

} // namespace

void DecodeDelta8(const uint8_t* in, int count, int16_t* out) {
    uint8_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = static_cast<uint8_t>(value + in[i]);
        out[i] = static_cast<int16_t>(static_cast<int8_t>(value) * 256);
    }
}

void DecodeDelta16(const uint8_t* in, int count, int16_t* out) {
    uint16_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = static_cast<uint16_t>(value + U16(in + 2 * i));
        out[i] = static_cast<int16_t>(value);
    }
}

void DecodeAdpcm(const uint8_t* table, const uint8_t* in, int count, int16_t* out) {
    uint8_t value = 0;
    for (int i = 0; i < count; ++i) {
        uint8_t nibble = (i & 1) ? in[i / 2] >> 4 : in[i / 2] & 0x0F;
        value = static_cast<uint8_t>(value + table[nibble]);
        out[i] = static_cast<int16_t>(static_cast<int8_t>(value) * 256);
    }
}

bool LoadModule(Source& source, Module& module) {
    module = Module();
    try {
        return LoadAll(source, module);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace xm
