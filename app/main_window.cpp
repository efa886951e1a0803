#include "app/main_window.h"

#include "about/about_dialog.h"
#include "about/credits_animation.h"
#include "app/app_state.h"
#include "app/board_box.h"
#include "app/relay_panel.h"
#include "app/relay_pictures.h"
#include "app/session.h"
#include "app/status_bar.h"
#include "common/dpi.h"
#include "common/error_box.h"
#include "common/static_colour.h"
#include "common/system/version.h"
#include "common/text_helpers.h"
#include "db/database.h"
#include "dialogs/edit_relay.h"
#include "dialogs/relay_options.h"
#include "resources/resource_ids.h"
#include "scripts/script_list.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

MainWindowState g_main;

namespace {

const char kWindowClass[] = "DLGCLASS";
constexpr size_t kVersionBlockSize = 64;

// The current year over the closing year of both credit texts (the maker's
// line of the status bar and of the About box); they keep their lengths.
void WriteCurrentYear() {
    char year[8] = "2026";
    const bool known =
        GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "yyyy", year, sizeof year) == 5;
    MakerLine(known ? year : "2026", g_main.maker_line);
    if (known) WriteCreditYear(g_main.about_credit, year);
}

// The database at start-up: without the installation record or the file
// the program ends; without a connection it goes on, and every action that
// needs the database says so.
bool OpenTheDatabase(HWND window) {
    switch (LocateDatabase()) {
    case LocateResult::kNotInstalled:
        MessageBoxA(window, "Pogram not installed properly! Please run installer again.", nullptr,
                    MB_OK | MB_ICONERROR);
        return false;
    case LocateResult::kNotFound:
        MessageBoxA(window, "Shazbot !  Database not found!", "Database Error",
                    MB_OK | MB_ICONERROR);
        return false;
    case LocateResult::kFound:
        break;
    }
    const char* failure = nullptr;
    switch (OpenDatabase()) {
    case OpenResult::kOpen:
        break;
    case OpenResult::kNoEnvironment:
        failure = "Environment handle allocation failed";
        break;
    case OpenResult::kNoOdbcVersion:
        failure = "Cannot set desired ODBC version";
        break;
    case OpenResult::kNoConnectionHandle:
        failure = "Connection handle allocation failed";
        break;
    case OpenResult::kNotConnected:
        failure = "Connection attempt failed";
        break;
    }
    if (failure) MessageBoxA(window, failure, kErrorCaption, MB_OK | MB_ICONERROR);
    return true;
}

void SetUp(HWND window) {
    g_main.window = window;
    FindPanelControls();
    if (!OpenTheDatabase(window)) {
        DestroyWindow(window);
        return;
    }
    FillBoardBox();
    g_main.icon = LoadIconA(g_main.instance, MAKEINTRESOURCEA(IDI_PELLAM));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_main.icon));
    // The pictures of the window's set, the logo among them.
    for (int id = IDB_RELAY_NC; id <= IDB_RELAY_BLANK; ++id)
        g_main.images[id - IDB_RELAY_NC] = LoadPictureForDialog(window, id);
    ShowTemplatePictureForDialog(window, IDC_LOGO, IDB_LOGO);
    // The pictures show the loaded images from now on (the disconnected state).
    BlankRelayPictures();
    ShowReadyIndicator(false);
    WriteCurrentYear();
    CreateMainStatusBar();
    SubclassPictures();
    g_main.arrow = LoadCursorA(nullptr, IDC_ARROW);
    g_main.hand = LoadCursorA(g_main.instance, MAKEINTRESOURCEA(IDR_HAND_CURSOR));
    SetTimer(window, kCreditTimer, kCreditPeriodMs, nullptr);
    ReadBuildNumber(g_main.build_text, sizeof g_main.build_text);
    SetDlgItemTextA(window, IDC_BUILD_NUMBER, g_main.build_text);
}

// The list takes the board selected now; a save or delete there shows in
// the window at once.
void ShowRelayScripts() {
    ReadBoardSelection();
    ScriptListRequest request{};
    CopyTextBounded(g_session.board_id_text, request.board_id_text, sizeof request.board_id_text);
    request.board_id = g_session.board_id;
    request.relays = g_session.record.relays;
    if (OpenRelayScriptsList(g_main.instance, g_main.window, request)) RefreshRelayLabels();
}

