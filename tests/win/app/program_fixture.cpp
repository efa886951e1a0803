#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "db/database.h"

#include <commctrl.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>

std::string WindowsPath(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void TestDatabase::Create() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "pellam-test-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    const std::string empty = WindowsPath(PELLAM_RIG_DIR "/empty.MDB");
    ASSERT_TRUE(CopyFileA(empty.c_str(), (folder_ + "\\Pellam.MDB").c_str(), FALSE)) << empty;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string exe = folder_ + "\\Pellam.exe";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                   static_cast<DWORD>(exe.size() + 1));
    RegCloseKey(key);
}

void TestDatabase::Remove() {
    DeleteFileA((folder_ + "\\Pellam.MDB").c_str());
    RemoveDirectoryA(folder_.c_str());
}

namespace {

// Runs one statement on a connection of its own; calls read(stmt) for rows.
template <typename Read> bool WithStatement(const std::string& folder, const std::string& sql, Read read) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    bool ok = false;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connect = "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=" + folder + "\\Pellam.MDB";
    if (Succeeded(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&connect[0]), SQL_NTS, nullptr, 0,
                                   nullptr, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        ok = Succeeded(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS));
        if (ok) read(stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return ok;
}

} // namespace

bool TestDatabase::Exec(const std::string& sql) {
    return WithStatement(folder_, sql, [](SQLHSTMT) {});
}

Rows TestDatabase::Query(const std::string& sql) {
    Rows rows;
    WithStatement(folder_, sql, [&rows](SQLHSTMT stmt) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        while (Succeeded(SQLFetch(stmt))) {
            std::vector<std::string> row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                char value[2048] = "";
                SQLLEN length = 0;
                SQLGetData(stmt, c, SQL_C_CHAR, value, sizeof value, &length);
                row.push_back(length == SQL_NULL_DATA ? "<null>" : value);
            }
            rows.push_back(row);
        }
    });
    return rows;
}

void ProgramTest::SetUp() {
    SimResetToDefault();
    db.Create();
}

void ProgramTest::TearDown() {
    if (window && IsWindow(window)) DestroyWindow(window);
    CloseDatabase();
    db.Remove();
    SimResetToDefault();
}

HWND ProgramTest::Start() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    RegisterMainWindowClass(instance);
    window = CreateMainWindow(instance);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND ProgramTest::Item(int id) const { return GetDlgItem(window, id); }

HBITMAP ProgramTest::PictureShown(int id) const {
    return reinterpret_cast<HBITMAP>(SendMessageA(Item(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

void ProgramTest::AddBoardRow(const std::string& pid, const std::string& is_default) {
    std::string quoted;
    for (char c : pid) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    ASSERT_TRUE(db.Exec("INSERT INTO Main (VID,PID,[DEFAULT]) VALUES ('0000','" + quoted + "','" + is_default + "')"));
}

void ProgramTest::Click(int id) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

bool ProgramTest::ConnectAndPoll() {
    Click(1006);
    return PumpUntil([] { return g_connection.board_ready == 1; }, 3000);
}
