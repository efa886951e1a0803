#include "tools/vboard/vboard_control.h"

#include "tools/vboard/vboard_devices.h"

#include <windows.h>

#include <cstring>

namespace {

const WCHAR kRecordsKey[] = L"Software\\Pellam\\VirtualBoards";
const WCHAR kInfValue[] = L"Inf"; // in kRecordsKey: the INF the driver came from
constexpr DWORD kSyncTimeoutMs = 15000;

std::string g_error;

bool Fail(const std::string& why) {
    g_error = why;
    return false;
}

// A key that closes itself.
struct Key {
    HKEY handle = nullptr;
    Key() = default;
    explicit Key(HKEY h) : handle(h) {}
    ~Key() {
        if (handle) RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
};

struct Record {
    VBoardInfo info;
    std::wstring instance; // of the device while plugged
};

std::wstring RecordPath(VBoardId id) {
    return std::wstring(kRecordsKey) + L"\\" +
           DeviceNameOf(id.vendor_id, id.product_id, id.interface_number);
}

DWORD ReadDword(HKEY key, const WCHAR* name, DWORD fallback) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return value;
}

std::wstring ReadText(HKEY key, const WCHAR* name) {
    WCHAR text[512] = {};
    DWORD size = sizeof text - sizeof(WCHAR), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return L"";
    return text;
}

bool ReadBinary(HKEY key, const WCHAR* name, void* out, DWORD size) {
    DWORD got = size, type = 0;
    return RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(out), &got) ==
               ERROR_SUCCESS &&
           type == REG_BINARY && got == size;
}

void WriteDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteText(HKEY key, const WCHAR* name, const std::wstring& text) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

void WriteBinary(HKEY key, const WCHAR* name, const void* data, DWORD size) {
    RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

bool LoadRecord(VBoardId id, Record* record) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RecordPath(id).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return false;
    Key key(handle);
    VBoardInfo& info = record->info;
    info.id = id;
    info.version_number = static_cast<uint16_t>(ReadDword(handle, VBOARD_VALUE_VERSION, 0x0100));
    info.product = NarrowOf(ReadText(handle, VBOARD_VALUE_PRODUCT));
    info.manufacturer = NarrowOf(ReadText(handle, VBOARD_VALUE_MANUFACTURER));
    info.plugged = ReadDword(handle, L"Plugged", 0) != 0;
    if (!ReadBinary(handle, VBOARD_VALUE_CONTROL, &info.control, sizeof info.control))
        info.control = DefaultVBoardControl("0123");
    record->instance = ReadText(handle, L"Instance");
    return true;
}

void SaveRecord(const Record& record) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, RecordPath(record.info.id).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    Key key(handle);
    const VBoardInfo& info = record.info;
    WriteDword(handle, VBOARD_VALUE_VENDOR_ID, info.id.vendor_id);
    WriteDword(handle, VBOARD_VALUE_PRODUCT_ID, info.id.product_id);
    WriteDword(handle, VBOARD_VALUE_VERSION, info.version_number);
    WriteText(handle, VBOARD_VALUE_PRODUCT, WideOf(info.product));
    WriteText(handle, VBOARD_VALUE_MANUFACTURER, WideOf(info.manufacturer));
    WriteBinary(handle, VBOARD_VALUE_CONTROL, &info.control, sizeof info.control);
    WriteDword(handle, L"Plugged", info.plugged ? 1 : 0);
    WriteText(handle, L"Instance", record.instance);
}

// The identity and settings a new device starts with.
void WriteDeviceParameters(HKEY key, void* context) {
    const VBoardInfo& info = static_cast<Record*>(context)->info;
    WriteDword(key, VBOARD_VALUE_VENDOR_ID, info.id.vendor_id);
    WriteDword(key, VBOARD_VALUE_PRODUCT_ID, info.id.product_id);
    WriteDword(key, VBOARD_VALUE_VERSION, info.version_number);
    WriteText(key, VBOARD_VALUE_PRODUCT, WideOf(info.product));
    WriteText(key, VBOARD_VALUE_MANUFACTURER, WideOf(info.manufacturer));
    WriteBinary(key, VBOARD_VALUE_CONTROL, &info.control, sizeof info.control);
}

bool ReadState(const Record& record, VBoardState* state) {
    Key key(OpenBoardKey(record.instance, KEY_QUERY_VALUE));
    return key.handle && ReadBinary(key.handle, VBOARD_VALUE_STATE, state, sizeof *state) &&
           state->format == kVBoardFormat;
}

// Waits until the driver has taken up Control `serial` and its HID
// interface answers.
bool SyncBoard(const Record& record, uint32_t serial) {
    const DWORD start = GetTickCount();
    bool poked = false;
    DWORD last_poke = start;
    while (GetTickCount() - start < kSyncTimeoutMs) {
        if (!poked || GetTickCount() - last_poke > 500) {
            const VBoardId& id = record.info.id;
            poked = PokeBoard(id.vendor_id, id.product_id, id.interface_number);
            last_poke = GetTickCount();
        }
        VBoardState state;
        if (poked && ReadState(record, &state) && state.applied_serial == serial) return true;
        Sleep(poked ? 1 : 20);
    }
    return Fail("the board's driver did not answer");
}

// No one-off request is carried over into a new Control.
void ClearRequests(VBoardControl* control) {
    control->power_on = 0;
    control->set_relays_mask = 0;
    control->set_relays_to_no = 0;
    control->set_led_mask = 0;
}

std::wstring InfOfDriver() {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordsKey, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return L"";
    Key key(handle);
    return ReadText(handle, kInfValue);
}

