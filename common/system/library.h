// Windows' own DLLs, from the system folder only.
//
// For a DLL that is not one of Windows' Known DLLs, the loader looks in the
// program's own folder first, and later in the current folder. So the
// programs import only Known DLLs (and Pellam_DLL.dll, which is installed
// beside them), and reach every other system DLL through a table of typed
// function pointers filled from the copy in the system folder (comctl32.h,
// hid.h, odbc32.h, odbccp32.h, version.h, winmm.h beside this file).
#pragma once

#include <windows.h>

// Takes the current folder out of the DLL search of this process; every
// program does this first thing.
void RemoveCurrentFolderFromDllSearch();

// `name` (for example "hid.dll") from the system folder and nowhere else, or
// null. The module stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const char* name);

namespace system_library_detail {

// What a function stands in for when its DLL or the function is missing: it
// answers `kFailure`, the value by which the real function reports failure.
template <typename Function, auto kFailure> struct FailingCall;
template <typename Result, typename... Arguments, auto kFailure>
struct FailingCall<Result(WINAPI*)(Arguments...), kFailure> {
    static Result WINAPI Call(Arguments...) { return static_cast<Result>(kFailure); }
};
template <typename... Arguments, auto kFailure>
struct FailingCall<void(WINAPI*)(Arguments...), kFailure> {
    static void WINAPI Call(Arguments...) {}
};

} // namespace system_library_detail

// Points *entry at `name` in `module`; true when it was found. When the
// module (null) or the function is missing, *entry fails as described above,
// so a caller never meets a null pointer.
template <auto kFailure, typename Function>
bool ResolveSystemFunction(HMODULE module, const char* name, Function* entry) {
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    *entry = found ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found))
                   : &system_library_detail::FailingCall<Function, kFailure>::Call;
    return found != nullptr;
}
