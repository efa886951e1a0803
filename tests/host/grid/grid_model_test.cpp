// Storage rules, limits, sorting and number formatting of the grid model.
#include "grid/grid_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

GRIDCOLUMN Column(int32_t type, int32_t size = 0, int32_t width = 50) {
    GRIDCOLUMN c{};
    c.width = width;
    c.type = type;
    c.size = size;
    return c;
}

intptr_t P(const void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// The comb sort written out on plain keys: the order the grid must leave.
std::vector<int> ReferenceCombSort(std::vector<std::string> keys, bool descending) {
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    auto fold = [](std::string s) {
        for (char& ch : s)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
        return s;
    };
    int n = static_cast<int>(keys.size());
    int gap = n;
    int swaps;
    do {
        gap = static_cast<int>(std::lround(gap / 1.3)) - 1;
        if (gap < 1) gap = 1;
        swaps = 0;
        for (int i = 0; i + gap <= n - 1; ++i) {
            int r = fold(keys[order[i]]).compare(fold(keys[order[i + gap]]));
            if (descending) r = -r;
            if (r > 0) {
                std::swap(order[i], order[i + gap]);
                ++swaps;
            }
        }
    } while (swaps != 0 || gap != 1);
    return order;
}

} // namespace

TEST(GridModel, FixedSizeDataKeepsExactlyItsSize) {
    GridModel m;
    ASSERT_EQ(GridAddColumn(m, Column(GCT_DATA, 5)), 0);
    char four[8] = "1234\0x", five[8] = "12345XY";
    intptr_t row1[] = {P(four)};
    intptr_t row2[] = {P(five)};
    ASSERT_EQ(GridInsertRow(m, 0, row1), 0);
    ASSERT_EQ(GridInsertRow(m, 1, row2), 1);
    char out[8];
    std::memset(out, 0x5A, sizeof out);
    EXPECT_EQ(GridGetCellData(m, 0, 0, out), GCT_DATA);
    EXPECT_EQ(std::memcmp(out, "1234\0", 5), 0); // terminator kept
    EXPECT_EQ(out[5], 0x5A);                     // exactly five bytes written
    std::memset(out, 0x5A, sizeof out);
    GridGetCellData(m, 1, 0, out);
    EXPECT_EQ(std::memcmp(out, "12345", 5), 0); // no room for the terminator
    EXPECT_EQ(out[5], 0x5A);
}

TEST(GridModel, SmallFixedSizeAndThirtyTwoBitValuesComeFromTheElementItself) {
    GridModel m;
    GridAddColumn(m, Column(GCT_DATA, 2));
    GridAddColumn(m, Column(GCT_NUMBER));
    intptr_t row[] = {0x4241, -7};
    GridInsertRow(m, 0, row);
    char two[3] = {0, 0, 'z'};
    GridGetCellData(m, 0, 0, two);
    EXPECT_EQ(std::string(two, 3), std::string("AB") + 'z');
    EXPECT_EQ(GridCellInt(m, 0, 1), -7);
}

TEST(GridModel, EmptyCellsReadAsEmptyTextOrZero) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT));
    GridAddColumn(m, Column(GCT_NUMBER));
    GridAddColumn(m, Column(GCT_DATA, 6));
    ASSERT_EQ(GridInsertRow(m, 0, nullptr), 0);
    char text[4] = "xyz";
    EXPECT_EQ(GridGetCellData(m, 0, 0, text), GCT_TEXT);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[1], 'y'); // only the terminator is written
    int32_t number = 0x7EADBEEF;
    EXPECT_EQ(GridGetCellData(m, 0, 1, &number), GCT_NUMBER);
    EXPECT_EQ(number, 0);
    unsigned char data[7] = {1, 1, 1, 1, 1, 1, 1};
    GridGetCellData(m, 0, 2, data);
    EXPECT_EQ(std::vector<int>(data, data + 7), (std::vector<int>{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(GridGetCellData(m, 1, 0, text), -1);
    EXPECT_EQ(GridGetCellData(m, 0, 3, text), -1);
}

TEST(GridModel, TextsOverwriteInPlaceWhenTheyFitAndMoveOtherwise) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT));
    intptr_t row[] = {P("hello")};
    GridInsertRow(m, 0, row);
    const uint8_t* before = GridCellValue(m, 0, 0);
    size_t heapSize = m.heap.size();
    ASSERT_TRUE(GridSetCell(m, 0, 0, P("hi")));
    EXPECT_EQ(GridCellValue(m, 0, 0), before);
    EXPECT_EQ(m.heap.size(), heapSize);
    EXPECT_STREQ(GridCellString(m, 0, 0), "hi");
    ASSERT_TRUE(GridSetCell(m, 0, 0, P("longer text")));
    EXPECT_GT(m.heap.size(), heapSize);
    EXPECT_STREQ(GridCellString(m, 0, 0), "longer text");
    // A value taken from the grid's own heap survives the heap's growth.
    GridInsertRow(m, 1, nullptr);
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(GridSetCell(m, 1, 0, P(GridCellString(m, 0, 0))));
    ASSERT_TRUE(GridSetCell(m, 0, 0, P(std::string(5000, 'q').c_str())));
    ASSERT_TRUE(GridSetCell(m, 1, 0, P(GridCellString(m, 0, 0))));
    EXPECT_EQ(std::string(GridCellString(m, 1, 0)), std::string(5000, 'q'));
}

