#include "common/system/winmm.h"

#include "common/system/library.h"

const WinmmFunctions& WinmmDll() {
    static const WinmmFunctions functions = [] {
        WinmmFunctions f;
        const HMODULE dll = LoadSystemLibrary("winmm.dll");
        bool all = dll != nullptr;
#define RESOLVE(name) all &= ResolveSystemFunction<MMSYSERR_ERROR>(dll, #name, &f.name)
        RESOLVE(waveOutOpen);
        RESOLVE(waveOutPrepareHeader);
        RESOLVE(waveOutWrite);
        RESOLVE(waveOutGetPosition);
        RESOLVE(waveOutReset);
        RESOLVE(waveOutUnprepareHeader);
        RESOLVE(waveOutClose);
#undef RESOLVE
        f.complete = all;
        return f;
    }();
    return functions;
}
