// The Win32 side of the music player: source readers for files and
// resources, the waveOut ring of 16 blocks played as one endless looping
// buffer, and the mixing thread that refills each block once it is heard.
#include "about/music/music.h"

#include "about/music/music_file_source_win32.h"
#include "about/music/xm_player.h"
#include "about/music/xm_render.h"
#include "common/system/winmm.h"
#include "common/win32_owners.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <new>

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * sizeof(int16_t);
constexpr int kRingBlocks = 16;
constexpr DWORD kBlockBytes = xm::kBlockFrames * kBytesPerFrame;
constexpr DWORD kRingBytes = kRingBlocks * kBlockBytes;
constexpr DWORD kLoopForever = 0xFFFFFFFF;
// How often the mixing thread looks at the device position and the stop flag.
constexpr DWORD kMixPollMs = 5;

// One process-wide record. The UI thread touches the player only before the
// mixing thread starts and after it has ended, plus single-word fields.
// StopSong alone frees the player and the ring, after the thread has ended:
// owners would free them at process exit under a thread still mixing.
struct MusicState {
    xm::Player* player = nullptr;
    HWAVEOUT wave = nullptr;
    WAVEHDR header{};
    int16_t* ring = nullptr;
    KernelHandle thread;
    volatile LONG stop = 0;
    int next_fill = 0;
    volatile LONG heard = 0; // index into infos of the block being heard
    xm::BlockInfo infos[kRingBlocks];
    // Requests from the UI thread, applied by the mixing thread before it
    // renders the next block.
    volatile LONG master_volume = xm::kUnityVolume;
    volatile LONG paused = 0;
    volatile LONG jump_order = -1;
    volatile LONG time_ms = 0; // copy of the player's rendered time for the UI
    char title[xm::kModuleNameLength + 1] = {};
};
MusicState g_music;

void StopSong() {
    MusicState& m = g_music;
    if (m.thread) {
        InterlockedExchange(&m.stop, 1);
        WaitForSingleObject(m.thread.get(), INFINITE);
        m.thread.Reset();
    }
    if (m.wave) {
        WinmmDll().waveOutReset(m.wave);
        if (m.header.dwFlags & WHDR_PREPARED)
            WinmmDll().waveOutUnprepareHeader(m.wave, &m.header, sizeof m.header);
        WinmmDll().waveOutClose(m.wave);
        m.wave = nullptr;
    }
    m.header = WAVEHDR{};
    delete[] m.ring;
    m.ring = nullptr;
    delete m.player;
    m.player = nullptr;
    m.stop = 0;
    m.paused = 0;
    m.jump_order = -1;
    m.time_ms = 0;
    m.next_fill = 0;
    m.heard = 0;
    for (auto& info : m.infos)
        info = xm::BlockInfo();
    m.title[0] = 0;
}

void FillBlock(MusicState& m, int block) {
    m.player->master_volume = m.master_volume;
    m.player->paused = m.paused != 0;
    LONG jump = InterlockedExchange(&m.jump_order, -1);
    if (jump >= 0) xm::JumpToOrder(*m.player, static_cast<int>(jump));
    xm::RenderBlock(*m.player, m.ring + block * xm::kBlockFrames * kChannels, m.infos[block]);
    InterlockedExchange(&m.time_ms, static_cast<LONG>(m.player->time_ms));
}

DWORD WINAPI MixThread(void*) {
    MusicState& m = g_music;
    int silent_after_end = 0;
    for (;;) {
        MMTIME time{};
        time.wType = TIME_BYTES;
        WinmmDll().waveOutGetPosition(m.wave, &time, sizeof time);
        int playing = static_cast<int>((time.u.cb / kBlockBytes) % kRingBlocks);
        for (;;) {
            Sleep(kMixPollMs);
            if (m.stop) return 0;
            if (m.next_fill == playing) break;
            if (!m.paused) m.heard = (m.heard + 1) % kRingBlocks;
            FillBlock(m, m.next_fill);
            m.next_fill = (m.next_fill + 1) % kRingBlocks;
            // Play-once: once the queued end of the song has been heard the
            // thread releases the device itself.
            if (m.player->ended && ++silent_after_end > kRingBlocks) {
                WinmmDll().waveOutReset(m.wave);
                WinmmDll().waveOutUnprepareHeader(m.wave, &m.header, sizeof m.header);
                WinmmDll().waveOutClose(m.wave);
                m.wave = nullptr;
                m.stop = 1;
                return 0;
            }
        }
    }
}

