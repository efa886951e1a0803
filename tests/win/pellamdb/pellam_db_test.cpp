// pellam-db.exe as the installer runs it: the database made through the
// Access driver's setup library and ODBC, under either driver name, and its
// refusals.
#include "db/access_driver.h"
#include "tests/win/app/test_install.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string DistPath(const char* name) {
    return WindowsPath(std::string(PELLAM_DIST_DIR) + "/" + name);
}

// Runs pellam-db with arguments; its exit status, what it printed in *output.
unsigned long RunTool(const std::string& arguments, std::string* output) {
    return RunProcess("\"" + DistPath("pellam-db.exe") + "\" " + arguments, output);
}

class PellamDb : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "pellam-db-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\Pellam.MDB";
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    bool Exists() const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string folder, path, output;
};

// Both tables, with keys the database numbers itself and never reuses.
TEST_F(PellamDb, CreatesBothTablesWithCountedKeys) {
    ASSERT_EQ(RunTool("create \"" + path + "\"", &output), 0u) << output;
    EXPECT_NE(output.find(std::string("with the ") + kAccessDriverNames[0]), std::string::npos)
        << output;
    for (const char* sql : {"INSERT INTO RelayScripts (PID,NAME) VALUES ('8001','a')",
                            "INSERT INTO RelayScripts (PID,NAME) VALUES ('8001','b')",
                            "DELETE FROM RelayScripts WHERE ID = 2",
                            "INSERT INTO RelayScripts (PID,NAME) VALUES ('8001','c')",
                            "INSERT INTO Main (VID,PID,ADDED) VALUES "
                            "('0000','8001',{ts '2024-05-06 07:08:09'})"})
        ASSERT_TRUE(ExecOnTestCopy(folder, sql)) << sql;
    EXPECT_EQ(QueryTestCopy(folder, "SELECT ID, NAME FROM RelayScripts"),
              (Rows{{"1", "a"}, {"3", "c"}}));
    const Rows boards = QueryTestCopy(folder, "SELECT * FROM Main");
    ASSERT_EQ(boards.size(), 1u);
    ASSERT_EQ(boards[0].size(), 30u);
    EXPECT_EQ(boards[0][0], "1");
    EXPECT_EQ(boards[0][3], "2024-05-06 07:08:09");
    EXPECT_EQ(boards[0][4], "<null>");
}

// The reasons the installer shows when a database cannot be made.
TEST_F(PellamDb, FailuresSayWhyAndLeaveNothing) {
    // An existing file, the operator's database, is never touched.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(RunTool("create \"" + path + "\"", &output), 1u);
    EXPECT_NE(output.find("already exists"), std::string::npos) << output;
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4u);
    DeleteFileA(path.c_str());
    EXPECT_EQ(RunTool("create \"" + folder + "\\missing\\Pellam.MDB\"", &output), 1u);
    EXPECT_NE(output.find("cannot create"), std::string::npos) << output;
    EXPECT_NE(output.find("installer error"), std::string::npos) << output;
    EXPECT_EQ(RunTool("remove x", &output), 2u);
    EXPECT_NE(output.find("usage: pellam-db create PATH"), std::string::npos) << output;
    SetupRegistration none(nullptr);
    EXPECT_EQ(RunTool("create \"" + path + "\"", &output), 1u);
    // A 64-bit build names the engine it needs; a 32-bit one the driver Windows has.
    const char* missing =
        sizeof(void*) == 8 ? "Access Database Engine (x64)" : "no Access ODBC driver is installed";
    EXPECT_NE(output.find(missing), std::string::npos) << output;
    EXPECT_FALSE(Exists());
}

// A 64-bit Windows with the Access Database Engine knows only its name.
TEST_F(PellamDb, UsesTheAccessDatabaseEnginesDriverWhereOnlyItIsInstalled) {
    SetupRegistration setup(kAccessDriverNames[1]);
    DriverRegistration driver(kAccessDriverNames[1]);
    ASSERT_TRUE(driver.ok());
    ASSERT_EQ(RunTool("create \"" + path + "\"", &output), 0u) << output;
    EXPECT_NE(output.find(std::string("with the ") + kAccessDriverNames[1]), std::string::npos)
        << output;
    EXPECT_TRUE(Exists());
}

} // namespace
