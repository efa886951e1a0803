#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <cstring>

namespace {

// The layout's version is in the magic and the names: a table of another
// layout is never mapped as this one.
constexpr uint32_t kMagic = 0x50534235; // "PSB5"
const char kSectionName[] = "Local\\PellamSimulatedBoards.v5";
const char kFileName[] = "\\PellamBoardSimulator.v5.bin";
constexpr int kSpinsBeforeSleep = 64;
constexpr DWORD kLockStaleAfterMs = 200; // then a holder that has ended is found out

SimTable* g_table = nullptr;
char g_file_path[MAX_PATH] = "";
thread_local int g_lock_depth = 0; // the lock is held this many times by this thread

void FillDefault(SimTable* table) {
    std::memset(table->boards, 0, sizeof table->boards);
    SimFirmwareInit(&table->boards[0], 0x0000, 0x8001, "SWITCHDECK 5s", "Qvoxline Circuits", 0x0100,
                    "0123");
    table->magic = kMagic;
    ++table->changes;
}

// %ProgramData%\PellamBoardSimulator.v5.bin, or $PELLAM_SIM_FILE.
const char* FilePath() {
    if (g_file_path[0]) return g_file_path;
    DWORD n = GetEnvironmentVariableA("PELLAM_SIM_FILE", g_file_path, sizeof g_file_path);
    if (n == 0 || n >= sizeof g_file_path) {
        n = GetEnvironmentVariableA("ProgramData", g_file_path, sizeof g_file_path);
        if (n == 0 || n + sizeof kFileName >= sizeof g_file_path) return g_file_path;
        std::strcat(g_file_path, kFileName);
    }
    return g_file_path;
}

// The boards as last saved, when the file holds a whole table of this layout.
bool LoadFromFile(SimTable* table) {
    HANDLE file = CreateFileA(FilePath(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD read = 0;
    const bool whole = ReadFile(file, table, sizeof(SimTable), &read, nullptr) &&
                       read == sizeof(SimTable) && table->magic == kMagic;
    CloseHandle(file);
    return whole;
}

bool ThreadAlive(DWORD thread_id) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, thread_id);
    if (!thread) return false;
    const bool alive = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(thread);
    return alive;
}

SimBoard* Slot(int slot) {
    if (slot < 0 || slot >= kSimMaxBoards) return nullptr;
    SimBoard* b = &SimTableView()->boards[slot];
    return b->in_use ? b : nullptr;
}

// A change made through the control API: counted, and saved for the next
// process.
template <typename Change> bool ChangeSlot(int slot, Change change) {
    SimLock lock;
    SimBoard* b = Slot(slot);
    if (!b) return false;
    change(b);
    ++g_table->changes;
    SimSaveBoard(slot);
    return true;
}

} // namespace

// The lock is a word in the shared table: taking and giving it back costs
// no call to the Wine server (a named mutex cost two a lock, and the
// device calls take it several times each). The word holds the holding
// thread's id (thread ids are unique across processes), so a holder that
// ended is found out and its lock taken over.
SimLock::SimLock() {
    // Mapping the table first may take and give back the lock itself.
    SimTable* table = SimTableView();
    if (g_lock_depth++ > 0 || !table) return;
    volatile LONG* word = &table->lock_owner;
    const LONG me = static_cast<LONG>(GetCurrentThreadId());
    const DWORD start = GetTickCount();
    for (int spins = 0;; ++spins) {
        const LONG holder = InterlockedCompareExchange(word, me, 0);
        if (holder == 0) return;
        if (spins < kSpinsBeforeSleep) {
            YieldProcessor();
            continue;
        }
        if (GetTickCount() - start > kLockStaleAfterMs &&
            !ThreadAlive(static_cast<DWORD>(holder)) &&
            InterlockedCompareExchange(word, me, holder) == holder)
            return;
        Sleep(spins < 4 * kSpinsBeforeSleep ? 0 : 1);
    }
}

SimLock::~SimLock() {
    if (--g_lock_depth > 0 || !g_table) return;
    InterlockedExchange(&g_table->lock_owner, 0);
}

// The live table is a named section in the paging file, so no process can
// lose it under another (a mapped file that is truncated would fault). The
// file keeps the boards between runs: it is read when the section is made
// afresh, and written after every change made through the control API.
SimTable* SimTableView() {
    if (g_table) return g_table;
    HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SimTable), kSectionName);
    if (!section) return nullptr;
    // The mapping stays for the life of the process: the handle is kept.
    g_table = static_cast<SimTable*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!g_table) return nullptr;
    SimLock lock;
    if (g_table->magic != kMagic && !LoadFromFile(g_table)) {
        FillDefault(g_table);
        SimSaveTable();
    }
    // Loading replaced the lock word too: it is ours until the scope ends.
    g_table->lock_owner = static_cast<LONG>(GetCurrentThreadId());
    return g_table;
}

