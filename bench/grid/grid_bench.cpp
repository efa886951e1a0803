// Times the CellGrid against a report-mode ListView (comctl32) on the same
// work: adding 65,536 rows in the Relay Scripts column layout, sorting them
// by the Name text column, and painting one full page (the median of 20
// paints). Run under Wine:
//   wine build/win/bin/grid_bench.exe [repetitions] [rows]
#include "grid/grid_messages.h"

#include <commctrl.h>
#include <windows.h>

#include "bench/common/bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

int kRows = 65536; // second argument: fewer rows for a quick look
constexpr int kPaints = 20;

struct Script {
    char id[8];
    std::string name, description, commands;
};
std::vector<Script> g_scripts;

double Now() {
    return NowUs() / 1e6;
}

// The one comparison both controls sort with: bytes, a..z folded.
int CompareNames(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y || x == 0) return x - y;
    }
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COMPAREITEM) {
        const COMPAREITEMSTRUCT* c = reinterpret_cast<const COMPAREITEMSTRUCT*>(l);
        return CompareNames(reinterpret_cast<const char*>(c->itemData1),
                            reinterpret_cast<const char*>(c->itemData2));
    }
    return DefWindowProcA(window, message, w, l);
}

int CALLBACK ListCompare(LPARAM a, LPARAM b, LPARAM) {
    return CompareNames(g_scripts[a].name.c_str(), g_scripts[b].name.c_str());
}

std::string RandomText(std::mt19937& random, int length) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ  ";
    std::string s;
    for (int i = 0; i < length; ++i)
        s.push_back(letters[random() % (sizeof letters - 1)]);
    return s;
}

const int kWidths[7] = {40, 175, 326, 50, 50, 50, 0};
const int kTypes[7] = {GCT_DATA, GCT_DATA, GCT_DATA, GCT_IMAGE, GCT_IMAGE, GCT_IMAGE, GCT_DATA};
const int kSizes[7] = {5, 149, 249, 0, 0, 0, 128};
const char* kHeaders[7] = {"ID", "Name", "Description", "Edit", "Delete", "Execute", ""};

struct Times {
    double add = 0, sort = 0, paint = 0;
};

// The median of kPaints full repaints: on a shared machine a paint that
// is preempted would otherwise weigh on the mean of so few.
double PaintTime(HWND window) {
    double times[kPaints];
    for (double& t : times) {
        double start = Now();
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        t = Now() - start;
    }
    std::sort(times, times + kPaints);
    return (times[kPaints / 2 - 1] + times[kPaints / 2]) / 2;
}

