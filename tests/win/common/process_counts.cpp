#include "tests/win/common/process_counts.h"

#include <winternl.h>

#include <vector>

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr size_t kGdiTableEntries = 65536;
// Wine's GDI handle table: entries of the same 24 bytes in 32- and 64-bit
// processes (64-bit object and user pointers), found through the PEB's
// GdiSharedHandleTable, whose offset differs with the pointer size.
constexpr size_t kGdiEntrySize = 24;       // object pointer, owner, unique, type, flags, user
constexpr size_t kGdiEntryTypeOffset = 14; // 0 for a free entry
constexpr size_t kPebGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

struct SystemHandleEntry {
    ULONG process_id;
    UCHAR object_type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcessInformation = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// An ntdll function by name, through void* so the cast is plain.
template <typename Function> Function Ntdll(const char* name) {
    void* address = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name));
    return reinterpret_cast<Function>(address);
}

long CountHandles(DWORD pid) {
    auto query = Ntdll<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query) return -1;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = query(kSystemHandleInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) break;
        if (buffer.size() >= (1u << 28)) return -1;
        buffer.resize(buffer.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries =
        reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    long mine = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].process_id == pid) ++mine;
    return mine;
}

long CountGdiObjects(HANDLE process) {
    auto query = Ntdll<QueryProcessInformation>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return -1;
    UINT_PTR table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process,
                           reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof table, &read) ||
        table == 0)
        return -1;
    std::vector<unsigned char> entries(kGdiTableEntries * kGdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size(), &read))
        return -1;
    long used = 0;
    for (size_t i = 0; i < kGdiTableEntries; ++i) {
        const unsigned char* entry = &entries[i * kGdiEntrySize];
        UINT64 object = 0;
        memcpy(&object, entry, sizeof object);
        if (object != 0 && entry[kGdiEntryTypeOffset] != 0) ++used;
    }
    return used;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM l) {
    ++reinterpret_cast<WindowCount*>(l)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM l) {
    auto* counted = reinterpret_cast<WindowCount*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != counted->pid) return TRUE;
    ++counted->count;
    EnumChildWindows(window, CountChild, l);
    return TRUE;
}

} // namespace

ProcessCounts CountProcessResources(HANDLE process) {
    ProcessCounts counts;
    const DWORD pid = GetProcessId(process);
    counts.handles = CountHandles(pid);
    counts.gdi_objects = CountGdiObjects(process);
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    counts.windows = windows.count;
    return counts;
}
