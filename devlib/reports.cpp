// The report protocol: status reads, relay and LED commands, identity
// strings. Every export opens the board, makes one exchange and closes it.
#include "devlib/board_access.h"

#include "common/text_helpers.h"
#include "devlib/pellam_dll.h"

#include <cstring>

namespace {

constexpr uint32_t kWideStringBytes = 512;
constexpr uint32_t kIdentityTextSize = 128;
constexpr uint32_t kVersionDigits = 4; // the last four of eight hexadecimal digits

constexpr uint32_t kStatusBytesUsed = kStatusOffset + kStatusBytes; // input bytes 0 to 12

using StringReader = bool (*)(hid::Device, uint16_t*, size_t);

// Writes one output report to the open board; true only when the device took
// all of it. A report whose id byte is 0 carries no report id, and the HID
// class may count only the data bytes after it (Wine reports 32 of 33).
bool WriteWhole(const uint8_t* report) {
    const int written = hid::WriteReport(g_library.board, report, kOutputReportSize);
    return written == static_cast<int>(kOutputReportSize) ||
           (report[0] == 0 && written == static_cast<int>(kOutputReportSize) - 1);
}

int32_t ReadIdentityString(uint32_t id, char* out, StringReader read) {
    uint16_t wide[kWideStringBytes / 2] = {};
    OpenBoard(id);
    if (g_library.board != hid::kNoDevice) read(g_library.board, wide, kWideStringBytes);
    CloseBoard();
    wide[kWideStringBytes / 2 - 1] = 0;
    NarrowText(wide, out, kIdentityTextSize);
    return 1;
}

} // namespace

PELLAM_API int32_t PELLAM_CALL ReadPellams(uint32_t id, char* out) {
    if (!OpenBoard(id)) return 0;
    // No answer can come to a request the board never took: fail at once
    // instead of waiting out the read bound.
    if (!WriteWhole(g_library.reports[kCommandStatusRequest])) {
        CloseBoard();
        return 0;
    }
    std::memset(g_library.input, 0, sizeof g_library.input);
    const int got =
        hid::ReadReport(g_library.board, g_library.input, kInputReportSize, kStatusReadTimeoutMs);
    CloseBoard();
    // A report too short to hold the status block is no status.
    if (got < static_cast<int>(kStatusBytesUsed)) return 0;
    std::memcpy(out, &g_library.input[kStatusOffset], kStatusBytes);
    out[kStatusBytes] = 0;
    return 1;
}

PELLAM_API int32_t PELLAM_CALL WritePellam(uint32_t id, uint32_t type, uint32_t value) {
    if (!OpenBoard(id)) return 0;
    const uint8_t* report;
    if (type < kWriteRelayTypes) {
        report = g_library.reports[type];
    } else if (type == kWriteLedMask) {
        // The new mask stays in the table for later calls.
        g_library.reports[kCommandSetLedMask][kReportParameterOffset] =
            static_cast<uint8_t>(value & 0xFF);
        report = g_library.reports[kCommandSetLedMask];
    } else {
        CloseBoard();
        return 0;
    }
    const bool written = WriteWhole(report);
    CloseBoard();
    return written ? 1 : 0;
}

PELLAM_API int32_t PELLAM_CALL GetProductString(uint32_t id, char* out) {
    return ReadIdentityString(id, out, hid::ReadProductString);
}

PELLAM_API int32_t PELLAM_CALL GetManufacturerString(uint32_t id, char* out) {
    return ReadIdentityString(id, out, hid::ReadManufacturerString);
}

PELLAM_API int32_t PELLAM_CALL GetVersionString(uint32_t id, char* out) {
    // Without a board the attribute record is cleared, so the text reads 0000.
    if (!OpenBoard(id)) g_library.attributes = hid::Attributes{0, 0, 0};
    char digits[9];
    HexText8(g_library.attributes.version_number, digits);
    CopyTextPart(digits, out, 8 - kVersionDigits, kVersionDigits);
    CloseBoard();
    return 1;
}

PELLAM_API int32_t PELLAM_CALL TestDLL(char* out) {
    CopyText("OK", out);
    return 1;
}