TEST(GridModel, ColumnsRefusedOnceRowsExistAndAcceptedAfterClear) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT, 0, 40));
    GridAddColumn(m, Column(GCT_NUMBER, 0, 60));
    EXPECT_EQ(m.columns[1].left, 40);
    EXPECT_EQ(m.total_width, 100);
    intptr_t row[] = {P("a"), 1};
    GridInsertRow(m, 0, row);
    EXPECT_EQ(GridAddColumn(m, Column(GCT_TEXT)), -1);
    GridDeleteRow(m, 0); // the row store still exists
    EXPECT_EQ(GridAddColumn(m, Column(GCT_TEXT)), -1);
    GridClearRows(m);
    EXPECT_EQ(GridAddColumn(m, Column(GCT_CHECK, 0, 20)), 2);
    intptr_t row3[] = {P("b"), 2, 1};
    EXPECT_EQ(GridInsertRow(m, 0, row3), 0);
    EXPECT_EQ(GridCellInt(m, 0, 2), 1);
}

TEST(GridModel, EditLimitsAreClamped) {
    GridColumnInfo c;
    c.type = GCT_TEXT;
    c.size = 0;
    EXPECT_EQ(GridEditLimit(c), 511u);
    c.size = 600;
    EXPECT_EQ(GridEditLimit(c), 511u);
    c.size = 30;
    EXPECT_EQ(GridEditLimit(c), 30u);
    c.type = GCT_NUMBER;
    c.size = 20;
    EXPECT_EQ(GridEditLimit(c), 11u);
    c.size = 0;
    EXPECT_EQ(GridEditLimit(c), 11u);
}

TEST(GridModel, RowLimitInsertPositionsAndMoves) {
    GridModel m;
    GridAddColumn(m, Column(GCT_NUMBER));
    for (uint32_t i = 0; i < kGridMaxRows; ++i) {
        intptr_t v[] = {static_cast<intptr_t>(i)};
        ASSERT_EQ(GridInsertRow(m, i, v), static_cast<int>(i));
    }
    intptr_t v[] = {1};
    EXPECT_EQ(GridInsertRow(m, GridRowCount(m), v), -1);
    EXPECT_EQ(GridRowCount(m), kGridMaxRows);
    GridDeleteRow(m, 0);
    EXPECT_EQ(GridCellInt(m, 0, 0), 1);
    EXPECT_EQ(GridInsertRow(m, 70000, v), -1); // beyond the count
    EXPECT_EQ(GridInsertRow(m, 2, v), 2);
    EXPECT_EQ(GridCellInt(m, 2, 0), 1);
    EXPECT_EQ(GridCellInt(m, 3, 0), 3);
    ASSERT_TRUE(GridMoveRow(m, 3, 0));
    EXPECT_EQ(GridCellInt(m, 0, 0), 3);
    EXPECT_FALSE(GridMoveRow(m, 0, GridRowCount(m)));
}

TEST(GridModel, RowColoursStartAsGridColours) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT));
    GridInsertRow(m, 0, nullptr);
    uint32_t c[2] = {1, 2};
    ASSERT_TRUE(GridGetRowColours(m, 0, c));
    EXPECT_EQ(c[0], kGridDefaultColour);
    EXPECT_EQ(c[1], kGridDefaultColour);
    uint32_t set[2] = {0x00FF00, 0x0000FF};
    GridSetRowColours(m, 0, set);
    GridGetRowColours(m, 0, c);
    EXPECT_EQ(c[1], 0x0000FFu);
    EXPECT_FALSE(GridGetRowColours(m, 1, c));
}

TEST(GridSort, FoldsOnlyAToZ) {
    EXPECT_EQ(GridCompareText("apple", "APPLE"), 0);
    EXPECT_LT(GridCompareText("Apple", "banana"), 0);
    // Bytes beyond a..z keep their value: 0xE9 stays above 0xC9.
    EXPECT_GT(GridCompareText("\xE9", "\xC9"), 0);
    // '_' (0x5F) sorts between upper 'Z' and folded 'z'.
    EXPECT_GT(GridCompareText("_", "z"), 0);
    EXPECT_LT(GridCompareText("ab", "abc"), 0);
}

