#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/session.h"
#include "app/main_window.h"
#include "db/database.h"
#include "grid/grid_messages.h"

#include <commctrl.h>

#include <cstdio>

void TestDatabase::Create() {
    folder_ = InstallTestCopy();
    ASSERT_FALSE(folder_.empty()) << "no test installation";
}

void TestDatabase::Remove() {
    RemoveTestCopy(folder_);
}

bool TestDatabase::Exec(const std::string& sql) {
    return ExecOnTestCopy(folder_, sql);
}

Rows TestDatabase::Query(const std::string& sql) {
    return QueryTestCopy(folder_, sql);
}

void ProgramTest::SetUp() {
    board.Reset();
    db.Create();
}

void ProgramTest::TearDown() {
    if (window && IsWindow(window)) DestroyWindow(window);
    CloseDatabase();
    db.Remove();
    board.Reset();
}

HWND ProgramTest::Start() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterGridClasses(instance);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    RegisterMainWindowClass(instance);
    window = CreateMainWindow(instance);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND ProgramTest::Item(int id) const {
    return GetDlgItem(window, id);
}

HBITMAP ProgramTest::PictureShown(int id) const {
    return reinterpret_cast<HBITMAP>(SendMessageA(Item(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

void ProgramTest::AddBoardRow(const std::string& pid, const std::string& is_default) {
    std::string quoted;
    for (char c : pid)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    ASSERT_TRUE(db.Exec("INSERT INTO Main (VID,PID,[DEFAULT]) VALUES ('0000','" + quoted + "','" +
                        is_default + "')"));
}

void ProgramTest::Click(int id) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(id)));
}

bool ProgramTest::ConnectAndPoll() {
    Click(1006);
    return PumpUntil([] { return g_session.board_ready == 1; }, 3000);
}