bool LoadFromSource(xm::Source& source, bool once, bool paused) {
    MusicState& m = g_music;
    m.player = new (std::nothrow) xm::Player();
    if (!m.player) return false;
    return xm::StartSong(*m.player, source, once, paused);
}

bool LoadSong(const void* source, uintptr_t param, unsigned flags) {
    bool once = (flags & MUSIC_PLAY_ONCE) != 0, paused = (flags & MUSIC_START_PAUSED) != 0;
    g_music.paused = paused ? 1 : 0;
    if (flags & MUSIC_FROM_MEMORY) {
        xm::MemoryCursor cursor{static_cast<const uint8_t*>(source), param, 0};
        xm::Source s = xm::MemorySource(cursor);
        return LoadFromSource(s, once, paused);
    }
    if (flags & MUSIC_FROM_FILE) {
        xm::FileSource file;
        if (!xm::OpenFileSource(static_cast<const char*>(source), file)) return false;
        bool ok = LoadFromSource(file.source, once, paused);
        xm::CloseFileSource(file);
        return ok;
    }
    HMODULE module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(param));
    HRSRC res = FindResourceA(module, static_cast<const char*>(source), RT_RCDATA);
    HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    xm::MemoryCursor cursor{static_cast<const uint8_t*>(data), SizeofResource(module, res), 0};
    xm::Source s = xm::MemorySource(cursor);
    return LoadFromSource(s, once, paused);
}

} // namespace

int MusicPlay(const void* source, uintptr_t param, unsigned flags) {
    MusicState& m = g_music;
    StopSong();
    if (!source) return 0;
    if (m.master_volume == 0) m.master_volume = xm::kUnityVolume;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = xm::kOutputRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kBytesPerFrame;
    format.nAvgBytesPerSec = xm::kOutputRate * kBytesPerFrame;
    if (WinmmDll().waveOutOpen(&m.wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) !=
        MMSYSERR_NOERROR) {
        m.wave = nullptr;
        return 0;
    }
    m.ring = new (std::nothrow) int16_t[kRingBytes / sizeof(int16_t)];
    if (!m.ring || !LoadSong(source, param, flags)) {
        StopSong();
        return 0;
    }
    xm::PrintableTitle(m.player->module.name, m.title);

    m.header.lpData = reinterpret_cast<LPSTR>(m.ring);
    m.header.dwBufferLength = kRingBytes;
    m.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    m.header.dwLoops = kLoopForever;
    for (int b = 0; b < kRingBlocks; ++b)
        FillBlock(m, b);
    m.next_fill = 0;
    if (WinmmDll().waveOutPrepareHeader(m.wave, &m.header, sizeof m.header) != MMSYSERR_NOERROR ||
        WinmmDll().waveOutWrite(m.wave, &m.header, sizeof m.header) != MMSYSERR_NOERROR) {
        StopSong();
        return 0;
    }
    m.thread.Reset(CreateThread(nullptr, 0, MixThread, nullptr, 0, nullptr));
    if (!m.thread) {
        StopSong();
        return 0;
    }
    SetThreadPriority(m.thread.get(), THREAD_PRIORITY_TIME_CRITICAL);
    return 1;
}

void MusicPause() {
    InterlockedExchange(&g_music.paused, 1);
}

void MusicResume() {
    InterlockedExchange(&g_music.paused, 0);
}

void MusicSetVolume(unsigned level) {
    InterlockedExchange(&g_music.master_volume, xm::MasterVolumeForLevel(level));
}

void MusicJumpToOrder(unsigned order) {
    if (g_music.thread) InterlockedExchange(&g_music.jump_order, static_cast<LONG>(order & 0xFFFF));
}

unsigned MusicGetLevels() {
    return g_music.infos[g_music.heard].levels;
}

unsigned MusicGetPosition() {
    return g_music.infos[g_music.heard].position;
}

unsigned MusicGetTime() {
    return static_cast<unsigned>(g_music.time_ms);
}

const char* MusicGetTitle() {
    return g_music.title;
}