TEST(GridSort, TextAscendingDescendingAndToggle) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT));
    GridAddColumn(m, Column(GCT_NUMBER));
    const char* words[] = {"banana", "Apple", "cherry", "apple"};
    for (int i = 0; i < 4; ++i) {
        intptr_t v[] = {P(words[i]), i};
        GridInsertRow(m, i, v);
    }
    ASSERT_TRUE(GridSortColumn(m, 0, 0, nullptr, nullptr));
    EXPECT_EQ(GridCompareText(GridCellString(m, 0, 0), "apple"), 0);
    EXPECT_EQ(GridCompareText(GridCellString(m, 1, 0), "apple"), 0);
    EXPECT_STREQ(GridCellString(m, 2, 0), "banana");
    EXPECT_STREQ(GridCellString(m, 3, 0), "cherry");
    ASSERT_TRUE(GridSortColumn(m, 0, 2, nullptr, nullptr)); // flip: descending
    EXPECT_TRUE(m.columns[0].flags & GCF_DESCENDING);
    EXPECT_STREQ(GridCellString(m, 0, 0), "cherry");
    ASSERT_TRUE(GridSortColumn(m, 1, 1, nullptr, nullptr));
    EXPECT_EQ(GridCellInt(m, 0, 1), 3);
    EXPECT_EQ(GridCellInt(m, 3, 1), 0);
}

TEST(GridSort, FewerThanTwoRowsOrBadColumnDoNothing) {
    GridModel m;
    GridAddColumn(m, Column(GCT_TEXT));
    EXPECT_FALSE(GridSortColumn(m, 0, 1, nullptr, nullptr));
    GridInsertRow(m, 0, nullptr);
    EXPECT_FALSE(GridSortColumn(m, 0, 1, nullptr, nullptr));
    EXPECT_EQ(m.columns[0].flags, 0u);
    GridInsertRow(m, 1, nullptr);
    EXPECT_FALSE(GridSortColumn(m, 1, 0, nullptr, nullptr));
}

TEST(GridSort, ExtremeNumbersSortWithoutOverflow) {
    GridModel m;
    GridAddColumn(m, Column(GCT_NUMBER));
    int32_t values[] = {INT32_MAX, INT32_MIN, 0, -1};
    for (int i = 0; i < 4; ++i) {
        intptr_t v[] = {values[i]};
        GridInsertRow(m, i, v);
    }
    GridSortColumn(m, 0, 0, nullptr, nullptr);
    EXPECT_EQ(GridCellInt(m, 0, 0), INT32_MIN);
    EXPECT_EQ(GridCellInt(m, 3, 0), INT32_MAX);
}

// Random keys with many duplicates: the order of equal keys must be the one
// the comb sort leaves, in both directions, for several sizes.
TEST(GridSort, MatchesTheCombSortOnRandomData) {
    std::mt19937 random(1234);
    for (int n : {2, 3, 17, 100, 1000, 4321}) {
        for (bool descending : {false, true}) {
            GridModel m;
            GridAddColumn(m, Column(GCT_TEXT));
            GridAddColumn(m, Column(GCT_NUMBER));
            std::vector<std::string> keys;
            for (int i = 0; i < n; ++i) {
                std::string k;
                int len = static_cast<int>(random() % 3);
                for (int j = 0; j < len; ++j)
                    k.push_back("aAbB_"[random() % 5]);
                keys.push_back(k);
                intptr_t v[] = {P(k.c_str()), i};
                GridInsertRow(m, i, v);
            }
            GridSortColumn(m, 0, descending ? 1 : 0, nullptr, nullptr);
            std::vector<int> expected = ReferenceCombSort(keys, descending);
            std::vector<int> actual;
            for (int i = 0; i < n; ++i)
                actual.push_back(GridCellInt(m, i, 1));
            ASSERT_EQ(actual, expected) << "n=" << n << " descending=" << descending;
        }
    }
}

TEST(GridSort, GapRule) {
    EXPECT_EQ(GridNextGap(10), 7u); // 7.69 -> 8, minus 1
    EXPECT_EQ(GridNextGap(4), 2u);  // 3.08 -> 3, minus 1
    EXPECT_EQ(GridNextGap(2), 1u);
    EXPECT_EQ(GridNextGap(1), 1u);
}

