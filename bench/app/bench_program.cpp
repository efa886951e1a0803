#include "bench/app/bench_program.h"

#include "app/relay_panel.h"
#include "app/main_window.h"
#include "db/database.h"
#include "grid/grid_messages.h"
#include "tests/win/app/test_install.h"
#include "tools/boardsim/sim_store.h"

#include <commctrl.h>

#include <memory>

namespace {

// The rig's installation record, put back when the benchmark stops.
std::unique_ptr<InstallRecordGuard> g_install_record;

} // namespace

HWND StartConnectedProgram(std::string* folder) {
    SimResetToDefault();
    g_install_record = std::make_unique<InstallRecordGuard>();
    *folder = InstallTestCopy();
    if (folder->empty()) return nullptr;
    ExecOnTestCopy(*folder,
                   "INSERT INTO Main (VID,PID,[DEFAULT],RELAY1NAME,RELAY1NC,RELAY1NO,RELAY1NOTES) "
                   "VALUES ('0000','8001','YES','Pump','Stopped','Running','Main water pump')");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterGridClasses(instance);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterMainWindowClass(instance);
    HWND window = CreateMainWindow(instance);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    Connect();
    return window;
}

void StopProgram(HWND window, const std::string& folder) {
    DestroyWindow(window);
    CloseDatabase();
    RemoveTestCopy(folder);
    g_install_record.reset();
    SimResetToDefault();
}
