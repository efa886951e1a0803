#include "tools/vboard/vboard_devices.h"

#include "vboard/control_format.h"

#include <setupapi.h>
#include <newdev.h>
extern "C" {
#include <hidsdi.h>
}

#include <cstdio>
#include <cwctype>
#include <map>
#include <vector>

namespace {

// The HIDClass setup class: {745a17a0-74d3-11d0-b6fe-00a0c90f57da}.
const GUID kHidSetupClass = {
    0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

constexpr DWORD kMaxInstanceIdChars = 200;

// The hardware id property: a list of texts ending with an empty one.
const WCHAR kHardwareIds[] = VBOARD_HARDWARE_ID L"\0";

// A device information set, released when it goes out of scope.
struct DeviceSet {
    HDEVINFO handle;
    explicit DeviceSet(HDEVINFO h) : handle(h) {}
    ~DeviceSet() {
        if (handle != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(handle);
    }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;
    bool ok() const { return handle != INVALID_HANDLE_VALUE; }
};

struct FileHandle {
    HANDLE handle;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

bool IsBoardDevice(HDEVINFO set, SP_DEVINFO_DATA* device) {
    WCHAR ids[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, device, SPDRP_HARDWAREID, nullptr,
                                           reinterpret_cast<BYTE*>(ids), sizeof ids - 4, nullptr))
        return false;
    for (const WCHAR* id = ids; *id; id += wcslen(id) + 1)
        if (!_wcsicmp(id, VBOARD_HARDWARE_ID)) return true;
    return false;
}

// Opens a known device of a fresh set.
bool OpenDevice(DeviceSet& set, const std::wstring& instance, SP_DEVINFO_DATA* device) {
    device->cbSize = sizeof *device;
    return set.ok() &&
           SetupDiOpenDeviceInfoW(set.handle, instance.c_str(), nullptr, 0, device) != FALSE;
}

bool PathNames(const WCHAR* path, const std::wstring& device_name) {
    std::wstring lower(path), name = L"#" + device_name + L"#";
    for (WCHAR& c : lower)
        c = towlower(c);
    for (WCHAR& c : name)
        c = towlower(c);
    return lower.find(name) != std::wstring::npos;
}

// The path of the present HID interface with these ids, or "". A board with
// several interfaces carrying its ids is told apart by the device name in
// the path; without such a path, the first interface with the ids.
std::wstring FindInterface(uint16_t vendor_id, uint16_t product_id, uint8_t interface_number) {
    const std::wstring name = DeviceNameOf(vendor_id, product_id, interface_number);
    std::wstring first;
    GUID hid;
    HidD_GetHidGuid(&hid);
    DeviceSet set(
        SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.ok()) return L"";
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set.handle, nullptr, &hid, i, &data); ++i) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set.handle, &data, nullptr, 0, &required, nullptr);
        std::vector<BYTE> buffer(required + sizeof(WCHAR));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (required == 0 || !SetupDiGetDeviceInterfaceDetailW(set.handle, &data, detail, required,
                                                               nullptr, nullptr))
            continue;
        // No access asked: the open succeeds even while a program has the
        // board open exclusively.
        FileHandle file(CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        HIDD_ATTRIBUTES attributes{sizeof attributes, 0, 0, 0};
        if (file.handle == INVALID_HANDLE_VALUE || !HidD_GetAttributes(file.handle, &attributes) ||
            attributes.VendorID != vendor_id || attributes.ProductID != product_id)
            continue;
        if (PathNames(detail->DevicePath, name)) return detail->DevicePath;
        if (first.empty()) first = detail->DevicePath;
    }
    return interface_number == 0 ? first : L"";
}

// Interface paths found before, per board interface (interface number << 32
// | vendor id << 16 | product id).
std::map<uint64_t, std::wstring> g_interfaces;

} // namespace

std::wstring DeviceNameOf(uint16_t vendor_id, uint16_t product_id, uint8_t interface_number) {
    WCHAR name[40];
    if (interface_number == 0)
        swprintf(name, 40, L"VID_%04X&PID_%04X", vendor_id, product_id);
    else
        swprintf(name, 40, L"VID_%04X&PID_%04X&MI_%02X", vendor_id, product_id, interface_number);
    return name;
}

