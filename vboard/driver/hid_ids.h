// Numbers of the HID minidriver interface that are the driver's own to
// know: the descriptor types it returns and the string ids the HID class
// asks for. Plain numbers, without kernel types, so that a host test's
// stand-in for the kernel has the same ones.
#pragma once

#include <stdint.h>

constexpr uint8_t kHidHidDescriptorType = 0x21;
constexpr uint8_t kHidReportDescriptorType = 0x22;

// The string ids Windows' HID class asks for ...
constexpr uint32_t kHidStringManufacturer = 14;
constexpr uint32_t kHidStringProduct = 15;
constexpr uint32_t kHidStringSerialNumber = 16;
// ... and those Wine's asks for (the HID_STRING_TYPE values of ddk/hidclass.h).
constexpr uint32_t kWineStringManufacturer = 1;
constexpr uint32_t kWineStringProduct = 2;
constexpr uint32_t kWineStringSerialNumber = 3;
