// libFuzzer target: any bytes go through the XM loader; a module that loads
// is also played for a few blocks so the sequencer and mixer see it too.
#include "about/music/xm_player.h"
#include "about/music/xm_render.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto player = std::make_unique<xm::Player>();
    xm::MemoryCursor cursor{data, size, 0};
    xm::Source source = xm::MemorySource(cursor);
    if (!xm::StartSong(*player, source, false, false)) return 0;
    int16_t block[2 * xm::kBlockFrames];
    xm::BlockInfo info;
    for (int b = 0; b < 2; ++b)
        xm::RenderBlock(*player, block, info);
    return 0;
}
