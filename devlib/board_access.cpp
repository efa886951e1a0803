#include "devlib/board_access.h"

#include "common/text_helpers.h"
#include "devlib/pellam_dll.h"

#include <cstring>

namespace {

enum class Visit { Next, KeepOpen, Stop };

// Visits every interface whose device opens exclusively. The visitor sees the
// open device (attributes already read) and says whether to close it and go
// on, keep it open and stop, or close it and stop. Returns false when the
// interface set could not be had.
template <typename Visitor> bool WalkDevices(Visitor visit) {
    if (!hid::BeginWalk()) return false;
    for (g_library.interface_index = 0;; ++g_library.interface_index) {
        // The detail buffer starts with a 32-bit size field; the path follows.
        char* path = g_library.detail + kDetailPathOffset;
        const hid::InterfaceResult r = hid::FetchInterface(g_library.interface_index, path,
                                                           kDetailBufferSize - kDetailPathOffset);
        if (r == hid::InterfaceResult::End) break;
        if (r == hid::InterfaceResult::Skip) continue;
        const hid::Device device = hid::OpenExclusive(path);
        if (device == hid::kNoDevice) continue;
        if (!hid::ReadAttributes(device, &g_library.attributes))
            g_library.attributes = hid::Attributes{0xFFFF, 0, 0};
        const Visit next = visit(device);
        if (next == Visit::KeepOpen) break;
        hid::CloseDevice(device);
        if (next == Visit::Stop) break;
    }
    hid::EndWalk();
    return true;
}

RememberedPath* PathOf(uint32_t id) {
    for (RememberedPath& p : g_library.paths)
        if (p.used && p.product_id == id) return &p;
    return nullptr;
}

// Remembers the path of the device just opened by the walk.
void RememberPath(uint16_t product_id) {
    RememberedPath* entry = PathOf(product_id);
    if (!entry) {
        entry = &g_library.paths[g_library.next_path];
        g_library.next_path = (g_library.next_path + 1) % kRememberedPaths;
    }
    const char* path = g_library.detail + kDetailPathOffset;
    if (TextLength(path) >= sizeof entry->path) return;
    CopyText(path, entry->path);
    entry->product_id = product_id;
    entry->used = true;
}

// Opens the board at its remembered path, if it is still there and still
// this board. A path that fails is forgotten.
bool OpenRememberedBoard(uint32_t id) {
    RememberedPath* entry = PathOf(id);
    if (!entry) return false;
    const hid::Device device = hid::OpenExclusive(entry->path);
    hid::Attributes a{};
    if (device != hid::kNoDevice && hid::ReadAttributes(device, &a) && a.vendor_id == 0x0000 &&
        a.product_id == id) {
        g_library.attributes = a;
        g_library.board = device;
        return true;
    }
    if (device != hid::kNoDevice) hid::CloseDevice(device);
    entry->used = false;
    return false;
}

} // namespace

LibraryState g_library = [] {
    LibraryState s{};
    s.board = hid::kNoDevice;
    for (uint32_t command = 0; command < kReportCount; ++command) {
        s.reports[command][0] = 0x00; // no report id
        std::memcpy(&s.reports[command][kReportTagOffset], "Qvox", kReportTagSize);
        s.reports[command][kReportCommandOffset] = static_cast<uint8_t>(command);
    }
    return s;
}();

int OpenBoard(uint32_t id) {
    CloseBoard();
    if (OpenRememberedBoard(id)) return 1;
    WalkDevices([id](hid::Device device) {
        const hid::Attributes& a = g_library.attributes;
        if (a.vendor_id != 0x0000 || a.product_id != id) return Visit::Next;
        g_library.board = device;
        RememberPath(a.product_id);
        return Visit::KeepOpen;
    });
    return g_library.board != hid::kNoDevice ? 1 : 0;
}

void CloseBoard() {
    if (g_library.board == hid::kNoDevice) return;
    hid::CloseDevice(g_library.board);
    g_library.board = hid::kNoDevice;
}

void NarrowText(const uint16_t* wide, char* out, uint32_t capacity) {
    if (capacity == 0) return;
    uint32_t i = 0;
    for (; i + 1 < capacity && wide[i] != 0; ++i)
        out[i] = static_cast<char>(wide[i] & 0xFF);
    out[i] = 0;
}

PELLAM_API int32_t PELLAM_CALL FindPellamBoards(char* out) {
    std::memset(g_library.board_list, 0, sizeof g_library.board_list);
    g_library.found = 0;
    uint32_t entries = 0;
    uint16_t listed[kBoardListMaxEntries];
    const bool walked = WalkDevices([&entries, &listed](hid::Device) {
        const hid::Attributes& a = g_library.attributes;
        if (a.vendor_id == 0x0000 && a.product_id >= 0x8000) {
            char id_text[5];
            BoardIdText(a.product_id, id_text);
            AppendTexts(2, g_library.board_list, id_text, "|");
            g_library.found = 1;
            // A board with several interfaces carrying its ids is opened at
            // the first the walk meets: that one is remembered.
            bool seen_before = false;
            for (uint32_t i = 0; i < entries; ++i)
                seen_before = seen_before || listed[i] == a.product_id;
            if (!seen_before) RememberPath(a.product_id);
            listed[entries++] = a.product_id;
        }
        // The list holds 204 entries; further boards are not examined.
        return entries == kBoardListMaxEntries ? Visit::Stop : Visit::Next;
    });
    if (!walked) return 0;
    CopyText(g_library.board_list, out);
    return g_library.found;
}