namespace {

// Writes `size` bytes of the table from `offset` into `file`, at the same
// offset.
bool WriteToFile(HANDLE file, DWORD offset, DWORD size) {
    OVERLAPPED at{};
    at.Offset = offset;
    DWORD written = 0;
    return WriteFile(file, reinterpret_cast<const char*>(g_table) + offset, size, &written, &at) &&
           written == size;
}

// The file is opened for each save and closed at once: a file kept open
// could not really be removed by anyone else.
HANDLE OpenFileToWrite(DWORD disposition) {
    return CreateFileA(FilePath(), GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

void SimSaveTable() {
    SimTable* t = SimTableView();
    if (!t) return;
    SimLock lock;
    // Made anew: a file that was removed or cut short is whole again.
    HANDLE file = OpenFileToWrite(CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteToFile(file, 0, sizeof(SimTable));
    CloseHandle(file);
}

void SimSaveBoard(int slot) {
    if (slot < 0 || slot >= kSimMaxBoards || !SimTableView()) return;
    SimLock lock;
    if (!SimFileIntact()) {
        SimSaveTable();
        return;
    }
    HANDLE file = OpenFileToWrite(OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return;
    const DWORD offset = static_cast<DWORD>(reinterpret_cast<char*>(&g_table->boards[slot]) -
                                            reinterpret_cast<char*>(g_table));
    const DWORD header = static_cast<DWORD>(reinterpret_cast<char*>(&g_table->boards[0]) -
                                            reinterpret_cast<char*>(g_table));
    WriteToFile(file, 0, header); // the change count
    WriteToFile(file, offset, sizeof(SimBoard));
    CloseHandle(file);
}

const char* SimFilePath() {
    return FilePath();
}

bool SimFileIntact() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(FilePath(), GetFileExInfoStandard, &data) &&
           data.nFileSizeHigh == 0 && data.nFileSizeLow == sizeof(SimTable);
}

void SimResetToDefault() {
    SimTable* t = SimTableView();
    SimLock lock;
    FillDefault(t);
    SimSaveTable();
}

void SimRemoveAll() {
    SimTable* t = SimTableView();
    SimLock lock;
    std::memset(t->boards, 0, sizeof t->boards);
    ++t->changes;
    SimSaveTable();
}

int SimAddBoard(uint16_t vendor_id, uint16_t product_id, const char* product,
                const char* manufacturer, uint16_t version_number, const char* firmware) {
    SimTable* t = SimTableView();
    SimLock lock;
    for (int i = 0; i < kSimMaxBoards; ++i) {
        if (t->boards[i].in_use) continue;
        SimFirmwareInit(&t->boards[i], vendor_id, product_id, product, manufacturer, version_number,
                        firmware);
        ++t->changes;
        SimSaveTable();
        return i;
    }
    return -1;
}

bool SimRemoveBoard(int slot) {
    return ChangeSlot(slot, [](SimBoard* b) { std::memset(b, 0, sizeof *b); });
}

int SimFindBoard(uint16_t vendor_id, uint16_t product_id) {
    SimTable* t = SimTableView();
    SimLock lock;
    for (int i = 0; i < kSimMaxBoards; ++i) {
        const SimBoard& b = t->boards[i];
        if (b.in_use && b.vendor_id == vendor_id && b.product_id == product_id) return i;
    }
    return -1;
}

bool SimSetFlag(int slot, SimFlag flag, bool on) {
    return ChangeSlot(slot, [flag, on](SimBoard* b) {
        const uint8_t v = on ? 1 : 0;
        switch (flag) {
        case SimFlag::Plugged:
            b->plugged = v;
            break;
        case SimFlag::Ready:
            b->ready = v;
            break;
        case SimFlag::Silent:
            b->silent = v;
            break;
        case SimFlag::Held:
            b->held = v;
            break;
        case SimFlag::RefusesWrites:
            b->refuses_writes = v;
            break;
        case SimFlag::ShortAnswers:
            b->short_answers = v;
            break;
        }
    });
}

bool SimSetFirmware(int slot, const char* firmware) {
    return ChangeSlot(slot, [firmware](SimBoard* b) { BoardSetFirmwareText(b, firmware); });
}

bool SimSetAnswerDelay(int slot, uint32_t milliseconds) {
    return ChangeSlot(slot, [milliseconds](SimBoard* b) { b->answer_delay_ms = milliseconds; });
}

bool SimSetProductWide(int slot, const uint16_t* product) {
    return ChangeSlot(slot, [product](SimBoard* b) {
        int i = 0;
        for (; i + 1 < kSimStringChars && product[i] != 0; ++i)
            b->product[i] = product[i];
        b->product[i] = 0;
    });
}

bool SimSetRelay(int slot, int relay, bool at_no) {
    if (relay < 1 || relay > 5) return false;
    return ChangeSlot(slot, [relay, at_no](SimBoard* b) { b->relays[relay - 1] = at_no ? 1 : 0; });
}

bool SimSetLedMask(int slot, uint8_t mask) {
    return ChangeSlot(slot, [mask](SimBoard* b) { b->led_mask = mask; });
}

bool SimGetBoard(int slot, SimBoard* copy) {
    SimTableView();
    SimLock lock;
    SimBoard* b = Slot(slot);
    if (!b) return false;
    *copy = *b;
    return true;
}

namespace {
bool ProcessAlive(uint32_t pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}
} // namespace

bool SimClaim(int slot) {
    SimTableView();
    SimLock lock;
    SimBoard* b = Slot(slot);
    if (!b || !b->plugged || b->held) return false;
    if (b->owner_pid != 0 && ProcessAlive(b->owner_pid)) return false;
    b->owner_pid = GetCurrentProcessId();
    b->answer_pending = 0;
    return true;
}

void SimUnclaim(int slot) {
    SimTableView();
    SimLock lock;
    SimBoard* b = Slot(slot);
    if (b && b->owner_pid == GetCurrentProcessId()) b->owner_pid = 0;
}