// Edit Relay shows the connected board's record; after a save the window
// shows the new names at once. Its "Relay Scripts" button opens the list
// only once Edit Relay has gone, owned by the main window like every list.
void EditRelay(int relay) {
    // Blanks are never offered as the stored settings: without a row read
    // since Connect, one more read decides.
    if (!g_session.record_loaded && !ReloadBoardRecord()) {
        ShowDatabaseError(g_main.window, "The relay settings could not be read.",
                          g_session.last_row_read.failure);
        return;
    }
    EditRelayRequest request{};
    request.relay = relay;
    CopyTextBounded(g_session.board_id_text, request.board_id_text, sizeof request.board_id_text);
    request.settings = g_session.record.relays[relay - 1];
    switch (OpenEditRelayDialog(g_main.instance, g_main.window, request)) {
    case EditRelayResult::kSaved:
        RefreshRelayLabels();
        break;
    case EditRelayResult::kOpenScripts:
        ShowRelayScripts();
        SetFocus(g_main.window);
        break;
    case EditRelayResult::kClosed:
        break;
    }
}

void ShowRelayOptions() {
    const RelayOptionsRequest request{g_session.connected != 0, g_session.board_id,
                                      g_session.led_mask, g_main.icon};
    OpenRelayOptionsDialog(g_main.instance, g_main.window, request);
}

void AddDevice() {
    Disconnect();
    AddBoard(kAddDeviceNormal);
}

void ShowAbout() {
    Disconnect();
    const AboutRequest request{&g_main.about_animation, g_main.about_credit.text,
                               g_main.build_text};
    OpenAboutDialog(g_main.instance, g_main.window, request);
}

void Exit() {
    DestroyWindow(g_main.window);
}

// The buttons and menu commands: one line each.
struct Command {
    int id;
    void (*run)();
};
const Command kCommands[] = {
    {IDC_CONNECT, Connect},
    {IDC_DISCONNECT, Disconnect},
    {IDC_EXIT, Exit},
    {IDM_EXIT, Exit},
    {IDC_ADD_DEVICE, AddDevice},
    {IDC_SET_DEFAULT, SetDefaultBoard},
    {IDC_DELETE_DEVICE, DeleteBoard},
    {IDC_RELAY_SCRIPTS, ShowRelayScripts},
    {IDM_RELAY_OPTIONS, ShowRelayOptions},
    {IDM_ABOUT, ShowAbout},
};

void OnCommand(int id, int code) {
    // Opening the board box's list disconnects; its other notifications do nothing.
    if (id == IDC_BOARD_BOX) {
        if (code == CBN_DROPDOWN) Disconnect();
        return;
    }
    if (id >= IDC_RELAY1_EDIT && id < IDC_RELAY1_EDIT + kRelayCount) {
        EditRelay(id - IDC_RELAY1_EDIT + 1);
        return;
    }
    for (const Command& command : kCommands)
        if (command.id == id) command.run();
}

void OnTimer(UINT_PTR id) {
    switch (id) {
    case kCreditTimer:
        AdvanceCreditLine();
        break;
    case kProgressTimer:
        AdvanceProgressText();
        break;
    case kPollTimer:
        PollBoard();
        break;
    case kTooltipTimer:
        RefreshTooltips();
        break;
    default:
        break;
    }
}

// Relay names dark green, group frames blue, contact labels red, all on the
// button face; everything else keeps the system colours.
INT_PTR OnStaticColour(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    COLORREF colour;
    if (id >= IDC_RELAY1_NAME && id < IDC_RELAY1_NAME + kRelayCount)
        colour = RGB(0, 143, 0);
    else if (id >= IDC_RELAY1_GROUP && id < IDC_RELAY1_GROUP + kRelayCount)
        colour = RGB(0, 0, 255);
    else if (id >= IDC_RELAY1_LABEL && id < IDC_RELAY1_LABEL + kRelayCount)
        colour = RGB(255, 0, 0);
    else
        return FALSE;
    return ColouredStaticText(dc, colour);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        SetUp(window);
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(w), HIWORD(w));
        return TRUE;
    case WM_TIMER:
        OnTimer(w);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnStaticColour(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindow(HINSTANCE instance) {
    g_main.instance = instance;
    HWND window =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
    return IsWindow(window) ? window : nullptr;
}

void ReadBuildNumber(char* out, int capacity) {
    out[0] = 0;
    char path[MAX_PATH];
    if (!GetModuleFileNameA(nullptr, path, sizeof path)) return;
    DWORD ignored = 0;
    const DWORD size = VersionDll().GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return;
    std::vector<char> info(size);
    if (!VersionDll().GetFileVersionInfoA(path, 0, size, info.data())) return;
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VersionDll().VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                                     reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return;
    char block[kVersionBlockSize];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\FileVersion", translation[0],
                  translation[1]);
    char* version = nullptr;
    if (VersionDll().VerQueryValueA(info.data(), block, reinterpret_cast<void**>(&version),
                                    &length) &&
        version)
        CopyTextBounded(version, out, static_cast<size_t>(capacity));
}
