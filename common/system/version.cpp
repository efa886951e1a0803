#include "common/system/version.h"

#include "common/system/library.h"

const VersionFunctions& VersionDll() {
    static const VersionFunctions functions = [] {
        VersionFunctions f;
        const HMODULE dll = LoadSystemLibrary("version.dll");
        f.complete = dll != nullptr;
        f.complete &=
            ResolveSystemFunction<0>(dll, "GetFileVersionInfoSizeA", &f.GetFileVersionInfoSizeA);
        f.complete &=
            ResolveSystemFunction<FALSE>(dll, "GetFileVersionInfoA", &f.GetFileVersionInfoA);
        f.complete &= ResolveSystemFunction<FALSE>(dll, "VerQueryValueA", &f.VerQueryValueA);
        return f;
    }();
    return functions;
}
