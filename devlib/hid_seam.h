// The narrow platform seam of the device library: exactly what the board
// walk and the exchanges need of HID, and nothing more. Three backends
// implement it: Win32 (SetupAPI + HID + CreateFile) for Pellam_DLL.dll,
// simulated boards for sim/Pellam_DLL.dll, and a fake for host tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hid {

using Device = intptr_t;
constexpr Device kNoDevice = -1;

struct Attributes {
    uint16_t vendor_id;
    uint16_t product_id;
    uint16_t version_number;
};

enum class InterfaceResult { Ok, Skip, End };

// Takes the set of present HID interfaces; false when it cannot be had.
bool BeginWalk();
// Fetches the device path of interface `index` into `path` (capacity bytes).
// Skip: the detail could not be fetched or does not fit; End: no interface.
InterfaceResult FetchInterface(uint32_t index, char* path, size_t capacity);
// Releases the interface set.
void EndWalk();

// Opens a device path for reading and writing with no sharing.
Device OpenExclusive(const char* path);
void CloseDevice(Device device);
bool ReadAttributes(Device device, Attributes* attributes);
// UTF-16 strings into `bytes` bytes of buffer, zero-terminated when they fit.
bool ReadProductString(Device device, uint16_t* buffer, size_t bytes);
bool ReadManufacturerString(Device device, uint16_t* buffer, size_t bytes);
// One output report; the bytes the device took, or -1 when the write failed.
int WriteReport(Device device, const uint8_t* report, size_t length);
// One input report, waiting at most timeout_ms; bytes read, or -1.
int ReadReport(Device device, uint8_t* buffer, size_t capacity, uint32_t timeout_ms);

} // namespace hid
