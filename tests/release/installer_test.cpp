// The installer of the test's own architecture (x64, or x86 in the 32-bit
// lane) under Wine, as an operator's PC meets it: a silent
// install; its refusal beside the 32-bit Pellam; the installed Pellam.exe
// and pellamctl.exe started on their own, with the record and the database
// the installer made, and setup meeting the running program (silently, and
// asking to close it); a replacement that fails half-way and puts every file
// back; a silent reinstall; a silent uninstall.
// The steps build on each other and run in this order in one process.
#include "resources/resource_ids.h"
#include "tests/win/app/gui_harness.h"
#include "tests/win/app/test_install.h"
#include "tools/boardsim/sim_store.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

const char kAppKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pellam.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pellam";

std::string Env(const char* name) {
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

const std::string& Folder() {
    static const std::string folder = Env("ProgramFiles") + "\\Qvoxline\\Pellam";
    return folder;
}
std::string Installed(const char* name) {
    return Folder() + "\\" + name;
}
std::string Shortcut() {
    return Env("ProgramData") + "\\Microsoft\\Windows\\Start Menu\\Programs\\Pellam Board.lnk";
}
#ifdef _WIN64
const char kArch[] = "x64";
// The installation record and the uninstall entry are in the registry view
// of the program's own architecture: on 64-bit Windows the x86 setup writes
// them in the 32-bit view (WOW6432Node), where its 32-bit program reads.
const REGSAM kProgramView = KEY_WOW64_64KEY;
#else
const char kArch[] = "x86";
const REGSAM kProgramView = KEY_WOW64_32KEY;
#endif

std::string SetupPath() {
    return WindowsPath(PELLAM_DIST_DIR "/release/PellamSetup-" + std::string(kArch) + ".exe");
}
// A file of the release's payload for this architecture.
std::string Released(const char* name) {
    return WindowsPath(PELLAM_DIST_DIR "/release/" + std::string(kArch) + "/" + name);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<none>";
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// The program files and what a replacement of them may leave behind.
const char* const kProgramFiles[] = {"Pellam.exe", "Pellam_DLL.dll", "pellamctl.exe"};
std::string LeftOver() {
    std::string found;
    for (const char* name : kProgramFiles)
        for (const char* ending : {".new", ".old"})
            if (Exists(Installed(name) + ending)) found += std::string(name) + ending + " ";
    return found;
}

// A message box shows its text in the static 0xFFFF; setup's own window is
// titled "Pellam Board Setup: <page>".
bool IsMessageBox(HWND window) {
    return IsWindowVisible(window) && GetDlgItem(window, 0xFFFF) != nullptr;
}
bool IsSetupWindow(HWND window) {
    return IsWindowVisible(window) && !GetDlgItem(window, 0xFFFF) &&
           WindowText(window).rfind("Pellam Board Setup", 0) == 0;
}

// A value under HKEY_LOCAL_MACHINE in the program's view ("<none>" if absent).
std::string RegistryText(const char* key_path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ | kProgramView, &key) !=
        ERROR_SUCCESS)
        return "<none>";
    char value[1024] = "";
    DWORD size = sizeof value - 1, type = 0;
    const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value),
                                     &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!ok) return "<none>";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(value));
    return value;
}

std::string ShortcutTarget(const std::string& link) {
    std::string target;
    CoInitialize(nullptr);
    IShellLinkA* shell_link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell_link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(
                shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring wide(link.begin(), link.end());
            char path[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
                SUCCEEDED(shell_link->GetPath(path, sizeof path, nullptr, 0)))
                target = path;
            file->Release();
        }
        shell_link->Release();
    }
    CoUninitialize();
    return target;
}

bool SimRelayAtNo(int relay) {
    SimBoard board;
    return SimGetBoard(0, &board) && board.relays[relay - 1] != 0;
}

// Whatever an installation, or a sequence that failed half-way, left.
void RemoveInstallation() {
    for (const char* name : {"Pellam.MDB", "Pellam.ldb", "Pellam.exe", "Pellam_DLL.dll",
                             "pellamctl.exe", "uninstall.exe", "licenses\\terminus-font-OFL.txt"})
        DeleteFileA(Installed(name).c_str());
    for (const char* name : kProgramFiles)
        for (const char* ending : {".new", ".old"})
            DeleteFileA((Installed(name) + ending).c_str());
    RemoveDirectoryA(Installed("licenses").c_str());
    RemoveDirectoryA(Folder().c_str());
    RemoveDirectoryA((Env("ProgramFiles") + "\\Qvoxline").c_str());
    DeleteFileA(Shortcut().c_str());
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
}

