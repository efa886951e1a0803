// The program's windows on a display at 150 % (144 DPI): in the main window
// and in every dialog, each visible control lies inside its parent and its
// text fits in it, and the pictures are those drawn for 150 %. Wine takes
// the display's resolution from the registry when a process starts, so the
// test runs itself again in a process started at 144 DPI, and puts the
// prefix back to 96 DPI.
#include "tests/win/app/program_fixture.h"

#include "app/app_state.h"
#include "common/dpi.h"
#include "grid/grid_messages.h"
#include "resources/resource_ids.h"

#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTestDpi = 144;
const char kChildMark[] = "PELLAM_DISPLAY_SCALE_CHILD";

bool InChild() {
    return std::getenv(kChildMark) != nullptr;
}

void SetPrefixDpi(DWORD dpi) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    RegCloseKey(key);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text's extent in the control's font: on one line, or broken into
// lines `width` wide.
SIZE TextExtent(HWND control, const std::string& text, int width = 0) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), -1, &r, flags);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// What of `control` is cut off: by its parent's client area, or in its own
// text. Empty when it is whole.
std::string Clipping(HWND control) {
    HWND parent = GetParent(control);
    RECT bounds, inner, client;
    GetClientRect(parent, &bounds);
    GetWindowRect(control, &inner);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inner), 2);
    if (inner.left < 0 || inner.top < 0 || inner.right > bounds.right ||
        inner.bottom > bounds.bottom)
        return "outside its parent";
    GetClientRect(control, &client);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const std::string name = ClassOf(control), text = WindowText(control);
    if (text.empty()) return "";
    SIZE need{0, 0};
    if (name == "Static" && (style & SS_TYPEMASK) <= SS_RIGHT) {
        need = TextExtent(control, text, client.right);
    } else if (name == "Button") {
        need = TextExtent(control, text);
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX)
            need.cx += GetSystemMetrics(SM_CXMENUCHECK) + 2;
        else
            need.cx += 2 * GetSystemMetrics(SM_CXEDGE); // the frame of a button or group
    } else {
        return "";
    }
    if (need.cx > client.right || need.cy > client.bottom)
        return "text \"" + text + "\" needs " + std::to_string(need.cx) + " x " +
               std::to_string(need.cy) + ", has " + std::to_string(client.right) + " x " +
               std::to_string(client.bottom);
    return "";
}

// EnumChildWindows calls back with the system's calling convention
// (__stdcall on x86), which a lambda does not have.
BOOL CALLBACK NoteClipped(HWND control, LPARAM found_address) {
    auto* found = reinterpret_cast<std::vector<std::string>*>(found_address);
    if (!IsWindowVisible(control) || ClassOf(GetParent(control)) == "CellGrid") return TRUE;
    const std::string why = Clipping(control);
    if (!why.empty())
        found->push_back(ClassOf(control) + " " + std::to_string(GetDlgCtrlID(control)) + ": " +
                         why);
    return TRUE;
}

