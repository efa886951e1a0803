// Helpers of the music tests: a tiny XM writer for modules built in code,
// file reading and the list of real test modules.
#pragma once

#include "about/music/xm_player.h"
#include "about/music/xm_render.h"

#include <cstdint>
#include <string>
#include <vector>

struct TestSample {
    std::vector<int16_t> data; // values before delta encoding
    bool sixteen_bit = false;
    int loop = 0; // 0 none, 1 forward, 2 ping-pong
    int loop_start = 0, loop_length = 0;
    int volume = 64;
    int panning = 128;
    int relative_note = 0;
    int finetune = 0;
};

struct TestInstrument {
    std::vector<TestSample> samples;
    std::vector<std::pair<int, int>> volume_envelope; // (x, y) points; empty = off
    int volume_sustain = -1;
    int fadeout = 0;
};

struct TestModule {
    int channels = 2;
    int tempo = 6, bpm = 125;
    bool linear = true;
    int restart = 0;
    std::vector<uint8_t> orders{0};
    int declared_patterns = -1;                 // -1: patterns.size()
    std::vector<std::vector<uint8_t>> patterns; // unpacked cells, 5 bytes each
    std::vector<int> pattern_rows;              // rows of each pattern
    std::vector<TestInstrument> instruments;
};

// An empty pattern of `rows` rows for `channels` channels.
std::vector<uint8_t> EmptyPattern(int rows, int channels);
// Sets cell (row, channel) of a pattern made by EmptyPattern.
void SetCell(std::vector<uint8_t>& pattern, int channels, int row, int channel, uint8_t note,
             uint8_t instrument, uint8_t volume, uint8_t effect, uint8_t param);
// The XM file bytes of `m`.
std::vector<uint8_t> WriteModule(const TestModule& m);

bool LoadPlayer(xm::Player& player, const std::vector<uint8_t>& bytes, bool play_once);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// Paths of the real modules beside the repository (empty when absent).
std::vector<std::string> TestModules();