class Installer : public ::testing::Test {
  protected:
    // The rig's installation record is put back when the sequence ends.
    static void SetUpTestSuite() {
        saved_record_ = RegistryText(kAppKey, nullptr);
        RemoveInstallation();
    }
    static void TearDownTestSuite() {
        RemoveInstallation();
        HKEY key;
        if (saved_record_ != "<none>" &&
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(saved_record_.c_str()),
                           static_cast<DWORD>(saved_record_.size() + 1));
            RegCloseKey(key);
        }
    }
    static std::string saved_record_;
};
std::string Installer::saved_record_;

// Where no Access driver can create the database (a 64-bit Windows without
// the Access Database Engine), setup says so and ends with status 2.
TEST_F(Installer, Step0_WithoutAnAccessDriverSetupFails) {
    SetupRegistration none(nullptr);
    std::string output;
    EXPECT_EQ(RunProcess("\"" + SetupPath() + "\" /S", &output), 2u);
    EXPECT_NE(output.find("Pellam's database could not be created"), std::string::npos) << output;
    EXPECT_TRUE(Exists(Installed("Pellam.exe")));
    EXPECT_FALSE(Exists(Installed("Pellam.MDB")));
}

// With the driver, setup run again (or for the first time) makes the database.
TEST_F(Installer, Step1_SilentInstall) {
    double seconds = 0;
    ASSERT_EQ(RunProcess("\"" + SetupPath() + "\" /S", nullptr, &seconds), 0u);
    std::printf("silent install: %.1f s\n", seconds);
    for (const char* name : {"Pellam.exe", "Pellam_DLL.dll", "pellamctl.exe",
                             "licenses\\terminus-font-OFL.txt", "uninstall.exe"})
        EXPECT_TRUE(Exists(Installed(name))) << name;
    EXPECT_FALSE(Exists(Installed("pellam-db.exe"))); // used by the installer, not installed
    EXPECT_TRUE(Exists(Installed("Pellam.ldb")));     // the database's lock file, made by setup
    EXPECT_EQ(LeftOver(), "");
    EXPECT_EQ(RegistryText(kAppKey, nullptr), Installed("Pellam.exe"));
    EXPECT_EQ(ShortcutTarget(Shortcut()), Installed("Pellam.exe"));
    EXPECT_EQ(RegistryText(kUninstallKey, "DisplayName"), "Pellam Board");
    EXPECT_EQ(RegistryText(kUninstallKey, "DisplayVersion"), "0.6.7.7");
    EXPECT_EQ(RegistryText(kUninstallKey, "Publisher"), "Qvoxline Circuits");
    EXPECT_EQ(RegistryText(kUninstallKey, "UninstallString"),
              "\"" + Installed("uninstall.exe") + "\"");
    EXPECT_GT(std::stoul(RegistryText(kUninstallKey, "EstimatedSize")), 400u); // KB
    // The database, made through the driver, with both tables and no rows.
    EXPECT_TRUE(ExecOnTestCopy(Folder(), "SELECT * FROM Main"));
    EXPECT_TRUE(ExecOnTestCopy(Folder(), "SELECT * FROM RelayScripts"));
    EXPECT_TRUE(QueryTestCopy(Folder(), "SELECT * FROM Main").empty());
}

// While the 32-bit Pellam is installed (its entry in the 32-bit registry
// view), the 64-bit setup refuses with status 3 and changes nothing.
TEST_F(Installer, Step2_SetupRefusesBesideTheOtherArchitecture) {
#ifndef _WIN64
    // The x86 setup looks for the 64-bit Pellam only on 64-bit Windows, and
    // the 32-bit lane's Windows is 32-bit.
    GTEST_SKIP() << "a 32-bit Windows has no 64-bit Pellam";
#endif
    const std::string other = Env("ProgramFiles(x86)") + "\\Qvoxline\\Pellam";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                              KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                   static_cast<DWORD>(other.size() + 1));
    RegCloseKey(key);
    const std::string before = Contents(Installed("Pellam.exe"));
    std::string output;
    const unsigned long status = RunProcess("\"" + SetupPath() + "\" /S", &output);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
    EXPECT_EQ(status, 3u);
    EXPECT_NE(output.find("The 32-bit Pellam Board is installed in " + other), std::string::npos)
        << output;
    EXPECT_TRUE(Contents(Installed("Pellam.exe")) == before);
    EXPECT_EQ(RegistryText(kUninstallKey, "InstallLocation"), Folder());
}

