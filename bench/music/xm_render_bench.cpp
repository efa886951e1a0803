// Render speed of our XM player against libxmp (linear interpolation) and
// libopenmpt (2-tap filter), 48 kHz stereo 16-bit, for every test module and
// the About box's module. The counter "x_realtime" is seconds of audio
// rendered per second of CPU time.
#include "about/music/about_module.h"
#include "about/music/xm_player.h"
#include "about/music/xm_render.h"

#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSecondsPerIteration = 20;
constexpr int kFrames = 48000 * kSecondsPerIteration;

void Report(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSecondsPerIteration,
                           benchmark::Counter::kIsRate);
}

void Ours(benchmark::State& state, std::vector<uint8_t> bytes, bool sse41) {
    xm::PreferSse41Mixing(sse41);
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    for (auto _ : state) {
        auto player = std::make_unique<xm::Player>();
        xm::MemoryCursor cursor{bytes.data(), bytes.size(), 0};
        xm::Source source = xm::MemorySource(cursor);
        if (!xm::StartSong(*player, source, false, false)) {
            state.SkipWithError("load failed");
            return;
        }
        for (int f = 0; f < kFrames; f += xm::kBlockFrames)
            xm::RenderBlock(*player, block, info);
        benchmark::DoNotOptimize(block);
    }
    xm::PreferSse41Mixing(true);
    Report(state);
}

void Libxmp(benchmark::State& state, std::vector<uint8_t> bytes) {
    std::vector<int16_t> buffer(2 * xm::kBlockFrames);
    for (auto _ : state) {
        xmp_context ctx = xmp_create_context();
        if (xmp_load_module_from_memory(ctx, bytes.data(), static_cast<long>(bytes.size())) != 0) {
            xmp_free_context(ctx);
            state.SkipWithError("libxmp load failed");
            return;
        }
        xmp_start_player(ctx, 48000, 0);
        xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
        for (int f = 0; f < kFrames; f += xm::kBlockFrames)
            xmp_play_buffer(ctx, buffer.data(), static_cast<int>(buffer.size() * 2), 0);
        benchmark::DoNotOptimize(buffer.data());
        xmp_end_player(ctx);
        xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
    Report(state);
}

void Libopenmpt(benchmark::State& state, std::vector<uint8_t> bytes) {
    std::vector<int16_t> buffer(2 * xm::kBlockFrames);
    for (auto _ : state) {
        openmpt_module* mod =
            openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!mod) {
            state.SkipWithError("libopenmpt load failed");
            return;
        }
        openmpt_module_set_repeat_count(mod, -1);
        openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 2);
        for (int f = 0; f < kFrames; f += xm::kBlockFrames)
            openmpt_module_read_interleaved_stereo(mod, 48000, xm::kBlockFrames, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
        openmpt_module_destroy(mod);
    }
    Report(state);
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> Modules() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> list;
    std::vector<std::string> names;
    if (DIR* dir = opendir(PELLAM_XM_TESTDATA)) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            if (n.size() > 3 && n.compare(n.size() - 3, 3, ".xm") == 0) names.push_back(n);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        std::ifstream in(std::string(PELLAM_XM_TESTDATA) + "/" + n, std::ios::binary);
        list.emplace_back(n, std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>()));
    }
    list.emplace_back("about (ours)",
                      std::vector<uint8_t>(kAboutModule, kAboutModule + kAboutModuleSize));
    return list;
}

} // namespace

int main(int argc, char** argv) {
    for (auto& [name, bytes] : Modules()) {
        benchmark::RegisterBenchmark(("pellam/" + name).c_str(), Ours, bytes, true)
            ->Unit(benchmark::kMillisecond);
        // the path taken on processors without SSE4.1
        benchmark::RegisterBenchmark(("pellam-sse2/" + name).c_str(), Ours, bytes, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("libxmp/" + name).c_str(), Libxmp, bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("libopenmpt/" + name).c_str(), Libopenmpt, bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