// Makes the record's device and installs the driver on it.
bool PlugIn(Record* record, const std::wstring& inf) {
    const bool first = CountBoardDevices() == 0;
    ClearRequests(&record->info.control);
    ++record->info.control.serial;
    record->instance =
        CreateBoardDevice(DeviceNameOf(record->info.id.vendor_id, record->info.id.product_id,
                                       record->info.id.interface_number),
                          WriteDeviceParameters, record);
    if (record->instance.empty()) return Fail("the device could not be created");
    if (!InstallBoardDriver(record->instance, inf, first)) {
        RemoveBoardDevice(record->instance);
        return Fail("the driver could not be installed from " + NarrowOf(inf));
    }
    record->info.plugged = true;
    SaveRecord(*record);
    return SyncBoard(*record, record->info.control.serial);
}

} // namespace

VBoardControl DefaultVBoardControl(const std::string& firmware) {
    VBoardControl control{};
    control.format = kVBoardFormat;
    control.ready = 1;
    for (size_t i = 0; i < 4 && i < firmware.size(); ++i)
        control.firmware[i] = firmware[i];
    return control;
}

bool AddVirtualBoard(const VBoardInfo& identity, const std::string& firmware,
                     const std::string& inf) {
    Record record;
    if (LoadRecord(identity.id, &record)) return Fail("a board with these ids exists already");
    record.info = identity;
    record.info.plugged = false;
    record.info.control = DefaultVBoardControl(firmware);
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRecordsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) == ERROR_SUCCESS) {
        Key key(handle);
        WriteText(handle, kInfValue, WideOf(inf));
    }
    SaveRecord(record);
    if (PlugIn(&record, WideOf(inf))) return true;
    const std::string why = g_error;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, RecordPath(identity.id).c_str());
    return Fail(why);
}

bool UnplugVirtualBoard(VBoardId id) {
    Record record;
    if (!LoadRecord(id, &record)) return Fail("no such board");
    if (!record.info.plugged) return true;
    if (!RemoveBoardDevice(record.instance)) return Fail("the device could not be removed");
    record.info.plugged = false;
    record.instance.clear();
    SaveRecord(record);
    return true;
}

bool PlugVirtualBoard(VBoardId id) {
    Record record;
    if (!LoadRecord(id, &record)) return Fail("no such board");
    if (record.info.plugged) return true;
    return PlugIn(&record, InfOfDriver());
}

bool RemoveVirtualBoard(VBoardId id) {
    if (!UnplugVirtualBoard(id)) return false;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, RecordPath(id).c_str());
    return true;
}

std::vector<VBoardInfo> ListVirtualBoards() {
    std::vector<VBoardInfo> boards;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRecordsKey, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return boards;
    Key key(handle);
    WCHAR name[64];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 64;
        if (RegEnumKeyExW(handle, i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        unsigned vendor_id = 0, product_id = 0, interface_number = 0;
        if (swscanf(name, L"VID_%4x&PID_%4x&MI_%2x", &vendor_id, &product_id, &interface_number) <
            2)
            continue;
        Record record;
        const VBoardId id{static_cast<uint16_t>(vendor_id), static_cast<uint16_t>(product_id),
                          static_cast<uint8_t>(interface_number)};
        if (!LoadRecord(id, &record)) continue;
        if (record.info.plugged) record.info.has_state = ReadState(record, &record.info.state);
        boards.push_back(record.info);
    }
    return boards;
}

bool ReadVirtualBoard(VBoardId id, VBoardInfo* info) {
    if (!ChangeVirtualBoard(id, [](VBoardControl&) {})) return false;
    Record record;
    if (!LoadRecord(id, &record)) return Fail("no such board");
    if (record.info.plugged) record.info.has_state = ReadState(record, &record.info.state);
    *info = record.info;
    return true;
}

bool ChangeVirtualBoard(VBoardId id, const std::function<void(VBoardControl&)>& change) {
    Record record;
    if (!LoadRecord(id, &record)) return Fail("no such board");
    VBoardControl& control = record.info.control;
    ClearRequests(&control);
    change(control);
    control.format = kVBoardFormat;
    ++control.serial;
    SaveRecord(record);
    if (!record.info.plugged) return true; // taken up when it is plugged back
    Key key(OpenBoardKey(record.instance, KEY_SET_VALUE));
    if (!key.handle) return Fail("the board's device is gone");
    WriteBinary(key.handle, VBOARD_VALUE_CONTROL, &control, sizeof control);
    return SyncBoard(record, control.serial);
}

bool ResetVirtualBoards(const std::string& inf) {
    for (const VBoardInfo& board : ListVirtualBoards()) {
        const bool is_default = board.id.vendor_id == kDefaultVBoard.vendor_id &&
                                board.id.product_id == kDefaultVBoard.product_id &&
                                board.id.interface_number == 0 &&
                                board.product == "SWITCHDECK 5s" && board.version_number == 0x0100;
        if (!is_default && !RemoveVirtualBoard(board.id)) return false;
    }
    Record record;
    if (!LoadRecord(kDefaultVBoard, &record)) {
        VBoardInfo identity;
        identity.id = kDefaultVBoard;
        return AddVirtualBoard(identity, "0123", inf);
    }
    if (!record.info.plugged && !PlugVirtualBoard(kDefaultVBoard)) return false;
    return ChangeVirtualBoard(kDefaultVBoard, [](VBoardControl& control) {
        const uint32_t serial = control.serial;
        control = DefaultVBoardControl("0123");
        control.serial = serial;
        control.power_on = 1;
    });
}

const std::string& VirtualBoardError() {
    return g_error;
}
