// The device library loaded at run time by path: the simulated build, and
// the real HID build against what Wine offers (a virtual mouse and keyboard,
// never a relay board).
#include "devlib/pellam_dll.h"
#include "tests/win/devlib/sim_fixture.h"

#include <windows.h>

#include <cstring>

namespace {

using TextFn = int32_t(PELLAM_CALL*)(char*);
using IdTextFn = int32_t(PELLAM_CALL*)(uint32_t, char*);
using WriteFn = int32_t(PELLAM_CALL*)(uint32_t, uint32_t, uint32_t);

struct Library {
    HMODULE module;
    explicit Library(const std::string& path) : module(LoadLibraryA(path.c_str())) {}
    ~Library() {
        if (module) FreeLibrary(module);
    }
    template <typename Fn> Fn Get(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

TEST_F(SimulatedBoards, SimulatedLibraryByPathExportsAllSeven) {
    Library lib(DistPath("sim/Pellam_DLL.dll"));
    ASSERT_NE(lib.module, nullptr);
    auto test = lib.Get<TextFn>("TestDLL");
    auto find = lib.Get<TextFn>("FindPellamBoards");
    auto read = lib.Get<IdTextFn>("ReadPellams");
    auto write = lib.Get<WriteFn>("WritePellam");
    auto product = lib.Get<IdTextFn>("GetProductString");
    auto maker = lib.Get<IdTextFn>("GetManufacturerString");
    auto version = lib.Get<IdTextFn>("GetVersionString");
    ASSERT_TRUE(test && find && read && write && product && maker && version);
    char text[1100];
    EXPECT_EQ(test(text), 1);
    EXPECT_STREQ(text, "OK");
    EXPECT_EQ(find(text), 1);
    EXPECT_STREQ(text, "8001|");
    EXPECT_EQ(write(0x8001, 9, 0), 1);
    ASSERT_EQ(read(0x8001, text), 1);
    EXPECT_NE(text[4], 0);
    EXPECT_EQ(product(0x8001, text), 1);
    EXPECT_STREQ(text, "SWITCHDECK 5s");
    EXPECT_EQ(maker(0x8001, text), 1);
    EXPECT_EQ(version(0x8001, text), 1);
    EXPECT_STREQ(text, "0100");
}

TEST(RealHidLibrary, FindsNoBoardAmongWinesVirtualDevices) {
    Library lib(DistPath("Pellam_DLL.dll"));
    ASSERT_NE(lib.module, nullptr);
    char text[1100] = "untouched";
    EXPECT_EQ(lib.Get<TextFn>("TestDLL")(text), 1);
    EXPECT_STREQ(text, "OK");
    EXPECT_EQ(lib.Get<TextFn>("FindPellamBoards")(text), 0);
    EXPECT_STREQ(text, "");
    char status[12];
    std::memset(status, 0x5A, sizeof status);
    EXPECT_EQ(lib.Get<IdTextFn>("ReadPellams")(0x8001, status), 0);
    EXPECT_EQ(status[0], 0x5A);
    EXPECT_EQ(lib.Get<WriteFn>("WritePellam")(0x8001, 1, 0), 0);
}

} // namespace
