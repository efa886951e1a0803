// Win32 backend of the HID seam: SetupAPI enumeration of the HID interface
// class, CreateFileA with no sharing, HidD_* for attributes and strings.
// Devices are opened for overlapped I/O so that every exchange can be bounded
// in time while the open stays exclusive.
#include "common/system/hid.h"
#include "devlib/hid_seam.h"

#include <windows.h>
#include <setupapi.h>

#include <cstring>

namespace hid {
namespace {

HDEVINFO g_device_set = INVALID_HANDLE_VALUE;
GUID g_hid_guid;
constexpr DWORD kDetailBufferSize = 500;
constexpr DWORD kWriteTimeoutMs = 1000;

// Waits for an overlapped transfer; cancels it when the time is up.
bool FinishTransfer(HANDLE h, BOOL started, OVERLAPPED* ov, DWORD timeout_ms, DWORD* done) {
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(ov->hEvent, timeout_ms) != WAIT_OBJECT_0) {
        CancelIo(h);
        GetOverlappedResult(h, ov, done, TRUE); // let the cancellation complete
        return false;
    }
    return GetOverlappedResult(h, ov, done, FALSE) != 0;
}

struct Event {
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Event() {
        if (handle) CloseHandle(handle);
    }
};

} // namespace

bool BeginWalk() {
    HidDll().HidD_GetHidGuid(&g_hid_guid);
    g_device_set =
        SetupDiGetClassDevsA(&g_hid_guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return g_device_set != INVALID_HANDLE_VALUE;
}

InterfaceResult FetchInterface(uint32_t index, char* path, size_t capacity) {
    SP_DEVICE_INTERFACE_DATA data;
    data.cbSize = sizeof data; // 28 on 32-bit Windows, 32 on 64-bit
    if (!SetupDiEnumDeviceInterfaces(g_device_set, nullptr, &g_hid_guid, index, &data))
        return InterfaceResult::End;
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(g_device_set, &data, nullptr, 0, &required, nullptr);
    // Paths that do not fit the fixed detail buffer are skipped.
    if (required == 0 || required > kDetailBufferSize) return InterfaceResult::Skip;
    alignas(8) char buffer[kDetailBufferSize];
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
    // The size field holds the fixed part's size: 5 for 32-bit code, 8 for 64-bit.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(g_device_set, &data, detail, required, nullptr, nullptr))
        return InterfaceResult::Skip;
    if (std::strlen(detail->DevicePath) + 1 > capacity) return InterfaceResult::Skip;
    std::strcpy(path, detail->DevicePath);
    return InterfaceResult::Ok;
}

void EndWalk() {
    if (g_device_set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(g_device_set);
    g_device_set = INVALID_HANDLE_VALUE;
}

Device OpenExclusive(const char* path) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoDevice : reinterpret_cast<Device>(h);
}

void CloseDevice(Device device) {
    CloseHandle(reinterpret_cast<HANDLE>(device));
}

bool ReadAttributes(Device device, Attributes* attributes) {
    HIDD_ATTRIBUTES a;
    a.Size = sizeof a;
    if (!HidDll().HidD_GetAttributes(reinterpret_cast<HANDLE>(device), &a)) return false;
    *attributes = Attributes{a.VendorID, a.ProductID, a.VersionNumber};
    return true;
}

bool ReadProductString(Device device, uint16_t* buffer, size_t bytes) {
    return HidDll().HidD_GetProductString(reinterpret_cast<HANDLE>(device), buffer,
                                          static_cast<ULONG>(bytes)) != 0;
}

bool ReadManufacturerString(Device device, uint16_t* buffer, size_t bytes) {
    return HidDll().HidD_GetManufacturerString(reinterpret_cast<HANDLE>(device), buffer,
                                               static_cast<ULONG>(bytes)) != 0;
}

int WriteReport(Device device, const uint8_t* report, size_t length) {
    HANDLE h = reinterpret_cast<HANDLE>(device);
    Event done_event;
    OVERLAPPED ov{};
    ov.hEvent = done_event.handle;
    DWORD done = 0;
    const BOOL started = WriteFile(h, report, static_cast<DWORD>(length), nullptr, &ov);
    if (!FinishTransfer(h, started, &ov, kWriteTimeoutMs, &done)) return -1;
    return static_cast<int>(done);
}

int ReadReport(Device device, uint8_t* buffer, size_t capacity, uint32_t timeout_ms) {
    HANDLE h = reinterpret_cast<HANDLE>(device);
    Event done_event;
    OVERLAPPED ov{};
    ov.hEvent = done_event.handle;
    DWORD done = 0;
    const BOOL started = ReadFile(h, buffer, static_cast<DWORD>(capacity), nullptr, &ov);
    if (!FinishTransfer(h, started, &ov, timeout_ms, &done)) return -1;
    return static_cast<int>(done);
}

} // namespace hid
