// Waveform audio, winmm.dll, from the system folder (library.h). Each entry
// is typed as mmsystem.h declares the function; a missing one answers
// MMSYSERR_ERROR, which the player takes as "play silently".
#pragma once

#include <windows.h>
#include <mmsystem.h>

struct WinmmFunctions {
    bool complete = false; // the DLL and every function below were found
    decltype(&::waveOutOpen) waveOutOpen;
    decltype(&::waveOutPrepareHeader) waveOutPrepareHeader;
    decltype(&::waveOutWrite) waveOutWrite;
    decltype(&::waveOutGetPosition) waveOutGetPosition;
    decltype(&::waveOutReset) waveOutReset;
    decltype(&::waveOutUnprepareHeader) waveOutUnprepareHeader;
    decltype(&::waveOutClose) waveOutClose;
};

// Loaded at the first call, from any thread.
const WinmmFunctions& WinmmDll();
