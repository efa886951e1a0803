// Storage, rows, sorting and display texts of the grid (see grid_model.h).
#include "grid/grid_model.h"

#include <algorithm>
#include <cstring>

namespace {

// Heap offsets are 32-bit: refuse growth past this size.
constexpr size_t kHeapLimit = 0xFFFFFF00u;
// The heap's first value lies past this many bytes, so offset 0 means "no
// value".
constexpr size_t kHeapFirstOffset = 4;
constexpr uint32_t kRecordHeader = 2;   // background and text colour
constexpr uint32_t kPrefetchAhead = 16; // comparisons the sort reads ahead

// A hot-key value: the key code in the low byte, the modifiers (HOTKEYF_*)
// in the next one.
constexpr uint32_t kHotKeyByte = 0xFF;
constexpr uint32_t kHotKeyShift = 0x01;
constexpr uint32_t kHotKeyControl = 0x02;
constexpr uint32_t kHotKeyAlt = 0x04;
constexpr uint32_t kKeyF1 = 0x70; // VK_F1 .. VK_F12
constexpr uint32_t kKeyF12 = 0x7B;

// Day 0 (30 December 1899) counted from 1 March 0000, where the civil-date
// arithmetic starts, and the days of one 400-year era of that calendar.
constexpr int64_t kDayZeroFromCivilEpoch = 693899;
constexpr int64_t kDaysPerEra = 146097;

inline void Prefetch(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

uint32_t RecordWords(const GridModel& model) {
    return kRecordHeader + static_cast<uint32_t>(model.columns.size());
}

uint32_t& CellOffset(GridModel& model, uint32_t row, uint32_t column) {
    return model.row_store[model.row_index[row] + kRecordHeader + column];
}

uint32_t CellOffset(const GridModel& model, uint32_t row, uint32_t column) {
    return model.row_store[model.row_index[row] + kRecordHeader + column];
}

// Appends bytes to the heap; returns the offset or 0 when it cannot grow.
// The bytes may lie inside the heap itself (a value read from the grid).
uint32_t AppendHeap(GridModel& model, const void* bytes, size_t count) {
    if (model.heap.empty()) model.heap.assign(kHeapFirstOffset, 0);
    if (model.heap.size() + count > kHeapLimit) return 0;
    uint32_t offset = static_cast<uint32_t>(model.heap.size());
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    const uint8_t* begin = model.heap.data();
    if (p >= begin && p < begin + model.heap.size()) {
        size_t from = static_cast<size_t>(p - begin);
        model.heap.resize(model.heap.size() + count);
        std::memmove(&model.heap[offset], &model.heap[from], count);
    } else {
        model.heap.insert(model.heap.end(), p, p + count);
    }
    return offset;
}

// The bytes one element stands for, for a non-text column.
void ElementBytes(const GridColumnInfo& column, intptr_t value, const uint8_t*& bytes,
                  uint32_t& count, uint8_t (&scratch)[sizeof(intptr_t)]) {
    count = GridFixedSize(column);
    if (column.type == GCT_DATA && count > kGridValueSize) {
        bytes = reinterpret_cast<const uint8_t*>(value);
        return;
    }
    // The element's own low bytes (little-endian, as on Windows).
    uint32_t v = static_cast<uint32_t>(static_cast<uintptr_t>(value));
    for (size_t i = 0; i < sizeof(scratch); ++i)
        scratch[i] = 0;
    for (uint32_t i = 0; i < kGridValueSize; ++i)
        scratch[i] = static_cast<uint8_t>(v >> (8 * i));
    bytes = scratch;
}

// Stores value into a cell whose offset may be 0 (new value). Returns false
// when the heap cannot grow.
bool StoreValue(GridModel& model, uint32_t& offset, const GridColumnInfo& column, intptr_t value) {
    if (GridIsTextColumn(column)) {
        const char* text = reinterpret_cast<const char*>(value);
        if (!text) text = "";
        size_t need = std::strlen(text) + 1;
        if (offset != 0) {
            size_t room = std::strlen(reinterpret_cast<const char*>(&model.heap[offset])) + 1;
            if (need <= room) {
                std::memcpy(&model.heap[offset], text, need);
                return true;
            }
        }
        uint32_t at = AppendHeap(model, text, need);
        if (at == 0) return false;
        offset = at;
        return true;
    }
    uint8_t scratch[sizeof(intptr_t)];
    const uint8_t* bytes;
    uint32_t count;
    ElementBytes(column, value, bytes, count, scratch);
    if (offset != 0) {
        if (bytes)
            std::memmove(&model.heap[offset], bytes, count);
        else
            std::memset(&model.heap[offset], 0, count);
        return true;
    }
    if (!bytes) { // a null pointer for data of more than 4 bytes: zeros
        if (model.heap.empty()) model.heap.assign(kHeapFirstOffset, 0);
        if (model.heap.size() + count > kHeapLimit) return false;
        offset = static_cast<uint32_t>(model.heap.size());
        model.heap.resize(model.heap.size() + count, 0);
        return true;
    }
    uint32_t at = AppendHeap(model, bytes, count);
    if (at == 0) return false;
    offset = at;
    return true;
}

} // namespace

// ------------------------------------------------------------------ columns

bool GridIsTextColumn(const GridColumnInfo& column) {
    switch (column.type) {
    case GCT_TEXT:
    case GCT_BUTTONTEXT:
    case GCT_EDITBUTTONTEXT:
        return true;
    case GCT_DATA:
        return column.size <= 0;
    default:
        return false;
    }
}

uint32_t GridFixedSize(const GridColumnInfo& column) {
    if (GridIsTextColumn(column)) return 0;
    if (column.type == GCT_DATA) return static_cast<uint32_t>(column.size);
    return kGridValueSize;
}

bool GridHasButtonPart(const GridColumnInfo& column) {
    return column.type == GCT_CHOICE || column.type == GCT_BUTTONTEXT ||
           column.type == GCT_EDITBUTTONTEXT;
}

uint32_t GridEditLimit(const GridColumnInfo& column) {
    uint32_t size = column.size < 0 ? 0 : static_cast<uint32_t>(column.size);
    if (column.type == GCT_NUMBER)
        return (size == 0 || size > kGridMaxDigits) ? kGridMaxDigits : size;
    return (size == 0 || size > kGridMaxEditText) ? kGridMaxEditText : size;
}

int GridAddColumn(GridModel& model, const GRIDCOLUMN& column) {
    if (model.has_row_store) return -1;
    if (model.columns.size() >= kGridMaxColumns) return -1;
    GridColumnInfo info;
    info.width = column.width < 0 ? 0 : column.width;
    info.header_align = column.header_align;
    info.cell_align = column.cell_align;
    info.type = column.type;
    info.size = column.size;
    info.extra = column.extra;
    info.editor = column.editor;
    info.reserved = column.reserved;
    if (column.header_text) info.header = column.header_text;
    if (column.format) info.format = column.format;
    model.columns.push_back(std::move(info));
    GridLayoutColumns(model);
    return static_cast<int>(model.columns.size() - 1);
}

void GridLayoutColumns(GridModel& model) {
    int32_t x = 0;
    for (GridColumnInfo& c : model.columns) {
        c.left = x;
        x += c.width;
    }
    model.total_width = x;
}

GRIDCOLUMN GridDescribeColumn(const GridColumnInfo& c) {
    GRIDCOLUMN d{};
    d.width = c.width;
    d.header_text = c.header.c_str();
    d.header_align = c.header_align;
    d.cell_align = c.cell_align;
    d.type = c.type;
    d.size = c.size;
    d.format = c.format.c_str();
    d.extra = c.extra;
    d.flags = c.flags;
    d.left = c.left;
    d.editor = c.editor;
    d.reserved = c.reserved;
    return d;
}

// --------------------------------------------------------------------- rows

uint32_t GridRowCount(const GridModel& model) {
    return static_cast<uint32_t>(model.row_index.size());
}

int GridInsertRow(GridModel& model, uint32_t position, const intptr_t* values) {
    uint32_t count = GridRowCount(model);
    if (count >= kGridMaxRows || position > count) return -1;
    size_t store_before = model.row_store.size();
    size_t heap_before = model.heap.size();
    uint32_t record = static_cast<uint32_t>(store_before);
    model.row_store.resize(store_before + RecordWords(model), 0);
    model.row_store[record] = kGridDefaultColour;
    model.row_store[record + 1] = kGridDefaultColour;
    if (values) {
        for (uint32_t c = 0; c < model.columns.size(); ++c) {
            uint32_t offset = 0;
            if (!StoreValue(model, offset, model.columns[c], values[c])) {
                model.row_store.resize(store_before);
                model.heap.resize(heap_before);
                return -1;
            }
            model.row_store[record + kRecordHeader + c] = offset;
        }
    }
    model.row_index.insert(model.row_index.begin() + position, record);
    model.has_row_store = true;
    return static_cast<int>(position);
}

bool GridDeleteRow(GridModel& model, uint32_t row) {
    if (row >= GridRowCount(model)) return false;
    model.row_index.erase(model.row_index.begin() + row);
    return true;
}

bool GridMoveRow(GridModel& model, uint32_t from, uint32_t to) {
    uint32_t count = GridRowCount(model);
    if (from >= count || to >= count) return false;
    uint32_t record = model.row_index[from];
    model.row_index.erase(model.row_index.begin() + from);
    model.row_index.insert(model.row_index.begin() + to, record);
    return true;
}

void GridClearRows(GridModel& model) {
    std::vector<uint32_t>().swap(model.row_store);
    std::vector<uint32_t>().swap(model.row_index);
    std::vector<uint8_t>().swap(model.heap);
    model.has_row_store = false;
}

void GridClearAll(GridModel& model) {
    GridClearRows(model);
    model.columns.clear();
    model.total_width = 0;
}

bool GridGetRowColours(const GridModel& model, uint32_t row, uint32_t colours[2]) {
    if (row >= GridRowCount(model)) return false;
    colours[0] = model.row_store[model.row_index[row]];
    colours[1] = model.row_store[model.row_index[row] + 1];
    return true;
}

bool GridSetRowColours(GridModel& model, uint32_t row, const uint32_t colours[2]) {
    if (row >= GridRowCount(model)) return false;
    model.row_store[model.row_index[row]] = colours[0];
    model.row_store[model.row_index[row] + 1] = colours[1];
    return true;
}

// -------------------------------------------------------------------- cells

bool GridValidCell(const GridModel& model, uint32_t column, uint32_t row) {
    return column < model.columns.size() && row < GridRowCount(model);
}

bool GridSetCell(GridModel& model, uint32_t row, uint32_t column, intptr_t value) {
    if (!GridValidCell(model, column, row)) return false;
    uint32_t offset = CellOffset(model, row, column);
    if (!StoreValue(model, offset, model.columns[column], value)) return false;
    CellOffset(model, row, column) = offset;
    return true;
}

const uint8_t* GridCellValue(const GridModel& model, uint32_t row, uint32_t column) {
    if (!GridValidCell(model, column, row)) return nullptr;
    uint32_t offset = CellOffset(model, row, column);
    return offset == 0 ? nullptr : &model.heap[offset];
}

size_t GridCellDataSize(const GridModel& model, uint32_t row, uint32_t column) {
    if (!GridValidCell(model, column, row)) return 0;
    const GridColumnInfo& c = model.columns[column];
    if (!GridIsTextColumn(c)) return GridFixedSize(c);
    return std::strlen(GridCellString(model, row, column)) + 1;
}

int GridGetCellData(const GridModel& model, uint32_t row, uint32_t column, void* destination) {
    if (!GridValidCell(model, column, row) || !destination) return -1;
    const GridColumnInfo& c = model.columns[column];
    const uint8_t* value = GridCellValue(model, row, column);
    size_t size = GridCellDataSize(model, row, column);
    if (value)
        std::memcpy(destination, value, size);
    else
        std::memset(destination, 0, size);
    return c.type;
}

int32_t GridCellInt(const GridModel& model, uint32_t row, uint32_t column) {
    if (!GridValidCell(model, column, row) ||
        GridFixedSize(model.columns[column]) != kGridValueSize)
        return 0;
    const uint8_t* value = GridCellValue(model, row, column);
    int32_t v = 0;
    if (value) std::memcpy(&v, value, kGridValueSize);
    return v;
}

const char* GridCellString(const GridModel& model, uint32_t row, uint32_t column) {
    if (!GridValidCell(model, column, row) || !GridIsTextColumn(model.columns[column])) return "";
    const uint8_t* value = GridCellValue(model, row, column);
    return value ? reinterpret_cast<const char*>(value) : "";
}

// ------------------------------------------------------------------ sorting

int GridCompareText(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        int x = (*p >= 'a' && *p <= 'z') ? *p - 32 : *p;
        int y = (*q >= 'a' && *q <= 'z') ? *q - 32 : *q;
        if (x != y || x == 0) return x - y;
    }
}

