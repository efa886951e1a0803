#include "tools/boardsim/sim_store.h"

#include <windows.h>

#include <cstring>

namespace {

// The layout's version is in the magic and the names: a table of another
// layout is never mapped as this one.
constexpr uint32_t kMagic = 0x50534234; // "PSB4"
const char kSectionName[] = "Local\\PellamSimulatedBoards.v4";
const char kLockName[] = "Local\\PellamSimulatedBoards.v4.lock";

HANDLE g_lock = nullptr;
SimTable* g_table = nullptr;

void FillDefault(SimTable* table) {
    std::memset(table->boards, 0, sizeof table->boards);
    SimFirmwareInit(&table->boards[0], 0x0000, 0x8001, "SWITCHDECK 5s", "Qvoxline Circuits", 0x0100,
                    "0123");
    table->magic = kMagic;
    ++table->changes;
}

SimBoard* Slot(int slot) {
    if (slot < 0 || slot >= kSimMaxBoards) return nullptr;
    SimBoard* b = &SimTableView()->boards[slot];
    return b->in_use ? b : nullptr;
}

template <typename Change> bool ChangeSlot(int slot, Change change) {
    SimLock lock;
    SimBoard* b = Slot(slot);
    if (!b) return false;
    change(b);
    ++g_table->changes;
    return true;
}

} // namespace

SimLock::SimLock() {
    if (!g_lock) g_lock = CreateMutexA(nullptr, FALSE, kLockName);
    // An abandoned lock (its holder died) is still ours to take.
    WaitForSingleObject(g_lock, INFINITE);
}

SimLock::~SimLock() {
    ReleaseMutex(g_lock);
}

// The table is backed by a file so that boards set up by one short-lived
// process (simctl, a test) are still there for the next one.
HANDLE OpenBackingFile() {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("PELLAM_SIM_FILE", path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        n = GetEnvironmentVariableA("ProgramData", path, sizeof path);
        if (n == 0 || n + 32 >= sizeof path) return INVALID_HANDLE_VALUE;
        std::strcat(path, "\\PellamBoardSimulator.v4.bin");
    }
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

SimTable* SimTableView() {
    if (g_table) return g_table;
    HANDLE file = OpenBackingFile();
    HANDLE section =
        CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, sizeof(SimTable), kSectionName);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file); // the section keeps the file
    if (!section) return nullptr;
    // The mapping stays for the life of the process: the handle is kept.
    g_table = static_cast<SimTable*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    SimLock lock;
    if (g_table->magic != kMagic) FillDefault(g_table);
    return g_table;
}

void SimResetToDefault() {
    SimTable* t = SimTableView();
    SimLock lock;
    FillDefault(t);
}

void SimRemoveAll() {
    SimTable* t = SimTableView();
    SimLock lock;
    std::memset(t->boards, 0, sizeof t->boards);
    ++t->changes;
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
