// The device side of the virtual boards through SetupAPI: making a
// root-enumerated device with the board's hardware id, installing the
// driver on it, removing it, and reaching its registry key and its HID
// interface. Used by vboard_control.cpp only.
#pragma once

#include <windows.h>

#include <string>

// A board's device name: "VID_0000&PID_8001", and "VID_0000&PID_8001&MI_01"
// for a further HID interface of the same board (as a composite USB
// device names its interfaces). It styles both instance ids
// (ROOT\VID_0000&PID_8001\nnnn and the HID child's) and so the interface
// path the device library sees, as a USB board's would be.
std::wstring DeviceNameOf(uint16_t vendor_id, uint16_t product_id, uint8_t interface_number = 0);

// Creates and registers the device; `write_parameters` fills its hardware
// key before any driver sees it. The new instance id, or "" on failure.
std::wstring CreateBoardDevice(const std::wstring& name, void (*write_parameters)(HKEY, void*),
                               void* context);
// Installs the driver of the INF on that device: the first board through
// UpdateDriverForPlugAndPlayDevices (which installs the driver package),
// later ones on their own device only, so running boards do not restart.
bool InstallBoardDriver(const std::wstring& instance, const std::wstring& inf, bool first);
// Unplugs: the device and its hardware key go away.
bool RemoveBoardDevice(const std::wstring& instance);
// How many devices with the board's hardware id are present.
int CountBoardDevices();
// The device's hardware key ("Device Parameters"), or null. Caller closes it.
HKEY OpenBoardKey(const std::wstring& instance, REGSAM access);
// Asks the board's HID interface for its serial number: the driver then
// takes up its settings. False when no interface answers.
bool PokeBoard(uint16_t vendor_id, uint16_t product_id, uint8_t interface_number = 0);

std::string NarrowOf(const std::wstring& wide);
std::wstring WideOf(const std::string& text);
