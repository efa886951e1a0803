// The simulated build of the device library loaded at run time by path.
#include "tests/win/devlib/library.h"
#include "tests/win/devlib/sim_fixture.h"

#include <windows.h>

#include <cstring>

namespace {

TEST_F(SimulatedBoards, SimulatedLibraryByPathExportsAllSeven) {
    Library lib(DistPath("sim/Pellam_DLL.dll"));
    ASSERT_NE(lib.module, nullptr);
    ASSERT_TRUE(lib.TestDLL && lib.FindPellamBoards && lib.ReadPellams && lib.WritePellam &&
                lib.GetProductString && lib.GetManufacturerString && lib.GetVersionString);
    char text[1100];
    EXPECT_EQ(lib.TestDLL(text), 1);
    EXPECT_STREQ(text, "OK");
    EXPECT_EQ(lib.FindPellamBoards(text), 1);
    EXPECT_STREQ(text, "8001|");
    EXPECT_EQ(lib.WritePellam(0x8001, 9, 0), 1);
    ASSERT_EQ(lib.ReadPellams(0x8001, text), 1);
    EXPECT_NE(text[4], 0);
    EXPECT_EQ(lib.GetProductString(0x8001, text), 1);
    EXPECT_STREQ(text, "SWITCHDECK 5s");
    EXPECT_EQ(lib.GetManufacturerString(0x8001, text), 1);
    EXPECT_EQ(lib.GetVersionString(0x8001, text), 1);
    EXPECT_STREQ(text, "0100");
}

} // namespace
