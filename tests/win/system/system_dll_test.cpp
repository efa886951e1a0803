// Windows' DLLs that are not Known DLLs come from the system folder only. The
// tables load them from there; and the programs, run from a folder where a
// planted DLL lies under the name of every such DLL they use (Wine told to
// prefer such files, as Windows' search order would find them first), load
// none of the planted copies.
#include "common/system/comctl32.h"
#include "common/system/hid.h"
#include "common/system/library.h"
#include "common/system/odbc32.h"
#include "common/system/odbccp32.h"
#include "common/system/version.h"
#include "common/system/winmm.h"
#include "resources/resource_ids.h"
#include "tests/win/app/gui_harness.h"
#include "tests/win/app/test_install.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The non-Known system DLLs the programs use, each planted below.
const char* const kPlantedNames[] = {"comctl32.dll", "hid.dll",     "odbc32.dll",
                                     "odbccp32.dll", "version.dll", "winmm.dll"};

std::string Lower(std::string text) {
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string SystemFolder() {
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return Lower(path);
}

std::string FolderOf(HMODULE module) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    std::string text = Lower(path);
    return text.substr(0, text.rfind('\\'));
}

TEST(SystemDlls, EveryTableIsCompleteAndFromTheSystemFolder) {
    const struct {
        const char* dll;
        bool complete;
    } tables[] = {
        {"comctl32.dll", Comctl32Dll().complete}, {"hid.dll", HidDll().complete},
        {"odbc32.dll", Odbc32Dll().complete},     {"odbccp32.dll", Odbccp32Dll().complete},
        {"version.dll", VersionDll().complete},   {"winmm.dll", WinmmDll().complete}};
    for (const auto& table : tables) {
        EXPECT_TRUE(table.complete) << table.dll;
        HMODULE module = GetModuleHandleA(table.dll);
        ASSERT_NE(module, nullptr) << table.dll;
        EXPECT_EQ(FolderOf(module), SystemFolder()) << table.dll;
    }
    // planted.dll lies beside this test program, where a plain LoadLibrary
    // would find it; the system folder has none.
    EXPECT_EQ(LoadSystemLibrary("planted.dll"), nullptr);
}

// A missing DLL or function is a stand-in of the function's own type that
// reports failure the way the function does.
TEST(SystemDlls, AMissingFunctionFailsInItsOwnWay) {
    decltype(&::SQLExecDirect) execute = nullptr;
    EXPECT_FALSE(ResolveSystemFunction<SQL_ERROR>(nullptr, "SQLExecDirect", &execute));
    EXPECT_EQ(execute(SQL_NULL_HSTMT, nullptr, SQL_NTS), SQL_ERROR);
    decltype(&::ImageList_Create) create = nullptr;
    EXPECT_FALSE(ResolveSystemFunction<nullptr>(LoadSystemLibrary("comctl32.dll"),
                                                "ImageList_NoSuchFunction", &create));
    EXPECT_EQ(create(16, 16, ILC_COLOR8, 1, 0), nullptr);
    decltype(&::HidD_GetHidGuid) class_guid = nullptr;
    EXPECT_FALSE(ResolveSystemFunction<0>(nullptr, "HidD_GetHidGuid", &class_guid));
    GUID guid{};
    class_guid(&guid);
    EXPECT_EQ(guid.Data1, 0u);
}

