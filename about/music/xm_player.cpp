#include "about/music/xm_player.h"

#include "about/music/xm_loader.h"
#include "about/music/xm_sequencer.h"
#include "about/music/xm_tables.h"

namespace xm {

bool StartSong(Player& player, Source& source, bool play_once, bool paused) {
    if (!LoadModule(source, player.module)) return false;
    ResetPlayer(player);
    player.play_once = play_once;
    player.paused = paused;
    return true;
}

int32_t MasterVolumeForLevel(unsigned level) {
    return kMasterVolumeSteps[level > 25 ? 25 : level];
}

void PrintableTitle(const char* name, char* out) {
    int n = 0;
    for (int i = 0; i < kModuleNameLength; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 32 && c <= 127) out[n++] = static_cast<char>(c);
    }
    out[n] = 0;
}

void JumpToOrder(Player& player, int order) {
    player.pending_order = (order < 0 || order >= player.module.song_length) ? 0 : order;
    player.pending_row = 0;
}

} // namespace xm