// Every visible control of `window` that is cut off, with the reason. The
// grid's own parts are the grid's concern (its header is wider on purpose).
std::vector<std::string> ClippedControls(HWND window) {
    std::vector<std::string> found;
    EnumChildWindows(window, NoteClipped, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// The picture a control shows is picture `id` drawn for 150 %, and the
// control shows all of it.
void ExpectPictureAt150(HWND control, int id) {
    HBITMAP base = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    const SIZE at100 = BitmapSize(base);
    DeleteObject(base);
    const SIZE shown =
        BitmapSize(reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    EXPECT_EQ(shown.cx, std::lround(at100.cx * 1.5)) << "picture " << id;
    EXPECT_EQ(shown.cy, std::lround(at100.cy * 1.5)) << "picture " << id;
    RECT client;
    GetClientRect(control, &client);
    EXPECT_GE(client.right, shown.cx) << "picture " << id;
    EXPECT_GE(client.bottom, shown.cy) << "picture " << id;
}

class DisplayAt150 : public ProgramTest {
  protected:
    void SetUp() override {
        if (!InChild()) return;
        // The resolution is taken now; the prefix goes back to 96 DPI at
        // once, so that nothing else starts at 144.
        dpi = DisplayDpi();
        GetSystemMetrics(SM_CXICON);
        SetPrefixDpi(kDesignDpi);
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_TRUE(db.Exec("UPDATE Main SET RELAY1NAME='Pump', RELAY1NC='Stopped', "
                            "RELAY1NO='Running', RELAY3NAME='Hall Lamp', RELAY3NC='Off'"));
        ASSERT_TRUE(db.Exec("INSERT INTO RelayScripts (PID,NAME,DESCRIPTION,COMMANDS) VALUES "
                            "('8001','Morning','Start the pump, then stop it','0001')"));
        ASSERT_NE(Start(), nullptr);
        ASSERT_TRUE(ConnectAndPoll());
    }
    void TearDown() override {
        if (InChild()) ProgramTest::TearDown();
    }
    // Runs this test again in a process started at 144 DPI; its result is
    // this test's.
    void RunAt144() {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        std::string command = std::string("\"") + path + "\" --gtest_filter=DisplayAt150.*";
        STARTUPINFOA start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION process{};
        SetPrefixDpi(kTestDpi);
        SetEnvironmentVariableA(kChildMark, "1");
        const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &start, &process);
        SetEnvironmentVariableA(kChildMark, nullptr);
        DWORD status = 1;
        if (started) {
            WaitForSingleObject(process.hProcess, 100000);
            GetExitCodeProcess(process.hProcess, &status);
            TerminateProcess(process.hProcess, 1); // still running after the wait: failed
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        SetPrefixDpi(kDesignDpi);
        ASSERT_TRUE(started);
        EXPECT_EQ(status, 0u) << "the test at 144 DPI failed (its output is above)";
    }
    // Opens a dialog with `open`; `check` gets it once it is up, then it is
    // closed by `close` (a button of it, or WM_CLOSE when 0).
    void WithDialog(const std::function<void()>& open, const std::function<void(HWND)>& check,
                    int close = IDCANCEL) {
        boxes.Queue([check, close](HWND dialog, const SeenBox&) {
            check(dialog);
            if (close)
                PressButton(dialog, close);
            else
                PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        open();
    }

    int dpi = 0;
};

TEST_F(DisplayAt150, EveryWindowIsWholeAndShowsThePicturesFor150Percent) {
    if (!InChild()) return RunAt144();
    ASSERT_EQ(dpi, kTestDpi);

    // The main window, connected: relay pictures, logo, ready indicator,
    // status bar parts.
    EXPECT_EQ(Joined(ClippedControls(window)), "");
    for (int n = 0; n < 5; ++n)
        ExpectPictureAt150(Item(IDC_RELAY1_PICTURE + n), IDB_RELAY_NC); // all at NC
    ExpectPictureAt150(Item(IDC_LOGO), IDB_LOGO);
    ExpectPictureAt150(Item(IDC_READY_INDICATOR), IDB_READY);
    HWND status = Item(IDC_STATUS_BAR);
    for (int part = 0; part < 3; ++part) {
        RECT r{};
        SendMessageA(status, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r));
        EXPECT_LE(TextExtent(status, StatusPart(status, part)).cx, r.right - r.left)
            << "status bar part " << part;
    }

    // Every dialog the main window opens.
    WithDialog([this] { Click(IDC_ADD_DEVICE); },
               [](HWND d) { EXPECT_EQ(Joined(ClippedControls(d)), "") << "Add Device"; });
    ASSERT_TRUE(ConnectAndPoll());
    WithDialog([this] { Click(IDC_RELAY1_EDIT); },
               [](HWND d) {
                   EXPECT_EQ(Joined(ClippedControls(d)), "") << "Edit Relay";
                   ExpectPictureAt150(GetDlgItem(d, IDC_EDIT_PICTURE), IDB_EDIT_RELAY);
               });
    WithDialog([this] { SendMessageA(window, WM_COMMAND, IDM_RELAY_OPTIONS, 0); },
               [](HWND d) { EXPECT_EQ(Joined(ClippedControls(d)), "") << "Relay Board Options"; });
    WithDialog([this] { Click(IDC_RELAY_SCRIPTS); },
               [](HWND d) {
                   EXPECT_EQ(Joined(ClippedControls(d)), "") << "Relay Scripts";
                   ExpectPictureAt150(GetDlgItem(d, IDC_LIST_PICTURE), IDB_SCRIPTS);
                   // The grid shows its six columns whole, its header holds
                   // their names, its rows a line of text and the buttons'
                   // images, which are those for 150 %.
                   HWND grid = GetDlgItem(d, IDC_LIST_GRID);
                   RECT client;
                   GetClientRect(grid, &client);
                   LRESULT widths = 0;
                   for (int column = 0; column < 6; ++column)
                       widths += SendMessageA(grid, GRM_GETCOLUMNWIDTH, column, 0);
                   EXPECT_LE(widths, client.right);
                   const SIZE name = TextExtent(grid, "Execute");
                   EXPECT_LE(name.cx + 6, SendMessageA(grid, GRM_GETCOLUMNWIDTH, 5, 0));
                   EXPECT_GE(SendMessageA(grid, GRM_GETHEADERHEIGHT, 0, 0), name.cy + 2);
                   GRIDCOLUMN edit{};
                   SendMessageA(grid, GRM_GETCOLUMN, 3, reinterpret_cast<LPARAM>(&edit));
                   int cx = 0, cy = 0;
                   ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(edit.extra), &cx, &cy);
                   EXPECT_EQ(cx, 24);
                   EXPECT_EQ(cy, 24);
                   const LRESULT row = SendMessageA(grid, GRM_GETROWHEIGHT, 0, 0);
                   EXPECT_GE(row, cy + 2);
                   EXPECT_GE(row, name.cy + 2);
               },
               IDC_LIST_CLOSE);
    // The editor, from the list's Add Relay Script; Cancel brings the list
    // back, which is closed in turn.
    boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_ADD); });
    boxes.Queue([](HWND editor, const SeenBox&) {
        EXPECT_EQ(Joined(ClippedControls(editor)), "") << "script editor";
        PressButton(editor, IDC_EDITOR_CANCEL);
    });
    boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); });
    Click(IDC_RELAY_SCRIPTS);
    // The executor, from the list's Execute cell and its question.
    boxes.Queue([](HWND list, const SeenBox&) {
        HWND grid = GetDlgItem(list, IDC_LIST_GRID);
        SendMessageA(grid, GRM_SETCURRENTCELL, 5, 0);
        SendMessageA(FindWindowExA(grid, nullptr, "CellRows", nullptr), WM_CHAR, 'x', 0);
    });
    boxes.QueueButton(IDYES);
    boxes.Queue([](HWND executor, const SeenBox&) {
        // Closed once the run (two relay commands, no delay) has ended.
        EXPECT_TRUE(PumpUntil(
            [executor] {
                return WindowText(GetDlgItem(executor, IDC_EXECUTOR_LOG)).find("Executed.") !=
                       std::string::npos;
            },
            5000));
        EXPECT_EQ(Joined(ClippedControls(executor)), "") << "executor";
        PressButton(executor, IDC_EXECUTOR_CLOSE);
    });
    boxes.Queue([](HWND list, const SeenBox&) { PressButton(list, IDC_LIST_CLOSE); });
    Click(IDC_RELAY_SCRIPTS);

    // The About box: the animation fills the dialog (its bottom right
    // corner is drawn from the scaled frame, not left in the dialog's grey).
    WithDialog([this] { SendMessageA(window, WM_COMMAND, IDM_ABOUT, 0); },
               [](HWND d) {
                   PumpFor(200);
                   RECT client;
                   GetClientRect(d, &client);
                   HDC dc = GetDC(d);
                   const COLORREF corner = GetPixel(dc, client.right - 2, client.bottom - 2);
                   ReleaseDC(d, dc);
                   EXPECT_NE(corner, GetSysColor(COLOR_BTNFACE));
               },
               0);
    // Each window above was opened and looked at, and nothing else opened.
    std::string captions;
    for (const SeenBox& seen : boxes.seen())
        captions += seen.caption + "|";
    EXPECT_EQ(captions, "Add Device| Edit Relay 1|Relay Board Options|Relay Scripts|Relay Scripts|"
                        "ADD New Relay Script|Relay Scripts|Relay Scripts|  Pellam Board|"
                        "Execute Relay Script|Relay Scripts|About Qvoxline Relay Board|");
}

} // namespace
