#include "tests/host/music/music_test_util.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>

namespace {

void Put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
    for (int i = 0; i < bytes; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

void PutSampleData(std::vector<uint8_t>& v, const TestSample& s) {
    int prev = 0;
    for (int16_t value : s.data) {
        if (s.sixteen_bit) {
            Put(v, static_cast<uint16_t>(value - prev), 2);
            prev = value;
        } else {
            int8_t b = static_cast<int8_t>(value);
            v.push_back(static_cast<uint8_t>(b - prev));
            prev = b;
        }
    }
}

} // namespace

std::vector<uint8_t> EmptyPattern(int rows, int channels) {
    return std::vector<uint8_t>(static_cast<size_t>(rows) * channels * 5, 0);
}

void SetCell(std::vector<uint8_t>& pattern, int channels, int row, int channel, uint8_t note,
             uint8_t instrument, uint8_t volume, uint8_t effect, uint8_t param) {
    uint8_t* c = &pattern[(static_cast<size_t>(row) * channels + channel) * 5];
    c[0] = note;
    c[1] = instrument;
    c[2] = volume;
    c[3] = effect;
    c[4] = param;
}

std::vector<uint8_t> WriteModule(const TestModule& m) {
    const char* id = "Extended Module: Test module in code\x1a";
    std::vector<uint8_t> v(id, id + 38);
    v.resize(58, ' ');
    Put(v, 0x0104, 2);
    Put(v, 276, 4);
    Put(v, static_cast<uint32_t>(m.orders.size()), 2);
    Put(v, m.restart, 2);
    Put(v, m.channels, 2);
    int declared =
        m.declared_patterns >= 0 ? m.declared_patterns : static_cast<int>(m.patterns.size());
    Put(v, declared, 2);
    Put(v, static_cast<uint32_t>(m.instruments.size()), 2);
    Put(v, m.linear ? 1 : 0, 2);
    Put(v, m.tempo, 2);
    Put(v, m.bpm, 2);
    for (int i = 0; i < 256; ++i)
        v.push_back(i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0);
    for (size_t p = 0; p < m.patterns.size() && static_cast<int>(p) < declared; ++p) {
        std::vector<uint8_t> packed;
        const auto& cells = m.patterns[p];
        for (size_t c = 0; c < cells.size(); c += 5) {
            packed.push_back(0x9F);
            packed.insert(packed.end(), cells.begin() + c, cells.begin() + c + 5);
        }
        Put(v, 9, 4);
        v.push_back(0);
        Put(v, static_cast<uint32_t>(cells.size() / 5 / m.channels), 2);
        Put(v, static_cast<uint32_t>(packed.size()), 2);
        v.insert(v.end(), packed.begin(), packed.end());
    }
    for (const TestInstrument& ins : m.instruments) {
        size_t start = v.size();
        bool has_samples = !ins.samples.empty();
        Put(v, has_samples ? 243 : 33, 4);
        v.resize(v.size() + 22, 0);
        v.push_back(0);
        Put(v, static_cast<uint32_t>(ins.samples.size()), 2);
        Put(v, 40, 4);
        if (has_samples) {
            for (int n = 0; n < 96; ++n)
                v.push_back(static_cast<uint8_t>(std::min<size_t>(n % ins.samples.size(), 15)));
            const auto& env = ins.volume_envelope;
            for (int k = 0; k < 12; ++k) {
                Put(v, k < static_cast<int>(env.size()) ? env[k].first : 0, 2);
                Put(v, k < static_cast<int>(env.size()) ? env[k].second : 0, 2);
            }
            v.resize(v.size() + 48, 0); // panning envelope
            v.push_back(static_cast<uint8_t>(env.size()));
            v.push_back(0);
            v.push_back(static_cast<uint8_t>(std::max(ins.volume_sustain, 0)));
            v.push_back(0);
            v.push_back(0);
            v.resize(v.size() + 3, 0);
            v.push_back(
                static_cast<uint8_t>((env.empty() ? 0 : 1) | (ins.volume_sustain >= 0 ? 2 : 0)));
            v.push_back(0);
            v.resize(v.size() + 4, 0); // auto-vibrato
            Put(v, ins.fadeout, 2);
            Put(v, 0, 2);
        }
        (void)start;
        for (const TestSample& s : ins.samples) {
            int unit = s.sixteen_bit ? 2 : 1;
            Put(v, static_cast<uint32_t>(s.data.size() * unit), 4);
            Put(v, s.loop_start * unit, 4);
            Put(v, s.loop_length * unit, 4);
            v.push_back(static_cast<uint8_t>(s.volume));
            v.push_back(static_cast<uint8_t>(s.finetune));
            v.push_back(static_cast<uint8_t>(s.loop | (s.sixteen_bit ? 0x10 : 0)));
            v.push_back(static_cast<uint8_t>(s.panning));
            v.push_back(static_cast<uint8_t>(s.relative_note));
            v.push_back(0);
            v.resize(v.size() + 22, 0);
        }
        for (const TestSample& s : ins.samples)
            PutSampleData(v, s);
    }
    return v;
}

bool LoadPlayer(xm::Player& player, const std::vector<uint8_t>& bytes, bool play_once) {
    xm::MemoryCursor cursor{bytes.data(), bytes.size(), 0};
    xm::Source source = xm::MemorySource(cursor);
    return xm::StartSong(player, source, play_once, false);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

std::vector<std::string> TestModules() {
    std::vector<std::string> paths;
    DIR* dir = opendir(PELLAM_XM_TESTDATA);
    if (!dir) return paths;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".xm") == 0)
            paths.push_back(std::string(PELLAM_XM_TESTDATA) + "/" + name);
    }
    closedir(dir);
    std::sort(paths.begin(), paths.end());
    return paths;
}
