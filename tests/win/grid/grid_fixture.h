// A top-level parent window that records the grid's notifications, vetoes
// the codes a test asks it to, and answers the fixed-size compare request.
#pragma once

#include "grid/grid_messages.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

struct Note {
    UINT code;
    int column;
    int row;
    bool operator==(const Note& o) const {
        return code == o.code && column == o.column && row == o.row;
    }
};

std::string NotesText(const std::vector<Note>& notes);

struct ParentLog {
    std::vector<Note> notes;
    std::set<UINT> veto;               // codes answered with a veto
    std::vector<int> imageData;        // *data of every GRN_IMAGECLICK
    std::vector<UINT> imageRowCurrent; // GRM_GETCURRENTROW at each GRN_IMAGECLICK
    HWND lastEditor = nullptr;         // window field of GRN_BEFOREEDIT
    int compareCalls = 0;
    int compareSize = 0; // bytes memcmp compares for WM_COMPAREITEM
};

extern ParentLog g_log;

class GridFixture {
  public:
    // style: the grid's low style bits.
    explicit GridFixture(DWORD style, int width = 600, int height = 300);
    ~GridFixture();
    HWND parent = nullptr;
    HWND grid = nullptr;
    HWND rows = nullptr;
    HWND header = nullptr;
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
        return SendMessageA(grid, message, w, l);
    }
    int AddColumn(int type, int width, const char* header = "", int size = 0, uintptr_t extra = 0);
    int AddRow(std::vector<intptr_t> values) const {
        return static_cast<int>(Send(GRM_ADDROW, 0, reinterpret_cast<LPARAM>(values.data())));
    }
    // Centre of a cell in row-area coordinates.
    POINT CellCentre(int column, int row) const;
    void Pump() const;
};

// Expects exactly these notifications and clears the log; prints both
// sequences on a mismatch.
#define EXPECT_NOTES(...)                                                                          \
    do {                                                                                           \
        std::vector<Note> expected_ = {__VA_ARGS__};                                               \
        EXPECT_EQ(NotesText(g_log.notes), NotesText(expected_));                                   \
        g_log.notes.clear();                                                                       \
    } while (0)
