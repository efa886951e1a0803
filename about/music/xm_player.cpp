#include "about/music/xm_player.h"

#include "about/music/xm_loader.h"
#include "about/music/xm_sequencer.h"
#include "about/music/xm_tables.h"

namespace xm {

bool StartSong(Player& player, Source& source, bool playOnce, bool paused) {
    if (!LoadModule(source, player.module)) return false;
    ResetPlayer(player);
    player.playOnce = playOnce;
    player.paused = paused;
    return true;
}

int32_t MasterVolumeForLevel(unsigned level) {
    return kMasterVolumeSteps[level > 25 ? 25 : level];
}

void PrintableTitle(const char* name, char* out) {
    int n = 0;
    for (int i = 0; i < 20; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 32 && c <= 127) out[n++] = static_cast<char>(c);
    }
    out[n] = 0;
}

void JumpToOrder(Player& player, int order) {
    player.pendingOrder = (order < 0 || order >= player.module.songLength) ? 0 : order;
    player.pendingRow = 0;
}

} // namespace xm