Times RunGrid(HWND parent, HIMAGELIST images) {
    HWND grid = CreateWindowExA(
        WS_EX_CLIENTEDGE, "CellGrid", "",
        WS_CHILD | WS_VISIBLE | GRS_NOSELCOLOR | GRS_HLINES | GRS_VLINES | GRS_INERTHEADER, 0, 0,
        760, 600, parent, reinterpret_cast<HMENU>(140), nullptr, nullptr);
    SendMessageA(grid, GRM_SETBACKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(grid, GRM_SETLINECOLOR, RGB(128, 128, 128), 0);
    SendMessageA(grid, GRM_SETTEXTCOLOR, RGB(0, 0, 128), 0);
    SendMessageA(grid, GRM_SETROWHEIGHT, 0, 20);
    for (int c = 0; c < 7; ++c) {
        AddGridColumn(grid, kTypes[c], kWidths[c], kHeaders[c],
                      c == 1 || c == 2 || c == 6 ? GCA_LEFT : GCA_CENTER, kSizes[c], nullptr,
                      c >= 3 ? reinterpret_cast<uintptr_t>(images) : 0);
    }
    Times t;
    // As the Relay Scripts list does: each text in a zero-filled buffer at
    // least as large as its column.
    char id[32], name[149], description[249], commands[128];
    double start = Now();
    for (const Script& s : g_scripts) {
        std::memset(id, 0, sizeof id);
        std::memset(name, 0, sizeof name);
        std::memset(description, 0, sizeof description);
        std::memset(commands, 0, sizeof commands);
        std::strcpy(id, s.id);
        std::strcpy(name, s.name.c_str());
        std::strcpy(description, s.description.c_str());
        std::strcpy(commands, s.commands.c_str());
        intptr_t row[7] = {reinterpret_cast<intptr_t>(id),
                           reinterpret_cast<intptr_t>(name),
                           reinterpret_cast<intptr_t>(description),
                           2,
                           1,
                           0,
                           reinterpret_cast<intptr_t>(commands)};
        SendMessageA(grid, GRM_ADDROW, 0, reinterpret_cast<LPARAM>(row));
    }
    t.add = Now() - start;
    std::printf("  grid add %.1f ms\n", t.add * 1e3);
    std::fflush(stdout);
    if (SendMessageA(grid, GRM_GETROWCOUNT, 0, 0) != kRows) std::printf("grid: rows missing\n");
    start = Now();
    SendMessageA(grid, GRM_SORTCOLUMN, 1, 0);
    t.sort = Now() - start;
    HWND rows = FindWindowExA(grid, nullptr, "CellRows", nullptr);
    UpdateWindow(grid);
    t.paint = PaintTime(rows);
    // Check the order the sort left.
    char a[149], b[149];
    for (int r = 1; r < kRows; r += 997) {
        SendMessageA(grid, GRM_GETCELLDATA, GridCell(1, r - 1), reinterpret_cast<LPARAM>(a));
        SendMessageA(grid, GRM_GETCELLDATA, GridCell(1, r), reinterpret_cast<LPARAM>(b));
        if (CompareNames(a, b) > 0) std::printf("grid: rows %d/%d out of order\n", r - 1, r);
    }
    DestroyWindow(grid);
    return t;
}

// quiet: the usual bulk-load practice, WM_SETREDRAW off while adding and
// sorting; otherwise every insertion updates the list's scroll bar at once.
Times RunListView(HWND parent, HIMAGELIST images, bool quiet) {
    // The image list is shared: the list must not destroy it with itself,
    // or later repetitions would draw from a freed list.
    HWND list = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 0, 0, 760,
        600, parent, reinterpret_cast<HMENU>(141), nullptr, nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    for (int c = 0; c < 7; ++c) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = c == 1 || c == 2 || c == 6 ? LVCFMT_LEFT : LVCFMT_CENTER;
        col.cx = kWidths[c];
        col.pszText = const_cast<char*>(kHeaders[c]);
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
    }
    Times t;
    double start = Now();
    if (quiet) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < kRows; ++i) {
        const Script& s = g_scripts[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<char*>(s.id);
        item.lParam = i;
        int at = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        const char* texts[3] = {s.name.c_str(), s.description.c_str(), nullptr};
        for (int c = 1; c <= 6; ++c) {
            LVITEMA sub{};
            sub.iSubItem = c;
            if (c <= 2) {
                sub.mask = LVIF_TEXT;
                sub.pszText = const_cast<char*>(texts[c - 1]);
            } else if (c <= 5) {
                sub.mask = LVIF_IMAGE;
                sub.iImage = 5 - c; // 2, 1, 0
            } else {
                sub.mask = LVIF_TEXT;
                sub.pszText = const_cast<char*>(s.commands.c_str());
            }
            sub.iItem = at;
            SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&sub));
        }
    }
    t.add = Now() - start;
    std::printf("  list add %.1f ms\n", t.add * 1e3);
    std::fflush(stdout);
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != kRows) std::printf("list: rows missing\n");
    start = Now();
    SendMessageA(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(ListCompare));
    t.sort = Now() - start;
    if (quiet) SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(list);
    t.paint = PaintTime(list);
    DestroyWindow(list);
    return t;
}

} // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 1;
    if (argc > 2) kRows = std::clamp(std::atoi(argv[2]), 2, 65536);
    // Third argument "plain": also time the ListView without WM_SETREDRAW
    // (slow under Wine: minutes for 65,536 rows).
    bool plain = argc > 3 && std::strcmp(argv[3], "plain") == 0;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterGridClasses(instance);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = instance;
    wc.lpszClassName = "GridBench";
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(0, "GridBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 780, 620,
                                  nullptr, nullptr, instance, nullptr);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 3, 0);
    HBITMAP strip = CreateBitmap(48, 16, 1, 32, nullptr);
    ImageList_AddMasked(images, strip, RGB(255, 255, 255));
    DeleteObject(strip);

    std::mt19937 random(7);
    g_scripts.resize(kRows);
    for (int i = 0; i < kRows; ++i) {
        Script& s = g_scripts[i];
        std::snprintf(s.id, sizeof s.id, "%d", (i * 7919) % 10000);
        s.name = RandomText(random, 5 + static_cast<int>(random() % 15));
        s.description = RandomText(random, 20 + static_cast<int>(random() % 40));
        s.commands = RandomText(random, 40);
    }
    std::printf("%d rows\n", kRows);
    for (int r = 0; r < repetitions; ++r) {
        Times g = RunGrid(parent, images);
        Times q = RunListView(parent, images, true);
        Times l = plain ? RunListView(parent, images, false) : Times();
        std::printf("%-14s %12s %12s %12s\n", "control", "add rows", "sort name", "paint page");
        auto line = [](const char* name, const Times& t) {
            std::printf("%-14s %10.1f ms %10.1f ms %10.2f ms\n", name, t.add * 1e3, t.sort * 1e3,
                        t.paint * 1e3);
        };
        auto ratio = [](const char* name, const Times& t, const Times& g) {
            std::printf("%-14s %12.1fx %12.1fx %12.1fx\n", name, t.add / g.add, t.sort / g.sort,
                        t.paint / g.paint);
        };
        line("CellGrid", g);
        line("ListView", q);
        if (plain) line("ListView plain", l);
        ratio("ratio", q, g);
        if (plain) ratio("ratio plain", l, g);
        std::fflush(stdout);
    }
    ImageList_Destroy(images);
    DestroyWindow(parent);
    return 0;
}