namespace {
struct CompareLog {
    std::vector<std::pair<uint32_t, uint32_t>> rows;
};
int CompareFixed(void* context, uint32_t r1, uint32_t r2, const void* a, const void* b) {
    static_cast<CompareLog*>(context)->rows.emplace_back(r1, r2);
    return std::memcmp(a, b, 6);
}
} // namespace

TEST(GridSort, FixedSizeDataAsksTheCallbackWithRowPositions) {
    GridModel m;
    GridAddColumn(m, Column(GCT_DATA, 6));
    const char* values[] = {"cccccc", "aaaaaa", "bbbbbb"};
    for (int i = 0; i < 3; ++i) {
        intptr_t v[] = {P(values[i])};
        GridInsertRow(m, i, v);
    }
    CompareLog log;
    GridSortColumn(m, 0, 0, CompareFixed, &log);
    char out[6];
    GridGetCellData(m, 0, 0, out);
    EXPECT_EQ(std::string(out, 6), "aaaaaa");
    GridGetCellData(m, 2, 0, out);
    EXPECT_EQ(std::string(out, 6), "cccccc");
    ASSERT_FALSE(log.rows.empty());
    EXPECT_EQ(log.rows[0], (std::pair<uint32_t, uint32_t>(0, 1))); // gap 3 -> 1
}

TEST(GridText, NumberFormats) {
    EXPECT_EQ(GridFormatNumber(1234, ""), "1234");
    EXPECT_EQ(GridFormatNumber(1234, "#,###"), "1,234");
    EXPECT_EQ(GridFormatNumber(12, "#,###"), "12");
    // The sign is met only while format characters are left.
    EXPECT_EQ(GridFormatNumber(-1234, "##,###"), "-1,234");
    EXPECT_EQ(GridFormatNumber(-1234, "#,###"), "1,234");
    EXPECT_EQ(GridFormatNumber(-5, "###"), "-5");
    EXPECT_EQ(GridFormatNumber(1234567, "##.##"), "45.67"); // leading digits dropped
    EXPECT_EQ(GridFormatNumber(42, "$ ####"), "42");
    EXPECT_EQ(GridFormatNumber(7, "#.0"), "7.0");
    EXPECT_EQ(GridFormatNumber(5, "x#"), "5"); // the digits run out first
}

TEST(GridText, HotKeysAndDates) {
    EXPECT_EQ(GridHotKeyText(0x0741), "Ctrl + Shift + Alt + A");
    EXPECT_EQ(GridHotKeyText(0x0170), "Shift + F1");
    EXPECT_EQ(GridHotKeyText(0x007B), "F12");
    int y, mo, d;
    GridDayToDate(0, y, mo, d);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 18991230);
    GridDayToDate(36678, y, mo, d);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20000601);
    EXPECT_EQ(GridDateToDay(2000, 6, 1), 36678);
    EXPECT_EQ(GridDateToDay(1900, 3, 1), 61);
    for (int32_t day : {-700000, -1, 59, 60, 100000, 2958465}) {
        GridDayToDate(day, y, mo, d);
        EXPECT_EQ(GridDateToDay(y, mo, d), day);
    }
}

TEST(GridText, PortableCellTexts) {
    GridModel m;
    GridAddColumn(m, Column(GCT_NUMBER));
    GridAddColumn(m, Column(GCT_CHOICE));
    GridAddColumn(m, Column(GCT_DATE));
    m.columns[0].format = "#,###";
    m.columns[1].choices = {"zero", "one"};
    intptr_t v[] = {9876, 1, 0};
    GridInsertRow(m, 0, v);
    std::string t;
    ASSERT_TRUE(GridPortableCellText(m, 0, 0, t));
    EXPECT_EQ(t, "9,876");
    ASSERT_TRUE(GridPortableCellText(m, 0, 1, t));
    EXPECT_EQ(t, "one");
    EXPECT_FALSE(GridPortableCellText(m, 0, 2, t));
}

TEST(GridModel, NullDataPointersStoreZerosAndOwnValuesCopyBack) {
    GridModel m;
    GridAddColumn(m, Column(GCT_DATA, 6));
    GridAddColumn(m, Column(GCT_DATA, 6));
    intptr_t row[] = {0, P("abcdef")};
    GridInsertRow(m, 0, row);
    unsigned char out[6] = {9, 9, 9, 9, 9, 9};
    GridGetCellData(m, 0, 0, out);
    EXPECT_EQ(std::vector<int>(out, out + 6), std::vector<int>(6, 0));
    // A value read straight from the grid's storage, stored elsewhere, while
    // the storage grows underneath.
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(GridInsertRow(m, 1, nullptr), 1);
        ASSERT_TRUE(GridSetCell(m, 1, 0, P(GridCellValue(m, 0, 1))));
    }
    GridGetCellData(m, 1, 0, out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), "abcdef");
}