std::wstring CreateBoardDevice(const std::wstring& name, void (*write_parameters)(HKEY, void*),
                               void* context) {
    DeviceSet set(SetupDiCreateDeviceInfoList(&kHidSetupClass, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!set.ok() ||
        !SetupDiCreateDeviceInfoW(set.handle, name.c_str(), &kHidSetupClass,
                                  L"Pellam virtual relay board", nullptr, DICD_GENERATE_ID,
                                  &device) ||
        !SetupDiSetDeviceRegistryPropertyW(set.handle, &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(kHardwareIds),
                                           sizeof kHardwareIds) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.handle, &device))
        return L"";
    HKEY key = SetupDiCreateDevRegKeyW(set.handle, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr,
                                       nullptr);
    if (key == INVALID_HANDLE_VALUE) return L"";
    write_parameters(key, context);
    RegCloseKey(key);
    WCHAR instance[kMaxInstanceIdChars];
    if (!SetupDiGetDeviceInstanceIdW(set.handle, &device, instance, kMaxInstanceIdChars, nullptr))
        return L"";
    return instance;
}

bool InstallBoardDriver(const std::wstring& instance, const std::wstring& inf, bool first) {
    if (first) {
        BOOL reboot = FALSE;
        return UpdateDriverForPlugAndPlayDevicesW(nullptr, VBOARD_HARDWARE_ID, inf.c_str(),
                                                  INSTALLFLAG_FORCE, &reboot) != FALSE;
    }
    DeviceSet set(SetupDiCreateDeviceInfoList(&kHidSetupClass, nullptr));
    SP_DEVINFO_DATA device;
    if (!OpenDevice(set, instance, &device)) return false;
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (!SetupDiGetDeviceInstallParamsW(set.handle, &device, &params) || inf.size() >= MAX_PATH)
        return false;
    wcscpy(params.DriverPath, inf.c_str());
    params.Flags |= DI_ENUMSINGLEINF;
    return SetupDiSetDeviceInstallParamsW(set.handle, &device, &params) &&
           SetupDiBuildDriverInfoList(set.handle, &device, SPDIT_COMPATDRIVER) &&
           SetupDiCallClassInstaller(DIF_SELECTBESTCOMPATDRV, set.handle, &device) &&
           SetupDiCallClassInstaller(DIF_INSTALLDEVICE, set.handle, &device);
}

bool RemoveBoardDevice(const std::wstring& instance) {
    DeviceSet set(SetupDiCreateDeviceInfoList(&kHidSetupClass, nullptr));
    SP_DEVINFO_DATA device;
    return OpenDevice(set, instance, &device) &&
           SetupDiCallClassInstaller(DIF_REMOVE, set.handle, &device);
}

int CountBoardDevices() {
    DeviceSet set(SetupDiGetClassDevsW(&kHidSetupClass, L"ROOT", nullptr, DIGCF_PRESENT));
    if (!set.ok()) return 0;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    int n = 0;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.handle, i, &device); ++i)
        if (IsBoardDevice(set.handle, &device)) ++n;
    return n;
}

HKEY OpenBoardKey(const std::wstring& instance, REGSAM access) {
    DeviceSet set(SetupDiCreateDeviceInfoList(&kHidSetupClass, nullptr));
    SP_DEVINFO_DATA device;
    if (!OpenDevice(set, instance, &device)) return nullptr;
    HKEY key = SetupDiOpenDevRegKey(set.handle, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, access);
    return key == INVALID_HANDLE_VALUE ? nullptr : key;
}

bool PokeBoard(uint16_t vendor_id, uint16_t product_id, uint8_t interface_number) {
    const uint64_t board = static_cast<uint64_t>(interface_number) << 32 |
                           static_cast<uint64_t>(vendor_id) << 16 | product_id;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::wstring& path = g_interfaces[board];
        if (path.empty()) path = FindInterface(vendor_id, product_id, interface_number);
        if (path.empty()) return false;
        FileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        WCHAR serial[16];
        if (file.handle != INVALID_HANDLE_VALUE &&
            HidD_GetSerialNumberString(file.handle, serial, sizeof serial))
            return true;
        path.clear(); // gone, or another device now: look again
    }
    return false;
}

std::string NarrowOf(const std::wstring& wide) {
    std::string text;
    for (WCHAR c : wide)
        text += static_cast<char>(c & 0xFF);
    return text;
}

std::wstring WideOf(const std::string& text) {
    std::wstring wide;
    for (char c : text)
        wide += static_cast<WCHAR>(static_cast<unsigned char>(c));
    return wide;
}
