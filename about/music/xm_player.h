// Portable pieces of the music player interface: starting a song from a
// source, the master volume steps and the printable title.
#pragma once

#include "about/music/xm_source.h"
#include "about/music/xm_types.h"

namespace xm {

// Loads the module from `source` into `player` and puts the song at its
// start. Returns false when the module does not load.
bool StartSong(Player& player, Source& source, bool play_once, bool paused);

// Master volume for level 0..25 (larger values count as 25).
int32_t MasterVolumeForLevel(unsigned level);

// The module name with every byte outside 32..127 removed; `out` holds
// kModuleNameLength + 1.
void PrintableTitle(const char* name, char* out);

// Pending position for a jump to `order` (0 when past the song).
void JumpToOrder(Player& player, int order);

} // namespace xm