uint32_t GridNextGap(uint32_t gap) {
    // round(gap / 1.3) = floor((20 * gap + 13) / 26); gap / 1.3 never ends
    // in exactly .5, so there is no tie to break.
    uint64_t rounded = (20ull * gap + 13) / 26;
    return rounded > 1 ? static_cast<uint32_t>(rounded - 1) : 1;
}

bool GridSortColumn(GridModel& model, uint32_t column, uint32_t order, GridCompareData compare,
                    void* context) {
    uint32_t count = GridRowCount(model);
    if (column >= model.columns.size() || count < 2) return false;
    GridColumnInfo& c = model.columns[column];
    if (order == 0)
        c.flags &= ~GCF_DESCENDING;
    else if (order == 1)
        c.flags |= GCF_DESCENDING;
    else
        c.flags ^= GCF_DESCENDING;
    bool descending = (c.flags & GCF_DESCENDING) != 0;
    bool text = GridIsTextColumn(c) && c.type != GCT_DATA;
    bool data = c.type == GCT_DATA;
    std::vector<uint32_t>& index = model.row_index;
    static const uint8_t kZeros[kGridValueSize] = {0, 0, 0, 0};
    // Fixed-size data of an empty cell compares as zeros of the column size.
    std::vector<uint8_t> empty_data(std::max(GridFixedSize(c), kGridValueSize), 0);
    const uint8_t* empty = data   ? empty_data.data()
                           : text ? reinterpret_cast<const uint8_t*>("")
                                  : kZeros;
    // The values in table order, swapped along with the index entries, so
    // that a comparison reads no row record.
    std::vector<const uint8_t*> values(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t offset = model.row_store[index[i] + kRecordHeader + column];
        values[i] = offset ? &model.heap[offset] : empty;
    }

    uint32_t gap = count;
    uint32_t swaps;
    do {
        gap = GridNextGap(gap);
        swaps = 0;
        for (uint32_t i = 0; i + gap <= count - 1; ++i) {
            // The values lie scattered over the heap once rows have moved:
            // fetch those of a few comparisons ahead while this one runs.
            if (i + gap + kPrefetchAhead < count) {
                Prefetch(values[i + kPrefetchAhead]);
                Prefetch(values[i + gap + kPrefetchAhead]);
            }
            const uint8_t* a = values[i];
            const uint8_t* b = values[i + gap];
            int result;
            if (data) {
                result = compare ? compare(context, i, i + gap, a, b) : 0;
            } else if (text) {
                result = GridCompareText(reinterpret_cast<const char*>(a),
                                         reinterpret_cast<const char*>(b));
            } else {
                int32_t x, y;
                std::memcpy(&x, a, kGridValueSize);
                std::memcpy(&y, b, kGridValueSize);
                // The sign of the difference, without its overflow.
                result = (x > y) - (x < y);
            }
            if (descending) result = -result;
            if (result > 0) {
                std::swap(index[i], index[i + gap]);
                std::swap(values[i], values[i + gap]);
                ++swaps;
            }
        }
    } while (swaps != 0 || gap != 1);
    return true;
}

