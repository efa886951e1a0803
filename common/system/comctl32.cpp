#include "common/system/comctl32.h"

#include "common/system/library.h"

const Comctl32Functions& Comctl32Dll() {
    static const Comctl32Functions functions = [] {
        Comctl32Functions f;
        const HMODULE dll = LoadSystemLibrary("comctl32.dll");
        bool all = dll != nullptr;
#define RESOLVE(name, failure) all &= ResolveSystemFunction<failure>(dll, #name, &f.name)
        RESOLVE(InitCommonControlsEx, FALSE);
        RESOLVE(ImageList_Create, nullptr);
        RESOLVE(ImageList_AddMasked, -1);
        RESOLVE(ImageList_Destroy, FALSE);
        RESOLVE(ImageList_Draw, FALSE);
        RESOLVE(ImageList_GetIconSize, FALSE);
        RESOLVE(SetWindowSubclass, FALSE);
        RESOLVE(DefSubclassProc, 0);
        RESOLVE(RemoveWindowSubclass, FALSE);
#undef RESOLVE
        f.complete = all;
        return f;
    }();
    return functions;
}
