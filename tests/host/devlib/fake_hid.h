// A fake HID seam for host tests: a list of devices with scripted behaviour,
// and a record of what the library did to them.
#pragma once

#include "devlib/hid_seam.h"

#include <string>
#include <vector>

struct FakeDevice {
    uint16_t vendor_id = 0;
    uint16_t product_id = 0x8001;
    uint16_t version = 0x0100;
    std::u16string product = u"SWITCHDECK 5s";
    std::u16string manufacturer = u"Qvoxline";
    bool held_elsewhere = false; // exclusive open fails
    bool detail_fails = false;
    size_t path_length = 60; // length of its device path
    bool silent = false;     // never answers a read
    // What a write reports: kWholeReport, a byte count, or -1 (the write
    // failed). Only writes that took the whole report are recorded.
    static constexpr int kWholeReport = -2;
    int bytes_written = kWholeReport;
    std::vector<uint8_t> answer = std::vector<uint8_t>(33, 0);
    // Recorded:
    int open_count = 0;
    std::vector<std::vector<uint8_t>> written;
};

struct FakeHid {
    bool set_available = true;
    std::vector<FakeDevice> devices;
    int walks_begun = 0;
    int walks_ended = 0;
    int currently_open = 0;
    uint32_t last_read_timeout = 0;
    int reads = 0;
};

extern FakeHid g_fake;
void ResetFake();