// ------------------------------------------------------------ display texts

std::string GridFormatNumber(int32_t value, const std::string& format) {
    std::string decimal = std::to_string(value);
    if (format.empty()) return decimal;
    std::string out; // built from the right, reversed at the end
    size_t d = decimal.size();
    size_t f = format.size();
    while (d > 0 && f > 0) {
        if (decimal[d - 1] == '-') {
            out.push_back('-');
            break;
        }
        char k = format[--f];
        if (k == '#')
            out.push_back(decimal[--d]);
        else
            out.push_back(k);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string GridHotKeyText(uint32_t value) {
    uint32_t key = value & kHotKeyByte;
    uint32_t modifiers = (value >> 8) & kHotKeyByte;
    std::string text;
    if (modifiers & kHotKeyControl) text += "Ctrl + ";
    if (modifiers & kHotKeyShift) text += "Shift + ";
    if (modifiers & kHotKeyAlt) text += "Alt + ";
    if (key >= kKeyF1 && key <= kKeyF12)
        text += "F" + std::to_string(key - kKeyF1 + 1);
    else if (key != 0)
        text.push_back(static_cast<char>(key));
    return text;
}

// Civil-date arithmetic over days since 1 March 0000 (proleptic Gregorian).
void GridDayToDate(int32_t day, int& year, int& month, int& day_of_month) {
    int64_t z = static_cast<int64_t>(day) + kDayZeroFromCivilEpoch;
    int64_t era = (z >= 0 ? z : z - (kDaysPerEra - 1)) / kDaysPerEra;
    int64_t doe = z - era * kDaysPerEra;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day_of_month = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

int32_t GridDateToDay(int year, int month, int day_of_month) {
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = month > 2 ? month - 3 : month + 9;
    int64_t doy = (153 * mp + 2) / 5 + day_of_month - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<int32_t>(era * kDaysPerEra + doe - kDayZeroFromCivilEpoch);
}

bool GridPortableCellText(const GridModel& model, uint32_t row, uint32_t column,
                          std::string& text) {
    text.clear();
    if (!GridValidCell(model, column, row)) return false;
    const GridColumnInfo& c = model.columns[column];
    switch (c.type) {
    case GCT_TEXT:
    case GCT_BUTTONTEXT:
    case GCT_EDITBUTTONTEXT:
        text = GridCellString(model, row, column);
        return true;
    case GCT_NUMBER:
        text = GridFormatNumber(GridCellInt(model, row, column), c.format);
        return true;
    case GCT_CHECK:
        text = GridCellInt(model, row, column) ? "1" : "0";
        return true;
    case GCT_CHOICE: {
        int32_t v = GridCellInt(model, row, column);
        if (v >= 0 && static_cast<size_t>(v) < c.choices.size()) text = c.choices[v];
        return true;
    }
    case GCT_HOTKEY:
        text = GridHotKeyText(static_cast<uint32_t>(GridCellInt(model, row, column)));
        return true;
    case GCT_IMAGE:
        text = std::to_string(GridCellInt(model, row, column));
        return true;
    default:
        return false;
    }
}
