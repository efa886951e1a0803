#include "common/system/hid.h"

#include "common/system/library.h"

const HidFunctions& HidDll() {
    static const HidFunctions functions = [] {
        HidFunctions f;
        const HMODULE dll = LoadSystemLibrary("hid.dll");
        bool all = dll != nullptr;
#define RESOLVE(name) all &= ResolveSystemFunction<FALSE>(dll, #name, &f.name)
        RESOLVE(HidD_GetHidGuid);
        RESOLVE(HidD_GetAttributes);
        RESOLVE(HidD_GetProductString);
        RESOLVE(HidD_GetManufacturerString);
#undef RESOLVE
        f.complete = all;
        return f;
    }();
    return functions;
}