class PlantedDlls : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = InstallTestCopy();
        ASSERT_FALSE(folder_.empty());
        for (const char* name : {"Pellam.exe", "Pellam_DLL.dll", "pellamctl.exe", "pellam-db.exe"})
            ASSERT_TRUE(CopyFileA(WindowsPath(std::string(PELLAM_DIST_DIR "/") + name).c_str(),
                                  In(name).c_str(), FALSE))
                << name;
        const std::string planted = WindowsPath(PELLAM_TEST_BIN_DIR "/planted.dll");
        for (const char* name : kPlantedNames)
            ASSERT_TRUE(CopyFileA(planted.c_str(), In(name).c_str(), FALSE)) << name;
        // Wine prefers its own DLLs to files it finds; the programs started
        // from here are told to take the files, as Windows does.
        char overrides[512] = "";
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        saved_overrides_ = overrides;
        SetEnvironmentVariableA(
            "WINEDLLOVERRIDES",
            (saved_overrides_ + ";comctl32,hid,odbc32,odbccp32,version,winmm=n,b").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("WINEDLLOVERRIDES", saved_overrides_.c_str());
        for (const std::string& name : Files())
            DeleteFileA(In(name).c_str());
        RemoveTestCopy(folder_);
    }
    std::string In(const std::string& name) const { return folder_ + "\\" + name; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(In("*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
    // The planted copies that some process loaded.
    std::string Loaded() const {
        std::string loaded;
        for (const std::string& name : Files())
            if (name.size() > 7 && name.compare(name.size() - 7, 7, ".loaded") == 0)
                loaded += name + " ";
        return loaded;
    }
    std::string Run(const std::string& arguments, unsigned long* status) const {
        std::string output;
        *status = RunProcess(arguments, &output);
        return output;
    }

    InstallRecordGuard install_record_; // put back after the test copy
    std::string folder_, saved_overrides_;
};

TEST_F(PlantedDlls, NoProgramLoadsThem) {
    ASSERT_TRUE(ExecOnTestCopy(folder_, "INSERT INTO Main (VID,PID,[DEFAULT]) VALUES "
                                        "('0000','8001','YES')"));
    ASSERT_TRUE(ExecOnTestCopy(folder_, "INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) "
                                        "VALUES ('8001','Planted','not run','000A01')"));
    unsigned long status = 999;
    // The HID walk (hid.dll) and the database (odbc32.dll).
    std::string output = Run("\"" + In("pellamctl.exe") + "\" list", &status);
    EXPECT_EQ(status, 0u) << output;
    output = Run("\"" + In("pellamctl.exe") + "\" scripts 8001", &status);
    EXPECT_EQ(status, 0u) << output;
    EXPECT_NE(output.find("Planted"), std::string::npos) << output;
    // A database made through the driver's setup library (odbccp32.dll).
    output = Run("\"" + In("pellam-db.exe") + "\" create \"" + In("New.MDB") + "\"", &status);
    EXPECT_EQ(status, 0u) << output;

    // The program: its windows (comctl32.dll), the build number
    // (version.dll) and the About box's music (winmm.dll).
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    std::string command = "\"" + In("Pellam.exe") + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.c_str(), &startup, &program));
    HWND main = nullptr;
    EXPECT_TRUE(PumpUntil(
        [&] {
            main = TopWindowOf(program.dwProcessId, "Qvoxline Circuits Pellam Board");
            return main && ControlText(GetDlgItem(main, IDC_BUILD_NUMBER)) == "0.6.7.7";
        },
        10000));
    if (main) {
        PostMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
        HWND about = nullptr;
        EXPECT_TRUE(PumpUntil(
            [&] {
                return (about = TopWindowOf(program.dwProcessId, "About Qvoxline Relay Board"));
            },
            10000));
        PumpFor(500); // the music starts
        if (about) PostMessageA(about, WM_CLOSE, 0, 0);
        PumpFor(300);
        PostMessageA(main, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 10000), WAIT_OBJECT_0);
    GetExitCodeProcess(program.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);

    EXPECT_EQ(Loaded(), "");
    // A load does leave its marker (the copy under a name Wine has no DLL of).
    ASSERT_TRUE(CopyFileA(In("winmm.dll").c_str(), In("check.dll").c_str(), FALSE));
    HMODULE planted = LoadLibraryA(In("check.dll").c_str());
    EXPECT_NE(planted, nullptr);
    if (planted) FreeLibrary(planted);
    EXPECT_EQ(Loaded(), "check.dll.loaded ");
}

} // namespace
