// xmrender MODULE [--wav FILE] [--timeline] [--ticks N]
// Renders an XM module once from start to end (as play-once does) to a
// 48 kHz stereo 16-bit WAV file, and with --timeline prints one line per
// tick: order row tick speed bpm.
#include "about/music/xm_player.h"
#include "about/music/xm_render.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Timeline {
    long long limit = -1; // -1 = every tick
    long long printed = 0;
};

void PrintTick(void* context, const xm::Player& p) {
    auto* t = static_cast<Timeline*>(context);
    if (t->limit >= 0 && t->printed >= t->limit) return;
    // p.tick is the tick just processed: the renderer advances it afterwards.
    std::printf("%d %d %d %d %d\n", p.order, p.row, p.tick, p.speed, p.bpm);
    t->printed++;
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

std::vector<uint8_t> WavHeader(uint32_t data_bytes) {
    std::vector<uint8_t> h;
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    Put32(h, 36 + data_bytes);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, 2);
    Put32(h, xm::kOutputRate);
    Put32(h, xm::kOutputRate * 4);
    Put16(h, 4);
    Put16(h, 16);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    Put32(h, data_bytes);
    return h;
}

int Usage() {
    std::fprintf(stderr, "usage: xmrender MODULE [--wav FILE] [--timeline] [--ticks N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const char* module_path = nullptr;
    const char* wav_path = nullptr;
    bool timeline = false;
    Timeline t;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--wav") && i + 1 < argc)
            wav_path = argv[++i];
        else if (!std::strcmp(argv[i], "--timeline"))
            timeline = true;
        else if (!std::strcmp(argv[i], "--ticks") && i + 1 < argc)
            t.limit = std::atoll(argv[++i]);
        else if (argv[i][0] != '-' && !module_path)
            module_path = argv[i];
        else
            return Usage();
    }
    if (!module_path) return Usage();
    std::ifstream in(module_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "xmrender: cannot read %s\n", module_path);
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    auto player = std::make_unique<xm::Player>();
    xm::MemoryCursor cursor{bytes.data(), bytes.size(), 0};
    xm::Source source = xm::MemorySource(cursor);
    if (!xm::StartSong(*player, source, true, false)) {
        std::fprintf(stderr, "xmrender: %s is not a playable XM module\n", module_path);
        return 1;
    }
    if (timeline) {
        player->on_tick = PrintTick;
        player->on_tick_context = &t;
    }
    std::FILE* wav = wav_path ? std::fopen(wav_path, "wb") : nullptr;
    if (wav_path && !wav) {
        std::fprintf(stderr, "xmrender: cannot write %s\n", wav_path);
        return 1;
    }
    if (wav) std::fwrite(WavHeader(0).data(), 1, 44, wav);
    // A song always ends (play-once stops at a jump back); one hour is a
    // safety net for a module that never does.
    const long long max_blocks = 3600LL * xm::kOutputRate / xm::kBlockFrames;
    uint64_t data_bytes = 0;
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    for (long long b = 0; b < max_blocks && !player->ended; ++b) {
        if (timeline && !wav && t.limit >= 0 && t.printed >= t.limit) break;
        xm::RenderBlock(*player, block, info);
        if (wav) {
            std::fwrite(block, sizeof block, 1, wav);
            data_bytes += sizeof block;
        }
    }
    if (wav) {
        std::fseek(wav, 0, SEEK_SET);
        std::fwrite(WavHeader(static_cast<uint32_t>(data_bytes)).data(), 1, 44, wav);
        std::fclose(wav);
        std::fprintf(stderr, "xmrender: %.1f s of audio, %u ms of music\n",
                     data_bytes / 4.0 / xm::kOutputRate, player->time_ms);
    }
    return 0;
}