// The installed program on its own: its record, its database, no rig. The
// board is simulated (Wine has no relay board): the simulated-board build
// of the library takes the real one's place beside the program.
TEST_F(Installer, Step3_InstalledProgramRegistersABoardAndSwitchesARelay) {
    ASSERT_TRUE(CopyFileA(WindowsPath(PELLAM_DIST_DIR "/sim/Pellam_DLL.dll").c_str(),
                          Installed("Pellam_DLL.dll").c_str(), FALSE));
    SimResetToDefault();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program{};
    std::string command = "\"" + Installed("Pellam.exe") + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               Env("TEMP").c_str(), &startup, &program));
    const DWORD id = program.dwProcessId;
    // A fresh database: the program opens Add Device first. Add the board.
    HWND add = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (add = TopWindowOf(id, "Add Device")) != nullptr; }, 10000));
    ASSERT_TRUE(PumpUntil(
        [&] { return SendDlgItemMessageA(add, IDC_ADD_LIST, LB_GETCOUNT, 0, 0) == 1; }, 5000));
    SendDlgItemMessageA(add, IDC_ADD_LIST, LB_SETCURSEL, 0, 0);
    PressButton(add, IDC_ADD_ADD);
    HWND main = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            main = TopWindowOf(id, "Qvoxline Circuits Pellam Board");
            return main && IsWindowVisible(main) && !TopWindowOf(id, "Add Device");
        },
        10000));
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_BOARD_BOX)), "8001 - USB  SWITCHDECK");
    PressButton(main, IDC_CONNECT);
    // Connected once the first poll has shown the board's firmware.
    ASSERT_TRUE(PumpUntil(
        [&] { return ControlText(GetDlgItem(main, IDC_FIRMWARE_VERSION)) == "0123"; }, 5000));
    EXPECT_EQ(ControlText(GetDlgItem(main, IDC_BUILD_NUMBER)), "0.6.7.7");
    // A click on relay 1's picture switches it to NO.
    HWND relay1 = GetDlgItem(main, IDC_RELAY1_PICTURE);
    PostMessageA(relay1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(relay1, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(PumpUntil([] { return SimRelayAtNo(1); }, 5000));
    // The installed command line sees the same board through the same library.
    std::string output;
    EXPECT_EQ(RunProcess("\"" + Installed("pellamctl.exe") + "\" status 8001 --json", &output), 0u)
        << output;
    EXPECT_NE(output.find("\"relays\":[\"NO\",\"NC\""), std::string::npos) << output;

    // Setup while the program runs: a silent one ends with status 4 and
    // changes nothing (the simulated library stays in place) ...
    const std::string library = Contents(Installed("Pellam_DLL.dll"));
    EXPECT_EQ(RunProcess("\"" + SetupPath() + "\" /S", &output), 4u);
    EXPECT_NE(output.find("These files of Pellam are in use:\r\n    Pellam.exe"), std::string::npos)
        << output;
    EXPECT_TRUE(Contents(Installed("Pellam_DLL.dll")) == library);
    // ... and one with its windows asks to close it, and goes on after Retry.
    STARTUPINFOA setup_startup{};
    setup_startup.cb = sizeof setup_startup;
    PROCESS_INFORMATION setup{};
    std::string setup_command = "\"" + SetupPath() + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &setup_command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &setup_startup, &setup));
    HWND setup_window = nullptr;
    EXPECT_TRUE(PumpUntil(
        [&] { return (setup_window = FindWindowOf(setup.dwProcessId, IsSetupWindow)); }, 20000));
    PressButton(setup_window, IDOK); // Install, on the folder page
    HWND box = nullptr;
    EXPECT_TRUE(
        PumpUntil([&] { return (box = FindWindowOf(setup.dwProcessId, IsMessageBox)); }, 20000));
    EXPECT_NE(ControlText(GetDlgItem(box, 0xFFFF)).find("in use:\r\n    Pellam.exe"),
              std::string::npos);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 10000), WAIT_OBJECT_0);
    DWORD status = 999;
    GetExitCodeProcess(program.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    PressButton(box, IDRETRY);
    // Done when the page's button reads Close. The bounds allow for an
    // emulated PC (the 32-bit lane), where the install takes a minute.
    constexpr DWORD kSetupBoundMs = 120000;
    HWND close = GetDlgItem(setup_window, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return ControlText(close) == "&Close" && IsWindowEnabled(close); },
                          kSetupBoundMs));
    PostMessageA(close, BM_CLICK, 0, 0);
    if (WaitForSingleObject(setup.hProcess, kSetupBoundMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "setup did not end";
        TerminateProcess(setup.hProcess, 1);
        WaitForSingleObject(setup.hProcess, 5000);
    }
    GetExitCodeProcess(setup.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(setup.hThread);
    CloseHandle(setup.hProcess);
    EXPECT_TRUE(Contents(Installed("Pellam_DLL.dll")) == Contents(Released("Pellam_DLL.dll")));
    const Rows rows = QueryTestCopy(Folder(), "SELECT PID, [DEFAULT] FROM Main");
    EXPECT_EQ(rows, (Rows{{"8001", "YES"}}));
}

// A replacement that fails at the last file (another program holds
// pellamctl.exe open without letting it be renamed) puts the files before it
// back: status 2, and the installation as it was.
TEST_F(Installer, Step4_AReplacementThatFailsHalfWayPutsEveryFileBack) {
    ASSERT_TRUE(CopyFileA(WindowsPath(PELLAM_DIST_DIR "/sim/Pellam_DLL.dll").c_str(),
                          Installed("Pellam_DLL.dll").c_str(), FALSE));
    const std::string program = Contents(Installed("Pellam.exe"));
    const std::string library = Contents(Installed("Pellam_DLL.dll"));
    HANDLE held =
        CreateFileA(Installed("pellamctl.exe").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string output;
    const unsigned long status = RunProcess("\"" + SetupPath() + "\" /S", &output);
    CloseHandle(held);
    EXPECT_EQ(status, 2u);
    EXPECT_NE(output.find("Setup could not replace Pellam's files (pellamctl.exe)"),
              std::string::npos)
        << output;
    EXPECT_TRUE(Contents(Installed("Pellam.exe")) == program);
    EXPECT_TRUE(Contents(Installed("Pellam_DLL.dll")) == library);
    EXPECT_EQ(LeftOver(), "");
}

TEST_F(Installer, Step5_SilentReinstallKeepsTheDatabase) {
    ASSERT_TRUE(ExecOnTestCopy(Folder(), "INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) "
                                         "VALUES ('8001','Kept','over a reinstall','000A01')"));
    double seconds = 0;
    ASSERT_EQ(RunProcess("\"" + SetupPath() + "\" /S", nullptr, &seconds), 0u);
    std::printf("silent reinstall: %.1f s\n", seconds);
    EXPECT_TRUE(Contents(Installed("Pellam_DLL.dll")) == Contents(Released("Pellam_DLL.dll")));
    EXPECT_EQ(LeftOver(), "");
    EXPECT_EQ(QueryTestCopy(Folder(), "SELECT PID, [DEFAULT] FROM Main"), (Rows{{"8001", "YES"}}));
    EXPECT_EQ(QueryTestCopy(Folder(), "SELECT NAME FROM RelayScripts"), (Rows{{"Kept"}}));
    EXPECT_EQ(RegistryText(kAppKey, nullptr), Installed("Pellam.exe"));
    // pellamctl finds the database through the record the installer wrote.
    std::string output;
    EXPECT_EQ(RunProcess("\"" + Installed("pellamctl.exe") + "\" scripts 8001", &output), 0u)
        << output;
    EXPECT_NE(output.find("  Kept  3 commands, 0:00:01  over a reinstall"), std::string::npos)
        << output;
}

// The uninstaller runs from a copy in the temporary folder, as it does
// itself when started from Add/Remove Programs; started this way it can be
// waited for.
TEST_F(Installer, Step6_SilentUninstallRemovesAllButTheDatabase) {
    const std::string copy = Env("TEMP") + "\\pellam-uninstall.exe";
    ASSERT_TRUE(CopyFileA(Installed("uninstall.exe").c_str(), copy.c_str(), FALSE));
    double seconds = 0;
    const DWORD status = RunProcess("\"" + copy + "\" /S _?=" + Folder(), nullptr, &seconds);
    DeleteFileA(copy.c_str());
    ASSERT_EQ(status, 0u);
    std::printf("silent uninstall: %.1f s\n", seconds);
    for (const char* name : {"Pellam.exe", "Pellam_DLL.dll", "pellamctl.exe", "licenses",
                             "uninstall.exe", "Pellam.ldb"})
        EXPECT_FALSE(Exists(Installed(name))) << name;
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_EQ(RegistryText(kAppKey, nullptr), "<none>");
    EXPECT_EQ(RegistryText(kUninstallKey, "DisplayName"), "<none>");
    EXPECT_EQ(QueryTestCopy(Folder(), "SELECT NAME FROM RelayScripts"), (Rows{{"Kept"}}));
}

} // namespace

// Without a release there is nothing to test (ctest reports it skipped).
int main(int argc, char** argv) {
    if (!Exists(SetupPath())) {
        std::printf("%s is missing: run tools/package.sh first\n", SetupPath().c_str());
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
