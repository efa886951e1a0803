// A build of Pellam_DLL.dll loaded at run time by its path, with its seven
// exports.
#pragma once

#include "devlib/pellam_dll.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct Library {
    using TextFn = int32_t(PELLAM_CALL*)(char*);
    using IdTextFn = int32_t(PELLAM_CALL*)(uint32_t, char*);
    using WriteFn = int32_t(PELLAM_CALL*)(uint32_t, uint32_t, uint32_t);

    explicit Library(const std::string& path) : module(LoadLibraryA(path.c_str())) {}
    ~Library() {
        if (module) FreeLibrary(module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename Fn> Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    HMODULE module;
    TextFn TestDLL = Get<TextFn>("TestDLL");
    TextFn FindPellamBoards = Get<TextFn>("FindPellamBoards");
    IdTextFn ReadPellams = Get<IdTextFn>("ReadPellams");
    WriteFn WritePellam = Get<WriteFn>("WritePellam");
    IdTextFn GetProductString = Get<IdTextFn>("GetProductString");
    IdTextFn GetManufacturerString = Get<IdTextFn>("GetManufacturerString");
    IdTextFn GetVersionString = Get<IdTextFn>("GetVersionString");
};
