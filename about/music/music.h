// The About box's music player: plays one XM module at a time on a mixing
// thread through the default waveform-audio device.
#pragma once

#include <cstdint>

enum MusicFlags : unsigned {
    MUSIC_FROM_MEMORY = 1,  // source: module bytes, param: their length
    MUSIC_FROM_FILE = 2,    // source: file name
    MUSIC_PLAY_ONCE = 8,    // stop at the end of the song instead of restarting
    MUSIC_START_PAUSED = 16 // start with the song paused
};

// Stops any song, then (with a source) loads and starts one. Without flags
// 1 or 2 the source is an RCDATA resource name in module `param`. Returns
// non-zero when the song plays, 0 otherwise (also for a null source).
int MusicPlay(const void* source, uintptr_t param, unsigned flags);
void MusicPause();
void MusicResume();
void MusicSetVolume(unsigned level); // 0..25, 2 dB steps, 25 = unity
void MusicJumpToOrder(unsigned order);
unsigned MusicGetLevels();   // block being heard: left << 16 | right
unsigned MusicGetPosition(); // block being heard: order << 16 | row
unsigned MusicGetTime();     // milliseconds rendered since the start
const char* MusicGetTitle(); // printable module name, "" when idle
